#include "logbook/LogbookFolder.h"

#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>

#include "platform/AppInfo.h"

namespace vyper {

QStringList LogbookCandidates(const QString& folder) {
    QStringList names;
    // Plain files and folders, no hidden entries (".name.XXXXXX" is a write in progress)
    // and no devices or pipes, which could block a read.
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (it.fileInfo().isDir() && !name.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) continue;
        names << name;
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
