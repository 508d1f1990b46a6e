#pragma once
#include <QString>
#include <QStringList>
#include <optional>

#include "logbook/DiveExport.h"
#include "profiles/StorageChoices.h"

namespace vyper::cli {

// What the command line asks for.
enum class Command { None, Settings, Download, Export, Ports };

// The command line as typed, before the stored settings fill the gaps: an option left out
// is empty here and takes the window's stored choice (see ResolveChoices).
struct CliOptions {
    Command command = Command::None;
    bool help = false;
    bool version = false;
    bool json = false;
    // "1".."4" (a COM port, mapped to its device as the window maps it) or a device path.
    std::optional<QString> port;
    std::optional<QString> interfaceText;  // kInterfaceOriginal or kInterfaceSelfBuilt
    std::optional<int> delayMs;            // 0..2000
    std::optional<int> dives;              // 0 for all dives
    std::optional<bool> onlyNew;
    OverwritePolicy overwrite = OverwritePolicy::Never;
    std::optional<int> maxErrors;  // 1..32767
    QString folder;                // the profile folder itself; empty: the window's folder
    QString logFile;
    std::optional<ExportFormat> format;
    QString output;
    QStringList files;  // the profile files to export; empty: every file of the folder
};

// The outcome of reading the arguments: the options, or one German line that says what is
// wrong (then `options` is what was read up to there).
struct ParsedArguments {
    CliOptions options;
    QString error;
};

// Reads the arguments after the program's name. Options are GNU style ("--name value" or
// "--name=value"), may stand before or after the command, and "--" ends them. --help and
// --version need no command; every other run needs exactly one, and an option that the
// command does not use is an error, as are a missing or malformed value and a file name
// given to any command but export. Pure.
ParsedArguments ParseArguments(const QStringList& arguments);

// The command's name as typed ("download"); "" for Command::None.
QString CommandName(Command command);

}  // namespace vyper::cli
