#pragma once
// Whether the captions of a window fit the rectangles they are drawn into: each label,
// button, check box, option button and frame of a window, with the room its text needs
// (from the font metrics of its own font) and the room the widget gives it (from its
// rectangle and the style's margins), both in logical pixels.

#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

namespace vyper::testing {

struct CaptionRoom {
    QString text;  // as shown (mnemonic marks removed)
    double neededWidth, availableWidth;
    double neededHeight, availableHeight;
    QRect inWindow;  // the widget's rectangle in its window's coordinates
    bool Fits() const { return neededWidth <= availableWidth && neededHeight <= availableHeight; }
};

// The captions of every label, push button, check box, option button and group box of
// `window` (not those of other windows it owns), empty captions left out.
std::vector<CaptionRoom> CaptionRooms(QWidget* window);

// A caption as a button or check box shows it: "&Ende" is "Ende", "&&" is "&".
QString WithoutMnemonic(const QString& caption);

}  // namespace vyper::testing
