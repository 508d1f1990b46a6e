#include "transfer/TransferLogging.h"

#include <QStringList>

#include "Version.h"
#include "link/UserChoices.h"
#include "platform/TransferLog.h"
#include "transfer/ReplyWait.h"
#include "transfer/VyperComm.h"

namespace vyper {

namespace {

TransferLog* RunningLog(VyperComm& m) { return m.loggedKind != 0 ? m.platform.log : nullptr; }

QString YesNo(bool value) { return value ? QStringLiteral("ja") : QStringLiteral("nein"); }

QString OverwriteText(OverwritePolicy policy) {
    switch (policy) {
    case OverwritePolicy::Never: return QStringLiteral("nie überschreiben");
    case OverwritePolicy::Ask: return QStringLiteral("individuell nachfragen");
    case OverwritePolicy::Always: return QStringLiteral("immer überschreiben");
    }
    return QString();
}

QString Title(VyperComm& m, int16_t kind) {
    const QString device = m.comVyper().DeviceName();
    QStringList parts{
        QStringLiteral("Vyper-Grundelnetz %1.%2.%3").arg(version::Major).arg(version::Minor).arg(version::Revision),
        kind == 1 ? QStringLiteral("Einstellungen auslesen") : QStringLiteral("Tauchgänge übertragen"),
        device.isEmpty() ? QStringLiteral("COM%1").arg(m.CommPortNumber)
                         : QStringLiteral("COM%1 = %2").arg(m.CommPortNumber).arg(device),
        QStringLiteral("Interface: ") + (m.InterfaceType == 2 ? kInterfaceSelfBuilt : kInterfaceOriginal),
        QStringLiteral("Verzögerung: %1 ms").arg(m.CommandDelay),
        QStringLiteral("Max. Fehlerzahl: ") + m.seams.controls.ErrorLimitText(),
    };
    if (kind == 2) {
        parts << QStringLiteral("Anzahl: ") + m.seams.controls.DiveCountText()
              << QStringLiteral("Nur neue Tauchgänge: ") + YesNo(m.seams.storage.OnlyNewDives())
              << QStringLiteral("Existierende: ") + OverwriteText(m.seams.storage.Overwrite())
              << QStringLiteral("Ordner: ") + m.ProfileFolder;
    }
    return parts.join(QStringLiteral(" · "));
}

QString CauseText(TransferEndCause cause) {
    switch (cause) {
    case TransferEndCause::Finished: return QStringLiteral("alle Speicherblöcke abgefragt");
    case TransferEndCause::DiveLimit: return QStringLiteral("gewünschte Anzahl Tauchgänge erreicht");
    case TransferEndCause::ErrorLimit: return QStringLiteral("Fehlergrenze erreicht");
    case TransferEndCause::Stopped: return QStringLiteral("mit „Stop“ unterbrochen");
    case TransferEndCause::OnlyNew: return QStringLiteral("bereits gespeicherter Tauchgang, nur neue gewünscht");
    case TransferEndCause::DeviceLost: return QStringLiteral("Verbindung abgerissen, Gerät nicht mehr da");
    case TransferEndCause::WrongInterface: return QStringLiteral("Kabel passt nicht zum Interface-Typ");
    case TransferEndCause::Closed: return QStringLiteral("Programm mit „Ende“ geschlossen");
    }
    return QString();
}

QString CountsText(int16_t kind, const TransferState& s) {
    if (kind == 1) {
        return QStringLiteral("%1 von 4 Speicherblöcken ohne gültige Antwort").arg(s.SettingsBlocksMissing);
    }
    QString text = QStringLiteral("%1 Tauchgänge gelesen, %2 gespeichert, %3 verloren, Fehlerzahl %4")
                       .arg(s.DivesConverted)
                       .arg(s.DivesStored)
                       .arg(s.LostDives.size())
                       .arg(s.ErrorCount);
    if (s.LineDisturbed) text += QStringLiteral(", Störungen auf der Leitung");
    return text;
}

QString WaitEndText(WaitEnd end, bool boundPassed) {
    switch (end) {
    case WaitEnd::Quiet: return QStringLiteral("Quiet, die Leitung blieb %1 ms still").arg(kQuietGapMs);
    case WaitEnd::Complete: return QStringLiteral("Complete, die Antwort ist vollständig");
    case WaitEnd::Bound:
        return boundPassed ? QStringLiteral("Bound, die längste mögliche Antwortzeit ist vorbei")
                           : QStringLiteral("Bound, Bytes ohne ein gültiges Paket (Störungen?)");
    case WaitEnd::Stopped: return QStringLiteral("Stopped, Übertragung beendet oder Schnittstelle geschlossen");
    case WaitEnd::DeviceLost: return QStringLiteral("DeviceLost, das Gerät ist nicht mehr da");
    case WaitEnd::WrongInterface: return QStringLiteral("WrongInterface, das Echo passt nicht zum Interface-Typ");
    }
    return QString();
}

}  // namespace

void BeginTransferLog(VyperComm& m, int16_t kind) {
    TransferLog* log = m.platform.log;
    if (!log) return;
    m.loggedKind = kind;
    log->Begin(Title(m, kind));
}

void NoteInLog(VyperComm& m, const QString& line) {
    if (TransferLog* log = RunningLog(m)) log->Note(line);
}

void NoteWaitEnd(VyperComm& m, WaitEnd end, int64_t startMs, uint32_t bytesBefore) {
    TransferLog* log = RunningLog(m);
    if (!log) return;
    const int64_t elapsed = m.platform.waits.MonotonicMs() - startMs;
    const bool boundPassed = elapsed >= ReplyWaitBoundMs(m.DownloadState, m.MemoryReadLength);
    log->Note(QStringLiteral("Warten beendet nach %1 ms, %2 Bytes empfangen: %3")
                  .arg(elapsed)
                  .arg(m.RxBytesTaken - bytesBefore)
                  .arg(WaitEndText(end, boundPassed)));
}

bool TransferFailed(int16_t kind, TransferEndCause cause, const TransferState& state) {
    if (cause == TransferEndCause::DeviceLost || cause == TransferEndCause::WrongInterface) return true;
    if (kind == 1) return state.SettingsBlocksMissing > 0;
    if (!state.LostDives.empty() || state.LineDisturbed) return true;
    return cause == TransferEndCause::ErrorLimit && state.DivesConverted == 0;
}

QString TransferLogLine(const TransferLog& log) {
    if (!log.Path().isEmpty()) return QStringLiteral("Protokoll dieser Übertragung: ") + log.Path();
    if (!log.Problem().isEmpty()) return QStringLiteral("Protokoll dieser Übertragung nicht gespeichert: ") + log.Problem();
    return QString();
}

void FinishTransferLog(VyperComm& m, TransferEndCause cause) {
    TransferLog* log = RunningLog(m);
    if (!log) return;
    const int16_t kind = m.loggedKind;
    const bool failed = TransferFailed(kind, cause, m);
    log->End(QStringLiteral("%1; %2; %3")
                 .arg(CauseText(cause), CountsText(kind, m),
                      failed ? QStringLiteral("fehlgeschlagen") : QStringLiteral("in Ordnung")));
    m.loggedKind = 0;
    if (!failed) return;
    // Written after the log's end, so that the line names the file as it stays (or why
    // there is none).
    const QString line = TransferLogLine(*log);
    if (!line.isEmpty()) m.seams.messages.AddNoteShown(line);
}

}  // namespace vyper
