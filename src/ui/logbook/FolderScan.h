#pragma once
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "logbook/LogbookEntry.h"

namespace vyper {

// Entries of the profile folder read in one go.
struct LogbookBatch {
    std::vector<LogbookEntry> dives;
    std::vector<UnreadableEntry> unreadable;
    size_t Size() const { return dives.size() + unreadable.size(); }
};

// Reads the summaries of the entries of `folder` that `known` (name -> modification time)
// lacks or that were written since, in the order of their names, and hands them to
// `deliver` in batches of at most `batchSize`. Returns every name the folder holds now, or
// nothing when `stop` was set before the end. Runs on any thread; touches only files.
std::optional<QStringList> ScanLogbookFolder(const QString& folder, const QHash<QString, QDateTime>& known,
                                             int batchSize, const std::atomic<bool>& stop,
                                             const std::function<void(LogbookBatch&&)>& deliver);

}  // namespace vyper
