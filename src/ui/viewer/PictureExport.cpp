#include "ui/viewer/PictureExport.h"

#include <QBuffer>
#include <QFileDialog>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <cmath>

namespace vyper {

namespace {

// The SVG writer states the size in millimetres at its resolution, which readers turn back
// into pixels at resolutions of their own (a picture of 200 pixels came back as 250); the
// size in plain pixels is read alike everywhere.
QByteArray WithPixelSize(QByteArray svg, QSize size) {
    static const QRegularExpression millimetres(QStringLiteral("<svg width=\"[0-9.]+mm\" height=\"[0-9.]+mm\""));
    const QString head = QString::fromUtf8(svg.left(400));
    const QRegularExpressionMatch match = millimetres.match(head);
    if (!match.hasMatch()) return svg;
    const QByteArray pixels = QStringLiteral("<svg width=\"%1\" height=\"%2\"").arg(size.width()).arg(size.height()).toUtf8();
    return svg.replace(match.capturedStart(), match.capturedLength(), pixels);
}

}  // namespace

QString PictureFilter(PictureKind kind) {
    switch (kind) {
    case PictureKind::PngAsShown: return QStringLiteral("PNG-Bild in Fenstergröße (*.png)");
    case PictureKind::PngWide: return QStringLiteral("PNG-Bild, %1 Pixel breit (*.png)").arg(kWidePictureWidth);
    case PictureKind::Svg: return QStringLiteral("SVG-Grafik (*.svg)");
    }
    return {};
}

QStringList PictureFilters() {
    return {PictureFilter(PictureKind::PngAsShown), PictureFilter(PictureKind::PngWide), PictureFilter(PictureKind::Svg)};
}

PictureRequest PictureRequestFor(const QString& chosenPath, const QString& chosenFilter) {
    PictureKind kind = chosenPath.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive) ? PictureKind::Svg
                                                                                       : PictureKind::PngAsShown;
    for (PictureKind offered : {PictureKind::PngAsShown, PictureKind::PngWide, PictureKind::Svg}) {
        if (chosenFilter == PictureFilter(offered)) kind = offered;
    }
    const QString ending = kind == PictureKind::Svg ? QStringLiteral(".svg") : QStringLiteral(".png");
    QString path = chosenPath;
    if (!path.endsWith(ending, Qt::CaseInsensitive)) path += ending;
    return {path, kind};
}

QSize PictureSize(PictureKind kind, QSize shown, qreal ratio) {
    const auto scaled = [&](qreal factor) {
        return QSize(std::max(1, static_cast<int>(std::lround(shown.width() * factor))),
                     std::max(1, static_cast<int>(std::lround(shown.height() * factor))));
    };
    switch (kind) {
    case PictureKind::PngAsShown: return scaled(ratio);
    case PictureKind::PngWide: return shown.width() > 0 ? scaled(static_cast<qreal>(kWidePictureWidth) / shown.width()) : shown;
    case PictureKind::Svg: return shown;
    }
    return shown;
}

QByteArray PictureBytes(PictureKind kind, QSize shown, qreal ratio, const QColor& background,
                        const PicturePainter& paint) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (kind == PictureKind::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(shown);
        svg.setViewBox(QRect(QPoint(0, 0), shown));
        svg.setTitle(QStringLiteral("Tauchgang"));
        QPainter painter(&svg);
        painter.fillRect(QRect(QPoint(0, 0), shown), background);
        paint(painter);
        painter.end();
        return WithPixelSize(bytes, shown);
    }
    const QSize size = PictureSize(kind, shown, ratio);
    QImage image(size, QImage::Format_RGB32);
    // Painted at the shown size onto more pixels: texts and lines grow with the picture.
    image.setDevicePixelRatio(static_cast<qreal>(size.width()) / std::max(1, shown.width()));
    image.fill(background);
    QPainter painter(&image);
    paint(painter);
    painter.end();
    image.save(&buffer, "PNG");
    return bytes;
}

std::optional<PictureFileChooser::Choice> QtPictureFileChooser::ChoosePictureFile(QWidget* owner,
                                                                                  const QString& proposedPath) {
    QString filter = PictureFilter(PictureKind::PngAsShown);
    const QString path = QFileDialog::getSaveFileName(owner, QStringLiteral("Bild speichern"), proposedPath,
                                                      PictureFilters().join(QStringLiteral(";;")), &filter);
    if (path.isEmpty()) return std::nullopt;
    return Choice{path, filter};
}

}  // namespace vyper
