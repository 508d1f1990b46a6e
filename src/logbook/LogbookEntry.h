#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <array>
#include <vector>

#include "logbook/LogbookColumns.h"
#include "profiles/StoredDive.h"

namespace vyper {

// One dive as the logbook's table holds it: only what the table shows and sorts by,
// worked out once (in the reading thread), so that sorting and filtering thousands of
// rows never formats a value again and no sample stays in memory.
struct LogbookEntry {
    QString fileName;    // name in the profile folder, no path
    QDateTime modified;  // when the file was last written
    std::array<QString, kLogbookColumnCount> cells;   // LogbookCell of every column
    std::array<QVariant, kLogbookColumnCount> keys;   // LogbookSortKey of every column
};

// A file of the profile folder that is no dive, and why.
struct UnreadableEntry {
    QString fileName;
    QDateTime modified;
    QString reason;  // the reader's refusal, in German
};

// The table's entry for a dive read from `fileName`.
LogbookEntry MakeLogbookEntry(const QString& fileName, const QDateTime& modified, const StoredDive& dive);

// Orders two sort keys of one column: unknown (invalid) keys before every known one, texts
// without regard to case, everything else by value. Negative, 0 or positive.
int CompareLogbookKeys(const QVariant& left, const QVariant& right);

// Whether `left` sorts before `right` by `column`; equal keys are ordered by file name, so
// the order never depends on the order of reading.
bool LogbookEntryLess(const LogbookEntry& left, const LogbookEntry& right, LogbookColumn column);

// The file names of `entries` from the oldest dive to the newest (ties by file name): the
// order in which an export writes them, whatever order the table shows.
QStringList ChronologicalFileNames(std::vector<const LogbookEntry*> entries);

// Whether the filter text (trimmed) is contained in any of the entry's cells, case
// ignored; an empty filter matches every entry. "2024" finds the date "17.08.2024".
bool LogbookEntryMatches(const LogbookEntry& entry, QStringView filter);

// The status line under the table: "5 Tauchgänge", "1 Tauchgang", "2 von 5 Tauchgängen"
// while a filter hides some, with ", Ordner wird gelesen …" while the folder is read.
QString LogbookStatusText(int shown, int total, bool filtered, bool loading);

}  // namespace vyper
