#include "logbook/ExportTexts.h"

#include "platform/AppInfo.h"
#include "platform/MessageBoxes.h"

namespace vyper {

namespace {

QString SkippedLines(const QStringList& skipped) {
    QString text = QStringLiteral("Nicht exportiert:\n") + skipped.mid(0, kSkippedLinesShown).join(QLatin1Char('\n'));
    if (skipped.size() > kSkippedLinesShown) {
        text += QStringLiteral("\n… und %1 weitere").arg(skipped.size() - kSkippedLinesShown);
    }
    return text;
}

}  // namespace

QString ProposedExportPath(const QString& folder, ExportFormat format) {
    return JoinPath(folder, format == ExportFormat::Uddf ? QStringLiteral("Logbuch.uddf") : QStringLiteral("Logbuch.csv"));
}

QString ExportFileFilter(ExportFormat format) {
    return format == ExportFormat::Uddf ? QStringLiteral("UDDF-Dateien (*.uddf)") : QStringLiteral("CSV-Dateien (*.csv)");
}

QString ExportDialogTitle(ExportFormat format) {
    return format == ExportFormat::Uddf ? QStringLiteral("Logbuch als UDDF exportieren")
                                        : QStringLiteral("Logbuch als CSV exportieren");
}

ExportMessage ExportResultMessage(const ExportOutcome& outcome, const QString& target) {
    if (!outcome.written) {
        QString text = QStringLiteral("Kein Tauchgang konnte exportiert werden; es wurde nichts geschrieben.");
        if (!outcome.skipped.isEmpty()) text += QStringLiteral("\n\n") + SkippedLines(outcome.skipped);
        return {text, style::Critical | style::OkOnly};
    }
    QString text = outcome.exported == 1
                       ? QStringLiteral("1 Tauchgang exportiert nach %1.").arg(target)
                       : QStringLiteral("%1 Tauchgänge exportiert nach %2.").arg(outcome.exported).arg(target);
    if (!outcome.skipped.isEmpty()) text += QStringLiteral("\n\n") + SkippedLines(outcome.skipped);
    return {text, style::Information | style::OkOnly};
}

}  // namespace vyper
