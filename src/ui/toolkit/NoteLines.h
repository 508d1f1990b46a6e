#pragma once
#include <QString>
#include <QStringList>
#include <functional>

namespace vyper {

// How a note (a line the program adds beyond its described texts) is split into lines that
// fit a list, so that it is read without scrolling sideways.
//
// Each line takes as many words as fit `width` (as `measure` gives a text's width), and the
// blank at a break is dropped, so that the lines joined with single blanks give back the
// note. A quoted passage ("…" or „…“) is a caption or a choice the user looks for, such as
// "Selbstbau (mit Echo)": it is broken inside only when it is wider than a line by itself.
// A word wider than a line (a file or device path) is cut where the line is full, after its
// last "/" that fits where it has one, so that it is read whole without scrolling; its
// pieces join without a blank. A note that fits, an empty note and a width of 0 or less
// give the note unchanged.
QStringList SplitNote(const QString& note, double width, const std::function<double(const QString&)>& measure);

}  // namespace vyper
