#include "ui/toolkit/WindowFonts.h"

namespace vyper {

namespace {

QFont Font(double points, bool bold) {
    QFont font(QString::fromLatin1(kWindowFontFamily));
    // Should the family be missing, another sans-serif face stands in.
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace

QFont WindowFont() { return Font(kWindowFontPoints, false); }

QFont HeadingFont() { return Font(kHeadingFontPoints, true); }

}  // namespace vyper
