#pragma once
#include <QFont>

namespace vyper {

// The fonts the windows are drawn in.
//
// The windows keep their designed layout in twips, made for an 8-point system font of
// about 5 pixels per character. Debian's default sans-serif font (DejaVu Sans) is wider:
// at the designed 7.5 points several captions ("Max. Fehlerzahl bis Abbruch", "Bytes
// empfangen:", "Vyper Einstellungen auslesen") do not fit their boxes. The condensed face
// of the same family (package fonts-dejavu-extra) at the same size fits every caption with
// room to spare, at 96 dpi and at the scale factors 1.25, 1.5 and 2 alike (texts and boxes
// scale together), and keeps the designed text height. The family is named concretely so
// that the program looks the same whatever the desktop's default font is.
inline constexpr const char* kWindowFontFamily = "DejaVu Sans Condensed";
inline constexpr double kWindowFontPoints = 7.5;
inline constexpr double kHeadingFontPoints = 9.75;

// The font of every control: DejaVu Sans Condensed, 7.5 points.
QFont WindowFont();
// The bold heading of the main window ("Einstellungen"): DejaVu Sans Condensed Bold, 9.75 points.
QFont HeadingFont();

}  // namespace vyper
