#include "cli/ExportRun.h"

#include <QDateTime>
#include <QFileInfo>
#include <vector>

#include "Version.h"
#include "cli/GuardedFileWriter.h"
#include "cli/SignalStop.h"
#include "logbook/ExportTexts.h"
#include "logbook/LogbookEntry.h"
#include "logbook/LogbookFolder.h"
#include "platform/Failure.h"

namespace vyper::cli {

namespace {

// The names in the order of the export: the dives from the oldest, then the rest.
QStringList ExportOrder(const QString& folder, const QStringList& names) {
    std::vector<LogbookEntry> entries;
    QStringList refused;
    for (const QString& name : names) {
        const LogbookRow row = ReadLogbookRow(folder, name);
        if (const auto* dive = std::get_if<StoredDive>(&row.result)) {
            entries.push_back(MakeLogbookEntry(name, row.modified, *dive));
        } else {
            refused << name;
        }
    }
    std::vector<const LogbookEntry*> pointers;
    for (const LogbookEntry& entry : entries) pointers.push_back(&entry);
    return ChronologicalFileNames(std::move(pointers)) + refused;
}

}  // namespace

ExportReport RunExport(const ExportRequest& request, FileWriter& files, Console& console) {
    ExportReport report;
    report.format = request.format;
    report.output = QFileInfo(request.output).absoluteFilePath();
    auto tell = [&](const QString& line) {
        report.messages << line;
        console.Err(line);
    };

    QString folder = request.profileFolder;
    QStringList names;
    if (request.files.isEmpty()) {
        names = LogbookCandidates(folder);
    } else {
        folder = QFileInfo(request.files.first()).absolutePath();
        for (const QString& file : request.files) {
            const QFileInfo info(file);
            if (info.absolutePath() != folder) {
                report.facts.usageError = true;
                tell(QStringLiteral("Die genannten Dateien müssen in einem Ordner liegen: %1 und %2.")
                         .arg(request.files.first(), file));
                return report;
            }
            names << info.fileName();
        }
    }

    const ExportGenerator generator{QStringLiteral("Vyper-Grundelnetz"),
                                    QStringLiteral("%1.%2.%3").arg(version::Major).arg(version::Minor).arg(version::Revision),
                                    QDateTime::currentDateTime()};
    try {
        report.outcome = ExportProfiles(folder, ExportOrder(folder, names), request.format, report.output, files, generator);
    } catch (const WriteInterrupted&) {
        report.facts.interrupted = true;
        tell(QStringLiteral("Export abgebrochen; es wurde nichts geschrieben."));
        return report;
    } catch (const RuntimeFailure& failure) {
        report.facts.fileFailed = true;
        tell(QStringLiteral("Fehler: ") + failure.Description());
        return report;
    }

    if (!report.outcome.skipped.isEmpty()) {
        tell(QStringLiteral("Nicht exportiert:"));
        for (const QString& skipped : report.outcome.skipped) tell(QStringLiteral("  ") + skipped);
    }
    // The first line of the logbook window's message; the dives left out are listed above, all of them.
    ExportOutcome counted = report.outcome;
    counted.skipped.clear();
    tell(ExportResultMessage(counted, report.output).text);
    report.facts.fileFailed = !report.outcome.written;
    report.facts.incomplete = !request.files.isEmpty() && !report.outcome.skipped.isEmpty();
    report.facts.interrupted = SignalStop::Requested();
    return report;
}

}  // namespace vyper::cli
