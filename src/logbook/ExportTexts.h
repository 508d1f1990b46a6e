#pragma once
#include <QString>

#include "logbook/DiveExport.h"

namespace vyper {

// The path the save dialog proposes: "Logbuch.uddf" or "Logbuch.csv" in `folder`.
QString ProposedExportPath(const QString& folder, ExportFormat format);
// The save dialog's file type ("UDDF-Dateien (*.uddf)") and title ("Logbuch als UDDF exportieren").
QString ExportFileFilter(ExportFormat format);
QString ExportDialogTitle(ExportFormat format);

// The most skipped dives a message names one by one; the rest are counted.
inline constexpr int kSkippedLinesShown = 10;

// What the user is told after an export: text and message box style.
struct ExportMessage {
    QString text;
    int style = 0;
};

// "3 Tauchgänge exportiert nach <target>." with the information icon, followed by
// "Nicht exportiert:" and the dives left out (at most kSkippedLinesShown, then
// "… und k weitere"); when nothing was written, that no dive could be exported and why,
// with the critical icon.
ExportMessage ExportResultMessage(const ExportOutcome& outcome, const QString& target);

}  // namespace vyper
