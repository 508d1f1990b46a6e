// vyper-grundelnetz-cli: the program's settings read, download and export without a window.
#include <QCoreApplication>

#include "cli/CommandLine.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vyper-Grundelnetz"));
    return vyper::cli::RunCommandLine(QCoreApplication::arguments().mid(1));
}
