#include "platform/AppInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "Version.h"

namespace vyper {

QString ChooseProgramFolder(const QString& executableFolder, const QString& userDataFolder) {
    const QFileInfo info(executableFolder);
    if (info.isDir() && info.isWritable()) return executableFolder;
    QDir().mkpath(userDataFolder);
    return userDataFolder;
}

AppInfo SystemAppInfo() {
    const QString userData = JoinPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                                      QStringLiteral("Vyper-Grundelnetz"));
    AppInfo info;
    info.programFolder = QDir::toNativeSeparators(ChooseProgramFolder(QCoreApplication::applicationDirPath(), userData));
    info.versionMinor = version::Minor;
    info.versionRevision = version::Revision;
    return info;
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QDir::separator())) return folder + name;
    return folder + QDir::separator() + name;
}

}  // namespace vyper
