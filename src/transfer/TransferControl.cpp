#include "transfer/TransferControl.h"

#include "link/Commands.h"
#include "link/EchoCheck.h"
#include "link/Reception.h"
#include "link/SerialSession.h"
#include "text/NumberText.h"
#include "transfer/ConvertProfileBuffer.h"
#include "transfer/OpenPortAdvice.h"
#include "transfer/ReplyWait.h"
#include "transfer/SettingsReport.h"
#include "transfer/TransferEnd.h"
#include "transfer/TransferLogging.h"
#include "transfer/VyperComm.h"

namespace vyper {

namespace {

void StartControlTimer(VyperComm& m) { m.seams.timDownLoadCtrl.SetInterval(kControlTimerInterval); }
void StopControlTimer(VyperComm& m) { m.seams.timDownLoadCtrl.SetInterval(0); }

void AddLine(VyperComm& m, const QString& line) { m.seams.messages.AddItem(line); }
void SelectLastLine(VyperComm& m) { m.seams.messages.SelectLast(); }

void ClosePort(VyperComm& m) {
    try {
        m.comVyper().SetPortOpen(false);
    } catch (const RuntimeFailure&) {
        // Closing a port cannot fail in a way that matters here.
    }
}

// Opens the port for a start of `kind` and begins its log; a refusal is shown to the user
// and ends the start (it is no transfer, and its box says all there is to say).
bool OpenPortForStart(VyperComm& m, int16_t kind) {
    try {
        OpenCommPort(m);
        BeginTransferLog(m, kind);
        // The receive poll rests while the port is closed (it would find nothing); it looks
        // again from now on.
        m.seams.timChkRxDone.SetInterval(kReceivePollInterval);
        return true;
    } catch (const RuntimeFailure& failure) {
        // The one adapter present, given to the port at the user's word, is tried at once.
        return ReportOpenPortFailure(m, failure) && OpenPortForStart(m, kind);
    }
}

void ResetCounters(VyperComm& m) {
    m.DiveNumber = 1;
    m.RxTotal = 0;
    m.ErrorCount = 0;
    m.DivesConverted = 0;
    m.DiveAnswers = 0;
    m.DivesStored = 0;
    m.DivesKept = 0;
    m.LostDives.clear();
    m.LineDisturbed = false;
    m.SettingsBlocksMissing = 0;
    m.DeviceAnswered = false;
    m.EchoSeen = false;
    m.CommandRefused = false;
}

// Steps shared by both starts once the port is open.
void PrepareLabelsAndReception(VyperComm& m) {
    m.seams.counters.MarkErrors(false);
    DrainInput(m);
    ResetRxState(m);
    m.seams.counters.ShowBytes(0);
    m.seams.counters.ShowDives(0);
    m.seams.counters.ShowErrors(0);
    m.PollHeldControlTimer = false;
    m.PollHoldGivenUp = false;
    m.PollHeldSince = -1;
}

void SendNextCommand(VyperComm& m) {
    const std::function<bool()> stopped = TransferStopped(m);
    switch (m.DownloadState) {
    case 1:
        NoteInLog(m, QStringLiteral("Anfrage: Speicherblock %1 (Adresse %2, 32 Bytes)")
                         .arg(m.SettingsStep)
                         .arg(m.SettingsStep * 32));
        SendMemoryRead(m, static_cast<int16_t>(m.SettingsStep * 32), 32, stopped);
        break;
    case 2:
        if (m.DiveNumber == 1) {
            // "08 165" starts again at the newest dive: what was lost before comes again.
            m.DiveAnswers = 0;
            m.LostDives.clear();
            m.LineDisturbed = false;
            NoteInLog(m, QStringLiteral("Anfrage: neuester Tauchgang (Nr. 1)"));
            SendProfileStart(m, stopped);
        } else {
            NoteInLog(m, QStringLiteral("Anfrage: nächster Tauchgang"));
            SendProfileNext(m, stopped);
        }
        break;
    default:
        break;
    }
}

void EvaluateSettingsBlock(VyperComm& m) {
    NoteInLog(m, QStringLiteral("Speicherblock %1: %2")
                     .arg(m.SettingsStep)
                     .arg(m.MemoryReplyGood ? QStringLiteral("gültige Antwort") : QStringLiteral("keine gültige Antwort")));
    ReportSettingsBlock(m, m.SettingsStep);
    SelectLastLine(m);
    m.SettingsStep = static_cast<int16_t>(m.SettingsStep + 1);
    if (m.SettingsStep <= 3) {
        StartControlTimer(m);
    } else {
        StopControlTimer(m);
        TransferEnded(m, TransferEndCause::Finished);
    }
}

void EvaluateDive(VyperComm& m, uint32_t generation) {
    ConvertProfileBuffer(m);
    // The only-new rule may have stopped the transfer while the dive was judged, or a Stop
    // and a new start came during the overwrite question or the file's write.
    if (!m.TransferActive || m.TransferGeneration != generation) return;
    StartControlTimer(m);
    const double wanted = LeadingNumber(m.seams.controls.DiveCountText());
    if (wanted > 0 && wanted < m.DiveNumber) {
        NoteInLog(m, QStringLiteral("Gewünschte Anzahl erreicht: %1").arg(wanted));
        StopControlTimer(m);
        // No title of its own: the box carries the program's name.
        ClosePort(m);
        ReportLostDives(m);
        TransferEnded(m, TransferEndCause::DiveLimit);
        m.platform.boxes.Show(QStringLiteral("Übertragung beendet"), style::OkOnly, QString());
    }
}

void ApplyErrorLimit(VyperComm& m) {
    // A transfer that has ended already (Stop, the dive limit) gets no second ending.
    if (!m.TransferActive) return;
    const double limit = LeadingNumber(m.seams.controls.ErrorLimitText());
    if (limit > m.ErrorCount) return;
    NoteInLog(m, QStringLiteral("Fehlergrenze erreicht: Fehlerzahl %1, Grenze %2").arg(m.ErrorCount).arg(limit));
    StopControlTimer(m);
    AddLine(m, QString());
    AddLine(m, QStringLiteral("Übertragung beendet."));
    ClosePort(m);
    AddLine(m, QString());
    SelectLastLine(m);
    // "All dives" only when no dive that the device sent was lost on the way.
    if (m.DivesConverted >= 1 && m.LostDives.empty() && !m.LineDisturbed) {
        AddLine(m, QStringLiteral("Alle Tauchgänge wurden in das Datenformat von Lotwerk"));
        AddLine(m, QStringLiteral("umgewandelt und im Ordner"));
        AddLine(m, m.ProfileFolder);
        AddLine(m, QStringLiteral("abgespeichert."));
        SelectLastLine(m);
    }
    ReportLostDives(m);
    TransferEnded(m, TransferEndCause::ErrorLimit);
}

// True when the first bytes of a reply that was not taken as good show a cable that does
// not match the chosen interface type.
EchoVerdict EchoVerdictAfterWait(const VyperComm& m) {
    const bool lineQuiet = m.WaitOutcome == WaitEnd::Quiet;
    if (m.WaitOutcome == WaitEnd::WrongInterface) return JudgeEcho(m.SentCommand, m.AnswerHead, m.InterfaceType, lineQuiet);
    const bool good = m.DownloadState == 1 ? m.MemoryReplyGood : (m.ProfileAnswerEnded && !m.ProfileDamaged);
    if (good) return EchoVerdict::AsChosen;
    return JudgeEcho(m.SentCommand, m.AnswerHead, m.InterfaceType, lineQuiet);
}

// Ends the transfer when the device went away or the cable does not match; true if so.
bool EndedByLinkTrouble(VyperComm& m) {
    if (m.DownloadState == 0) return false;
    if (m.WaitOutcome == WaitEnd::DeviceLost) {
        // What did arrive is judged first: stored when whole, else named as lost.
        if (m.DownloadState == 2) ConvertProfileBuffer(m);
        EndTransferDeviceLost(m);
        return true;
    }
    const EchoVerdict echo = EchoVerdictAfterWait(m);
    if (echo == EchoVerdict::CableEchoes || echo == EchoVerdict::CableDoesNotEcho) {
        EndTransferWrongInterface(m, WrongInterfaceLine(echo));
        return true;
    }
    return false;
}

// Notes whether the exchange brought anything beyond the echo of its command, and whether
// the command went out whole (a port that refused it has a box of its own, and the device
// cannot be blamed for not answering); `takenBefore` is the receive count before the command.
void NoteWhatCameBack(VyperComm& m, uint32_t takenBefore) {
    // "05 00 address length" and "08 165" / "09 165", each with its checksum byte.
    const qsizetype whole = m.DownloadState == 1 ? 5 : m.DownloadState == 2 ? 3 : 0;
    if (m.SentCommand.size() < whole) m.CommandRefused = true;
    const qsizetype echo = EchoLength(m.SentCommand, m.AnswerHead);
    if (echo > 0) m.EchoSeen = true;
    if (m.RxBytesTaken - takenBefore > static_cast<uint32_t>(echo)) m.DeviceAnswered = true;
}

// One exchange of a tick: the command, the wait for its answer and the evaluation.
void RunExchange(VyperComm& m) {
    StopControlTimer(m);
    m.PollHeldControlTimer = false;
    m.PollHoldGivenUp = false;
    m.PollHeldSince = -1;
    const uint32_t generation = m.TransferGeneration;
    const uint32_t takenBefore = m.RxBytesTaken;
    SendNextCommand(m);
    const int64_t waitStart = m.platform.waits.MonotonicMs();
    const uint32_t bytesBefore = m.RxBytesTaken;
    m.WaitOutcome = WaitForReply(m);
    // A transfer stopped during the pauses, and maybe started anew by now, is not this
    // tick's any more: nothing of it is evaluated.
    if (m.TransferGeneration != generation) return;
    NoteWaitEnd(m, m.WaitOutcome, waitStart, bytesBefore);
    NoteWhatCameBack(m, takenBefore);
    if (EndedByLinkTrouble(m)) return;
    switch (m.DownloadState) {
    case 1: EvaluateSettingsBlock(m); break;
    case 2: EvaluateDive(m, generation); break;
    default: break;
    }
    if (m.TransferGeneration != generation) return;
    ApplyErrorLimit(m);
}

}  // namespace

std::function<bool()> TransferStopped(VyperComm& m) {
    const bool inTransfer = m.DownloadState != 0;
    const uint32_t generation = m.TransferGeneration;
    return [&m, inTransfer, generation] {
        return inTransfer && (m.DownloadState == 0 || m.TransferGeneration != generation);
    };
}

void cmdDownload_Click(VyperComm& m) {
    // One transfer at a time: a start meanwhile must not touch the running one.
    if (m.TransferActive) return;
    if (!OpenPortForStart(m, 2)) return;
    ResetCounters(m);
    PrepareLabelsAndReception(m);
    m.DownloadState = 2;
    m.TransferKind = 2;
    ++m.TransferGeneration;
    SetTransferActive(m, true);
    StartControlTimer(m);
}

void cmdGetVyperSettings_Click(VyperComm& m) {
    if (m.TransferActive) return;
    ResetCounters(m);
    if (!OpenPortForStart(m, 1)) return;
    PrepareLabelsAndReception(m);
    m.DownloadState = 1;
    m.TransferKind = 1;
    m.SettingsStep = 0;
    AddLine(m, QStringLiteral("Lese Speicher von Vyper..."));
    SelectLastLine(m);
    ++m.TransferGeneration;
    SetTransferActive(m, true);
    StartControlTimer(m);
}

void timDownLoadCtrl_Timer(VyperComm& m) {
    // The wait and the modal boxes of a tick run the message loop; a tick that the timer
    // fires meanwhile (a start clicked during the wait) must not run inside this one.
    if (m.InTick) return;
    m.InTick = true;
    // Inside a tick the wait collects the answer itself, every byte announced by a receive
    // event; the receive poll would only wake the program for nothing meanwhile.
    m.seams.timChkRxDone.SetInterval(0);
    RunExchange(m);
    if (m.comVyper().PortOpen()) m.seams.timChkRxDone.SetInterval(kReceivePollInterval);
    m.InTick = false;
}

}  // namespace vyper
