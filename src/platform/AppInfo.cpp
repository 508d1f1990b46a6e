#include "platform/AppInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <pwd.h>
#include <unistd.h>

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

QString LoginName() {
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_name != nullptr) {
        return QString::fromLocal8Bit(entry->pw_name);
    }
    const QString fromEnvironment = qEnvironmentVariable("USER");
    return fromEnvironment.isEmpty() ? QStringLiteral("$USER") : fromEnvironment;
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QDir::separator())) return folder + name;
    return folder + QDir::separator() + name;
}

}  // namespace vyper
