#pragma once
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include "ui/viewer/DivePlot.h"
#include "ui/viewer/ProfilePlot.h"

namespace vyper {

// Paints `plot` with `painter`, whose device shows a box of `widthTwips` × `heightTwips`
// twips over `pixelWidth` × `pixelHeight` pixels. Line widths and symbol sizes are in pixels
// whatever the scale; texts are written in the painter's font with their top-left at their
// position. A text that would run past the box's right edge is moved left to end at it, or
// left out where it would then cover the text before it on its line. Boxes are filled with
// `background`; texts and lines without a colour of their own use `drawingColour`.
void PaintPlot(QPainter& painter, const Plot& plot, int widthTwips, int heightTwips, int pixelWidth,
               int pixelHeight, const QColor& drawingColour, const QColor& background = Qt::white);

// How large `font` writes texts in a box of `twipsPerPixel`, for PlotDive's layout.
TextSizes MeasureTexts(const QFont& font, double twipsPerPixel);

// A picture box: holds what was drawn into it as an image, so that the drawing stays when
// the window is covered and uncovered.
class PictureBox : public QWidget {
public:
    explicit PictureBox(QWidget* parent = nullptr);
    // Clears the picture to the background colour and draws `plot` for a box of
    // `widthTwips` × `heightTwips` twips.
    void Draw(const Plot& plot, int widthTwips, int heightTwips);
    const QImage& Picture() const { return picture_; }
    // How large the box's font writes texts while the box stands for `widthTwips` twips.
    TextSizes TextSizesAt(int widthTwips) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

}  // namespace vyper
