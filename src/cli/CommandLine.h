#pragma once
#include <QStringList>

namespace vyper::cli {

// Runs the command line for the arguments after the program's name and returns the exit
// status (ExitStatus.h). Needs a QCoreApplication; reads the window's settings file, never
// writes it.
int RunCommandLine(const QStringList& arguments);

}  // namespace vyper::cli
