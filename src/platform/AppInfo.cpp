#include "platform/AppInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <pwd.h>
#include <unistd.h>

#include "Version.h"

namespace vyper {

namespace {
const QString kProfileFolderName = QStringLiteral("Tauchprofile");
const QString kApplicationFolderName = QStringLiteral("Vyper-Grundelnetz");

ProfileHomeFacts SystemProfileHomeFacts() {
    ProfileHomeFacts facts;
    facts.executableFolder = QCoreApplication::applicationDirPath();
    const QFileInfo beside(JoinPath(facts.executableFolder, kProfileFolderName));
    facts.folderBesideExists = beside.isDir();
    facts.folderBesideWritable = beside.isDir() && beside.isWritable();
    facts.xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");
    facts.home = QDir::homePath();
    return facts;
}
}  // namespace

QString ChooseProgramFolder(const ProfileHomeFacts& facts) {
    if (facts.folderBesideExists && facts.folderBesideWritable) return facts.executableFolder;
    // A relative $XDG_DATA_HOME is invalid and must be ignored.
    if (!facts.xdgDataHome.isEmpty() && QDir::isAbsolutePath(facts.xdgDataHome)) {
        return JoinPath(facts.xdgDataHome, kApplicationFolderName);
    }
    if (!facts.home.isEmpty() && QDir::isAbsolutePath(facts.home)) {
        return JoinPath(JoinPath(facts.home, QStringLiteral(".local/share")), kApplicationFolderName);
    }
    return facts.executableFolder;
}

AppInfo SystemAppInfo() {
    const QString folder = ChooseProgramFolder(SystemProfileHomeFacts());
    // The start-up creates only "Tauchprofile" itself, so the folders above it must exist.
    QDir().mkpath(folder);
    AppInfo info;
    info.programFolder = QDir::toNativeSeparators(folder);
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
