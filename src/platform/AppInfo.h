#pragma once
#include <QString>

namespace vyper {

// Where the program keeps its files and which version it is.
struct AppInfo {
    QString programFolder;  // the folder in which "Tauchprofile" lies
    int versionMinor = 0;
    int versionRevision = 0;
};

// The executable's folder, or the per-user data folder when the executable's folder is
// not writable (an installed program), created if need be. Versions from the build.
AppInfo SystemAppInfo();

// Picks the program folder: `executableFolder` when writable, else `userDataFolder`.
QString ChooseProgramFolder(const QString& executableFolder, const QString& userDataFolder);

// The name the user logs in with (from the password database, else $USER), for commands
// the program asks the user to type; "$USER" when neither knows it.
QString LoginName();

// `folder` joined with `name` by the platform's path separator.
QString JoinPath(const QString& folder, const QString& name);

}  // namespace vyper
