#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace vyper {

// Entries 0..2000 of the depth and time tables; entry 0 stays 0 (the dive starts at the surface).
inline constexpr int kProfileTableSize = 2001;

// A profile as the viewer reads it back from its text file.
struct DiveProfile {
    std::array<int16_t, kProfileTableSize> depth{};  // whole metres, positive downwards
    std::array<int16_t, kProfileTableSize> time{};   // seconds since the start of the dive
    int16_t sampleCount = 1;                         // the next free entry
    int16_t maxDepth = 0;
    int16_t lastTime = 0;                            // time of the last sample read
};

// The file's lines without their line ends. A line ends at CR LF, at a lone LF or at a
// lone CR; a last line without a line end counts, but nothing after the last line end does.
QStringList SplitProfileLines(const QByteArray& windows1252Bytes);

// Where the separator of a line lies: its first TAB, else its first blank, else -1.
qsizetype ProfileSeparator(const QString& line);

// Takes one line into `profile`. Throws the tables-full failure when the tables are full
// (tested for every line); a line without separator or with a time below 1 is skipped;
// throws the overflow failure when the time or the depth does not fit 16 bits.
void ReadProfileLine(DiveProfile& profile, const QString& line);

// Reads a whole file's bytes (Windows-1252 text) line by line into a fresh profile.
DiveProfile ReadProfileText(const QByteArray& windows1252Bytes);

// Reads the profile file at `path`; throws the file-missing or file-unreadable failure,
// or what ReadProfileText throws. The file is closed before this returns.
DiveProfile ReadProfileFile(const QString& path);

// The path of a stored profile: the program's folder, "Tauchprofile", the file's name.
QString ProfilePath(const QString& programFolder, const QString& fileName);

}  // namespace vyper
