#include "ui/logbook/FolderScan.h"

#include <QFileInfo>

#include "logbook/LogbookFolder.h"
#include "platform/AppInfo.h"

namespace vyper {

std::optional<QStringList> ScanLogbookFolder(const QString& folder, const QHash<QString, QDateTime>& known,
                                             int batchSize, const std::atomic<bool>& stop,
                                             const std::function<void(LogbookBatch&&)>& deliver) {
    const QStringList names = LogbookCandidates(folder);
    LogbookBatch batch;
    for (const QString& name : names) {
        if (stop.load(std::memory_order_relaxed)) return std::nullopt;
        const auto held = known.constFind(name);
        // A file read before is read again only when it was written since.
        if (held != known.cend() && QFileInfo(JoinPath(folder, name)).lastModified() == *held) continue;
        LogbookRow row = ReadLogbookRow(folder, name);
        if (const auto* dive = std::get_if<StoredDive>(&row.result)) {
            batch.dives.push_back(MakeLogbookEntry(row.fileName, row.modified, *dive));
        } else {
            batch.unreadable.push_back({row.fileName, row.modified, std::get<ProfileRefusal>(row.result).reason});
        }
        if (static_cast<int>(batch.Size()) >= batchSize) {
            deliver(std::move(batch));
            batch = LogbookBatch();
        }
    }
    if (batch.Size() > 0) deliver(std::move(batch));
    return names;
}

}  // namespace vyper
