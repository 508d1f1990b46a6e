#pragma once
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QPainter;
class QWidget;

namespace vyper {

// How a saved picture is made: a PNG at the window's size or at a wider fixed size (the
// same picture, enlarged as a screen of higher resolution would draw it), or an SVG.
enum class PictureKind { PngAsShown, PngWide, Svg };

// The width in pixels of the wide PNG.
inline constexpr int kWidePictureWidth = 1920;

// The save dialog's file types, in this order: "PNG-Bild in Fenstergröße (*.png)",
// "PNG-Bild, 1920 Pixel breit (*.png)", "SVG-Grafik (*.svg)".
QStringList PictureFilters();
QString PictureFilter(PictureKind kind);

// The picture to write for the path and file type the user chose. A type the dialog did
// not offer counts by the name's ending (".svg" an SVG, else a PNG at the window's size);
// a name without the type's ending gets it.
struct PictureRequest {
    QString path;
    PictureKind kind;
};
PictureRequest PictureRequestFor(const QString& chosenPath, const QString& chosenFilter);

// The size in pixels of the picture of `kind` for a plot shown at `shown` logical pixels on
// a screen of `ratio` device pixels per logical one: the PNG as shown has the screen's
// pixels, the wide PNG keeps the proportions at kWidePictureWidth pixels wide, the SVG
// states the logical size.
QSize PictureSize(PictureKind kind, QSize shown, qreal ratio);

// Paints the picture onto a painter whose device shows `shown` logical pixels.
using PicturePainter = std::function<void(QPainter&)>;

// The file's bytes: the picture painted at `shown` logical pixels over the background
// colour, as a PNG or an SVG of PictureSize(kind, shown, ratio).
QByteArray PictureBytes(PictureKind kind, QSize shown, qreal ratio, const QColor& background,
                        const PicturePainter& paint);

// Asks the user where to save the picture and in which form; replaceable so that tests
// can answer.
class PictureFileChooser {
public:
    virtual ~PictureFileChooser() = default;
    // Offers `proposedPath` with the file types of PictureFilters(); returns the path and the
    // file type chosen, or none when the user cancels.
    struct Choice {
        QString path;
        QString filter;
    };
    virtual std::optional<Choice> ChoosePictureFile(QWidget* owner, const QString& proposedPath) = 0;
};

// The window toolkit's save dialog; it asks before replacing a file.
class QtPictureFileChooser : public PictureFileChooser {
public:
    std::optional<Choice> ChoosePictureFile(QWidget* owner, const QString& proposedPath) override;
};

}  // namespace vyper
