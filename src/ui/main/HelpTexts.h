#pragma once
#include <QString>

namespace vyper {

// What the help names of this installation.
struct HelpFacts {
    QString version;        // "1.0.7"
    QString profileFolder;  // the folder "Tauchprofile" in use
    QString logFolder;      // where the transfer logs go; empty when no log is kept
};

// The page "Hilfe" as rich text: what the program does, the first download with a USB
// cable, what to check when the dive computer does not answer, where the files are and how
// to take the dives to a logbook program. Paths are shown as given, escaped.
QString HelpPageText(const HelpFacts& facts);

// The page "Über" as rich text: the program's name, its version and its licence (not
// chosen yet, as the package's copyright file says).
QString AboutPageText(const HelpFacts& facts);

}  // namespace vyper
