#include "logbook/LogbookFolder.h"

#include <QFileInfo>
#include <algorithm>

#include "platform/AppInfo.h"
#include "platform/FolderEntries.h"

namespace vyper {

QStringList LogbookCandidates(const QString& folder) {
    QStringList names;
    for (const FolderEntry& entry : ReadFolderEntries(folder)) {
        // No hidden entries (".name.XXXXXX" is a write in progress) and no devices or pipes,
        // which could block a read; folders only when named like a profile.
        if (entry.name.startsWith(QLatin1Char('.')) || entry.kind == FolderEntry::Kind::Other) continue;
        if (entry.kind == FolderEntry::Kind::Folder && !entry.name.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) {
            continue;
        }
        names << entry.name;
    }
    std::sort(names.begin(), names.end());
    return names;
}

LogbookRow ReadLogbookRow(const QString& folder, const QString& fileName) {
    LogbookRow row{fileName, {}, ProfileRefusal{}};
    // A name whose bytes are no valid text cannot be opened again by its decoded name.
    if (fileName.contains(QChar::ReplacementCharacter)) {
        row.result = ProfileRefusal{QStringLiteral("der Dateiname ist kein gültiger Text")};
        return row;
    }
    const QString path = JoinPath(folder, fileName);
    row.modified = QFileInfo(path).lastModified();
    row.result = ReadStoredDiveFile(path, ProfileDetail::SummaryOnly);
    return row;
}

}  // namespace vyper
