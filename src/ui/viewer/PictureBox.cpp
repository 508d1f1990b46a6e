#include "ui/viewer/PictureBox.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <map>

#include "ui/toolkit/Controls.h"

namespace vyper {

namespace {

void PaintSymbol(QPainter& painter, const PlotSymbol& symbol, double sx, double sy) {
    const QColor colour = ColorFromValue(symbol.colour);
    QPen pen(colour);
    pen.setCosmetic(true);
    pen.setWidth(1);
    painter.setPen(pen);
    painter.setBrush(symbol.filled ? QBrush(colour) : QBrush(Qt::NoBrush));
    const QPointF centre(symbol.x * sx, symbol.y * sy);
    const double r = symbol.sizePixels / 2.0;
    if (symbol.shape == SymbolShape::Circle) {
        painter.drawEllipse(centre, r, r);
    } else {
        const QPointF corners[] = {centre + QPointF(0, -r), centre + QPointF(r, r), centre + QPointF(-r, r)};
        painter.drawPolygon(corners, 3);
    }
    painter.setBrush(Qt::NoBrush);
}

}  // namespace

void PaintPlot(QPainter& painter, const Plot& plot, int widthTwips, int heightTwips, int pixelWidth,
               int pixelHeight, const QColor& drawingColour, const QColor& background) {
    const double sx = static_cast<double>(pixelWidth) / widthTwips;
    const double sy = static_cast<double>(pixelHeight) / heightTwips;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Markers first, so that the profile line is painted over them.
    for (const PlotSymbol& symbol : plot.symbols) {
        if (!symbol.overBoxes) PaintSymbol(painter, symbol, sx, sy);
    }
    const QFontMetricsF metrics(painter.font());
    for (const PlotText& text : plot.texts) {
        if (!text.underLine) continue;
        painter.setPen(text.colour ? ColorFromValue(*text.colour) : drawingColour);
        painter.drawText(QPointF(text.x * sx, text.y * sy + metrics.ascent()), text.text);
    }
    for (const PlotLine& line : plot.lines) {
        // A cosmetic pen keeps its width in pixels.
        QPen pen(line.colour ? ColorFromValue(*line.colour) : drawingColour);
        pen.setCosmetic(true);
        pen.setWidth(line.widthPixels);
        pen.setCapStyle(line.dashed ? Qt::FlatCap : Qt::SquareCap);
        if (line.dashed) pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.drawLine(QPointF(line.x1 * sx, line.y1 * sy), QPointF(line.x2 * sx, line.y2 * sy));
    }
    for (const PlotBox& box : plot.boxes) {
        QPen pen(drawingColour);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(background);
        painter.drawRect(QRectF(box.x * sx, box.y * sy, box.width * sx, box.height * sy));
        painter.setBrush(Qt::NoBrush);
    }
    // Where the last text drawn on each line ends.
    std::map<int, qreal> lineEnds;
    for (const PlotText& text : plot.texts) {
        if (text.underLine) continue;
        qreal x = text.x * sx;
        const qreal width = metrics.horizontalAdvance(text.text);
        // A text that starts inside the box but would run past its right edge is moved left
        // to end at the edge, so that it is read whole; where it would then cover the text
        // before it on its line, it is left out.
        if (x < pixelWidth && x + width > pixelWidth) {
            x = std::max<qreal>(0, pixelWidth - width);
            const auto before = lineEnds.find(text.y);
            if (before != lineEnds.end() && x < before->second) continue;
        }
        painter.setPen(text.colour ? ColorFromValue(*text.colour) : drawingColour);
        painter.drawText(QPointF(x, text.y * sy + metrics.ascent()), text.text);
        lineEnds[text.y] = x + width;
    }
    for (const PlotSymbol& symbol : plot.symbols) {
        if (symbol.overBoxes) PaintSymbol(painter, symbol, sx, sy);
    }
    painter.restore();
}

TextSizes MeasureTexts(const QFont& font, double twipsPerPixel) {
    const QFontMetricsF metrics(font);
    TextSizes sizes;
    sizes.twipsPerPixel = twipsPerPixel;
    sizes.height = static_cast<int>(std::ceil(metrics.height() * twipsPerPixel));
    sizes.width = [metrics, twipsPerPixel](const QString& text) {
        return static_cast<int>(std::ceil(metrics.horizontalAdvance(text) * twipsPerPixel));
    };
    return sizes;
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

TextSizes PictureBox::TextSizesAt(int widthTwips) const {
    return MeasureTexts(font(), width() > 0 ? static_cast<double>(widthTwips) / width() : 15.0);
}

void PictureBox::Draw(const Plot& plot, int widthTwips, int heightTwips) {
    // Background and drawing colour: the system's window and window-text colours.
    const QColor background = palette().color(QPalette::Base);
    const QColor drawing = palette().color(QPalette::Text);
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(background);
    QPainter painter(&image);
    painter.setFont(font());
    PaintPlot(painter, plot, widthTwips, heightTwips, width(), height(), drawing, background);
    painter.end();
    picture_ = image;
    update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (picture_.isNull()) {
        painter.fillRect(event->rect(), palette().color(QPalette::Base));
        return;
    }
    painter.drawImage(QPoint(0, 0), picture_);
}

}  // namespace vyper
