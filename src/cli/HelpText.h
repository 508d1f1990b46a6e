#pragma once
#include <QString>

namespace vyper::cli {

// The program's name as installed.
inline const QString kCliProgram = QStringLiteral("vyper-grundelnetz-cli");

// What --help prints: the commands, every option with its default, where the defaults
// come from, standard output and error, the exit statuses and the signals. German, with
// the options in English; the manual page is made from it.
QString HelpText();

// What --version prints: "vyper-grundelnetz-cli 1.0.7" (the project's version).
QString VersionText();

// The line for a command line that cannot be understood: the program, the reason and
// where help is found, in one line.
QString UsageErrorLine(const QString& reason);

}  // namespace vyper::cli
