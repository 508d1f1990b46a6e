#pragma once
#include <QString>

namespace vyper {

// Where the program keeps its files and which version it is.
struct AppInfo {
    QString programFolder;  // the folder in which "Tauchprofile" lies
    int versionMinor = 0;
    int versionRevision = 0;
};

// The per-user data folder when no usable "Tauchprofile" lies beside the executable,
// created if need be; versions from the build.
AppInfo SystemAppInfo();

// What the start-up knows about the places where the profile folder may lie.
struct ProfileHomeFacts {
    QString executableFolder;
    bool folderBesideExists = false;    // <executableFolder>/Tauchprofile is a folder
    bool folderBesideWritable = false;  // ... and files can be created in it
    QString xdgDataHome;                // $XDG_DATA_HOME as set (may be empty or relative)
    QString home;                       // the user's home folder (may be empty)
};

// The folder that holds "Tauchprofile". A writable "Tauchprofile" that already exists beside
// the executable (a portable copy, or dives stored by an earlier version) is kept; otherwise
// "Vyper-Grundelnetz" in the per-user data folder ($XDG_DATA_HOME when absolute, else
// ~/.local/share). The program never creates a folder beside itself, so a build tree stays
// clean. Only without any home the executable's folder is the last resort.
QString ChooseProgramFolder(const ProfileHomeFacts& facts);

// The name the user logs in with (from the password database, else $USER), for commands
// the program asks the user to type; "$USER" when neither knows it.
QString LoginName();

// `folder` joined with `name` by the platform's path separator.
QString JoinPath(const QString& folder, const QString& name);

}  // namespace vyper
