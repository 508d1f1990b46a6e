#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

#include "profiles/DiveRecord.h"

namespace vyper {

// A profile file read back: the record as the file states it, and what of it is sound.
struct StoredDive {
    // Every value as the file writes it. Entries stay empty when the profile was not asked
    // for; MaxDepth is 9999 for a dive without samples, as the download writes it.
    DiveRecord record;
    bool oxygenStated = false;  // only a profile without end marker states its O2 share
    int sampleCount = 0;        // sample lines, also when Entries was not filled

    // The start as a calendar date and time (two-digit years: 00..29 are 2000..2029,
    // 30..99 are 1930..1999); always valid, a file whose date or time is none is refused.
    QDateTime start;
    // The values a diver can trust; empty where the file states none or one that cannot
    // be true (a dive without samples has no depth; a temperature of 200 °C is none).
    std::optional<int> durationMinutes;
    std::optional<int> maxDepthMetres;         // positive downwards
    std::optional<int> waterTemperature;       // °C at maximum depth
    std::optional<int> airTemperature;         // °C before the dive
    std::optional<int> surfaceIntervalMinutes;
    std::optional<int> oxygenPercent;
    // Values of the file that were set aside as impossible, one German sentence each
    // ("Lufttemperatur 300 °C ist unmöglich").
    QStringList doubts;
};

// Why a file is not a profile this program wrote, in German, for the user
// ("Zeile 7: kein Profilwert", "leere Datei").
struct ProfileRefusal {
    QString reason;
};

using StoredDiveResult = std::variant<StoredDive, ProfileRefusal>;

// What of a profile to read: the summary alone (for a table of thousands) or every sample
// and marker as well.
enum class ProfileDetail { SummaryOnly, WithEntries };

// Reads the bytes of a profile file as this program writes them: Windows-1252, every line
// ended by CR LF, the column header, sample and marker lines, the end line and the summary
// of either ending. Anything else (another line end, a missing or foreign line, a number
// that does not fit, bytes after the last line end, a date or time that does not exist) is
// refused with its reason; never throws.
StoredDiveResult ReadStoredDive(const QByteArray& bytes, ProfileDetail detail);

// The same for the file at `path`; a missing, unreadable, non-plain or oversized file is
// refused with its reason. Never throws.
StoredDiveResult ReadStoredDiveFile(const QString& path, ProfileDetail detail);

// The largest profile file read; the dive computer's whole memory makes far smaller ones.
inline constexpr qint64 kLargestProfileFileBytes = 4 * 1024 * 1024;

}  // namespace vyper
