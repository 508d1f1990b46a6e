#include "transfer/TransferEnd.h"

#include "platform/MessageBoxes.h"
#include "transfer/TransferLogging.h"
#include "transfer/TransferResult.h"

namespace vyper {

namespace {

void StopAndClose(VyperComm& m) {
    m.seams.timDownLoadCtrl.SetInterval(0);
    m.DownloadState = 0;
    try {
        m.comVyper().SetPortOpen(false);
    } catch (const RuntimeFailure&) {
        // The transfer is over either way.
    }
}

QString DivesText(int count) {
    return count == 1 ? QStringLiteral("1 Tauchgang") : QStringLiteral("%1 Tauchgänge").arg(count);
}

}  // namespace

void SetTransferActive(VyperComm& m, bool active) {
    if (m.TransferActive == active) return;
    m.TransferActive = active;
    // A command's pause of the transfer that ended must not wait out its time.
    if (!active) m.platform.waits.InterruptPauses();
    if (m.OnTransferActiveChanged) m.OnTransferActiveChanged(active);
}

void TransferEnded(VyperComm& m, TransferEndCause cause) {
    if (!m.TransferActive) return;
    m.LastEndCause = cause;
    ReportTransferResult(m, cause);
    FinishTransferLog(m, cause);
    SetTransferActive(m, false);
    if (DeviceStayedSilent(cause, m)) ShowSilentDeviceBox(m);
}

QStringList LostDiveLines(int stored, const std::vector<LostDive>& lost, bool disturbed) {
    if (lost.empty() && !disturbed) return {};
    QStringList lines;
    if (!lost.empty()) {
        lines << QStringLiteral("Nicht alle Tauchgänge wurden abgespeichert: %1 gespeichert, %2 verloren:")
                     .arg(DivesText(stored), DivesText(static_cast<int>(lost.size())));
    }
    for (const LostDive& dive : lost) {
        const QString date = dive.date.isEmpty() ? QStringLiteral("Datum unbekannt") : QStringLiteral("vom ") + dive.date;
        lines << QStringLiteral("  verloren: der %1. Tauchgang, vom neuesten an gezählt (%2)").arg(dive.place).arg(date);
    }
    if (disturbed) {
        lines << QStringLiteral("Störungen auf der Leitung: ob alle Tauchgänge übertragen wurden, ist nicht sicher "
                                "(%1 gespeichert).")
                     .arg(DivesText(stored));
    }
    lines << QStringLiteral("Bitte noch einmal übertragen, mit ausgeschaltetem \"Nur neue Tauchgänge laden\".");
    return lines;
}

void ReportLostDives(VyperComm& m) {
    // Once per transfer: only while it still counts as running.
    if (!m.TransferActive) return;
    const QStringList lines = LostDiveLines(m.DivesStored, m.LostDives, m.LineDisturbed);
    if (lines.isEmpty()) return;
    for (const QString& line : lines) m.seams.messages.AddNote(line);
    m.seams.messages.SelectLast();
}

void EndTransferDeviceLost(VyperComm& m) {
    const QString where = PortWithDevice(m);
    StopAndClose(m);
    ReportLostDives(m);
    TransferEnded(m, TransferEndCause::DeviceLost);
    m.platform.boxes.Show(QStringLiteral("Die Verbindung zum Tauchcomputer an %1 ist abgerissen: das Gerät ist nicht "
                                         "mehr da (Kabel abgezogen?). Die Übertragung wurde beendet; bereits "
                                         "gespeicherte Tauchgänge bleiben erhalten.")
                              .arg(where),
                          style::Critical | style::OkOnly, kMessageTitle);
}

void EndTransferWrongInterface(VyperComm& m, const QString& line) {
    StopAndClose(m);
    m.seams.messages.AddNoteShown(line);
    ReportLostDives(m);
    TransferEnded(m, TransferEndCause::WrongInterface);
}

}  // namespace vyper
