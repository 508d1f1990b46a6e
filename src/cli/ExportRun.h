#pragma once
#include <QString>
#include <QStringList>

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "logbook/DiveExport.h"

namespace vyper::cli {

// What the export command is to do.
struct ExportRequest {
    QString profileFolder;  // where the dives lie when no files are named
    QStringList files;      // the profile files named; empty: every file of the folder
    ExportFormat format = ExportFormat::Uddf;
    QString output;
};

// What it did.
struct ExportReport {
    QString output;           // the target, as an absolute path
    ExportFormat format = ExportFormat::Uddf;
    ExportOutcome outcome;
    QStringList messages;     // the lines told to the user (standard error)
    RunFacts facts;
};

// Exports through the logbook's export (ExportProfiles), the dives ordered from the oldest
// to the newest as the logbook window writes them, entries that are no dive after them (so
// that the export names them with the reason). Named files must lie in one folder (else a
// usage error). Tells every dive left out and the result on `console`'s standard error.
// Facts: a file failure when nothing was written, incomplete when a named file was left
// out, interrupted when Ctrl+C or SIGTERM came (a streamed write then stops and puts
// nothing in place).
ExportReport RunExport(const ExportRequest& request, FileWriter& files, Console& console);

}  // namespace vyper::cli
