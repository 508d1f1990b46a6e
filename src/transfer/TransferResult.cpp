#include "transfer/TransferResult.h"

#include "platform/MessageBoxes.h"
#include "transfer/VyperComm.h"

namespace vyper {

QString DownloadResultLine(int stored, int kept, int lost) {
    return QStringLiteral("Ergebnis: %1 neu gespeichert, %2 schon vorhanden (nicht überschrieben), %3 verloren.")
        .arg(stored)
        .arg(kept)
        .arg(lost);
}

QString SilentDeviceLine(bool echoSeen) {
    return echoSeen ? QStringLiteral("Keine Antwort vom Tauchcomputer: nur das Echo des Interfaces kam zurück.")
                    : QStringLiteral("Keine Antwort vom Tauchcomputer: kein einziges Byte empfangen.");
}

QString SilentDeviceText(const QString& portName, const QString& logPath) {
    QString text = QStringLiteral(
                       "Der Tauchcomputer hat nicht geantwortet. Bitte prüfen:\n"
                       "1. Ist der Tauchcomputer im Übertragungsmodus?\n"
                       "2. Sitzt das Interface fest auf den Kontakten des Tauchcomputers?\n"
                       "3. Steckt das Interface an %1?")
                       .arg(portName);
    if (!logPath.isEmpty()) text += QStringLiteral("\n\nProtokoll dieser Übertragung: ") + logPath;
    return text;
}

QString PortWithDevice(VyperComm& m) {
    const QString device = m.comVyper().DeviceName();
    return device.isEmpty() ? QStringLiteral("COM%1").arg(m.CommPortNumber)
                            : QStringLiteral("COM%1 (%2)").arg(m.CommPortNumber).arg(device);
}

bool DeviceStayedSilent(TransferEndCause cause, const TransferState& state) {
    if (state.DeviceAnswered || state.CommandRefused) return false;
    return cause == TransferEndCause::Finished || cause == TransferEndCause::ErrorLimit;
}

void ReportTransferResult(VyperComm& m, TransferEndCause cause) {
    MessageSink& list = m.seams.messages;
    if (DeviceStayedSilent(cause, m)) list.AddNoteShown(SilentDeviceLine(m.EchoSeen));
    if (m.TransferKind != 2) return;
    if (cause == TransferEndCause::OnlyNew) {
        list.AddNote(QStringLiteral("Nur neue Tauchgänge: beim ersten schon gespeicherten Tauchgang angehalten."));
    }
    list.AddNoteShown(DownloadResultLine(m.DivesStored, m.DivesKept, static_cast<int>(m.LostDives.size())));
}

void ShowSilentDeviceBox(VyperComm& m) {
    const QString logPath = m.platform.log != nullptr ? m.platform.log->Path() : QString();
    m.platform.boxes.Show(SilentDeviceText(PortWithDevice(m), logPath), style::Critical | style::OkOnly,
                          kMessageTitle);
}

}  // namespace vyper
