#include "ui/viewer/PictureBox.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPen>
#include <algorithm>
#include <map>

#include "ui/toolkit/Controls.h"

namespace vyper {

void PaintPlot(QPainter& painter, const Plot& plot, int widthTwips, int heightTwips, int pixelWidth,
               int pixelHeight, const QColor& drawingColour) {
    const double sx = static_cast<double>(pixelWidth) / widthTwips;
    const double sy = static_cast<double>(pixelHeight) / heightTwips;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const PlotLine& line : plot.lines) {
        // A cosmetic pen keeps its width in pixels.
        QPen pen(line.colour ? ColorFromValue(*line.colour) : drawingColour);
        pen.setCosmetic(true);
        pen.setWidth(line.widthPixels);
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
        painter.drawLine(QPointF(line.x1 * sx, line.y1 * sy), QPointF(line.x2 * sx, line.y2 * sy));
    }
    painter.setPen(drawingColour);
    const QFontMetricsF metrics(painter.font());
    // Where the last text drawn on each line ends.
    std::map<int, qreal> lineEnds;
    for (const PlotText& text : plot.texts) {
        qreal x = text.x * sx;
        const qreal width = metrics.horizontalAdvance(text.text);
        // A label that starts inside the box but would run past its right edge (the last
        // time label of some dives) is moved left to end at the edge, so that it is read
        // whole; where it would then cover the label before it, it is left out (its tick
        // stays).
        if (x < pixelWidth && x + width > pixelWidth) {
            x = std::max<qreal>(0, pixelWidth - width);
            const auto before = lineEnds.find(text.y);
            if (before != lineEnds.end() && x < before->second) continue;
        }
        painter.drawText(QPointF(x, text.y * sy + metrics.ascent()), text.text);
        lineEnds[text.y] = x + width;
    }
    painter.restore();
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
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
    PaintPlot(painter, plot, widthTwips, heightTwips, width(), height(), drawing);
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
