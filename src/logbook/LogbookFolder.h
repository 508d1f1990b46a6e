#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "profiles/StoredDive.h"

namespace vyper {

// One entry of the profile folder as the logbook lists it: a dive, or the reason why the
// entry is none.
struct LogbookRow {
    QString fileName;     // name in the folder, no path
    QDateTime modified;   // when the file was last written, to notice a rewrite
    StoredDiveResult result;
};

// The names the logbook looks at in `folder`: every plain file and every folder whose
// name ends in ".txt", except hidden ones (a write in progress lies beside its target as a
// hidden file), sorted by name; a name that is no valid text comes with U+FFFD in it.
// Empty when the folder cannot be read.
QStringList LogbookCandidates(const QString& folder);

// Reads one entry's summary (no samples). A folder, an unreadable file, a name that is
// no valid text and anything ReadStoredDive refuses give a refusal; never throws.
LogbookRow ReadLogbookRow(const QString& folder, const QString& fileName);

}  // namespace vyper
