#include "transfer/TransferControl.h"

#include "link/Commands.h"
#include "link/NumberText.h"
#include "link/Reception.h"
#include "link/SerialSession.h"
#include "link/VyperComm.h"
#include "profiles/ConvertProfileBuffer.h"
#include "transfer/SettingsReport.h"

namespace vyper {

namespace {

void StartControlTimer(VyperComm& m) { m.ui.timDownLoadCtrl->SetInterval(kControlTimerInterval); }
void StopControlTimer(VyperComm& m) { m.ui.timDownLoadCtrl->SetInterval(0); }

void AddLine(VyperComm& m, const QString& line) { m.ui.lstVyperComm->AddItem(line); }
void SelectLastLine(VyperComm& m) { m.ui.lstVyperComm->SelectLast(); }

void ClosePort(VyperComm& m) {
    try {
        m.comVyper().SetPortOpen(false);
    } catch (const RuntimeFailure&) {
        // Closing a port cannot fail in a way that matters here.
    }
}

// Opens the port for a start; a refusal is shown to the user and ends the start.
bool OpenPortForStart(VyperComm& m) {
    try {
        OpenCommPort(m);
        return true;
    } catch (const RuntimeFailure& failure) {
        ReportOpenCommPortFailure(m, failure);
        return false;
    }
}

void ResetCounters(VyperComm& m) {
    m.DiveNumber = 1;
    m.RxTotal = 0;
    m.ErrorCount = 0;
    m.DivesConverted = 0;
}

// Steps shared by both starts once the port is open.
void PrepareLabelsAndReception(VyperComm& m) {
    m.ui.lblErr->SetForeColor(kColourGrey);
    m.ui.lblErr2->SetForeColor(kColourGrey);
    DrainInput(m);
    ResetRxState(m);
    m.ui.lblCnt->SetCaption(QStringLiteral("0"));
    m.ui.lblDiveCnt->SetCaption(QStringLiteral("0"));
    m.ui.lblErr->SetCaption(QStringLiteral("0"));
    m.PollHeldControlTimer = false;
}

void SendNextCommand(VyperComm& m) {
    switch (m.DownloadState) {
    case 1:
        SendMemoryRead(m, static_cast<int16_t>(m.SettingsStep * 32), 32);
        break;
    case 2:
        if (m.DiveNumber == 1) SendProfileStart(m);
        else SendProfileNext(m);
        break;
    default:
        break;
    }
}

void EvaluateSettingsBlock(VyperComm& m) {
    ReportSettingsBlock(m, m.SettingsStep);
    SelectLastLine(m);
    m.SettingsStep = static_cast<int16_t>(m.SettingsStep + 1);
    if (m.SettingsStep <= 3) StartControlTimer(m);
    else StopControlTimer(m);
}

void EvaluateDive(VyperComm& m) {
    ConvertProfileBuffer(m);
    StartControlTimer(m);
    const double wanted = LeadingNumber(m.ui.cmbNDives->Text());
    if (wanted > 0 && wanted < m.DiveNumber) {
        StopControlTimer(m);
        // No title of its own: the box carries the program's name.
        m.platform.boxes.Show(QStringLiteral("Übertragung beendet"), style::OkOnly, QString());
        ClosePort(m);
    }
}

void ApplyErrorLimit(VyperComm& m) {
    const double limit = LeadingNumber(m.ui.txtErrMax->Text());
    if (limit > m.ErrorCount) return;
    StopControlTimer(m);
    AddLine(m, QString());
    AddLine(m, QStringLiteral("Übertragung beendet."));
    ClosePort(m);
    AddLine(m, QString());
    SelectLastLine(m);
    if (m.DivesConverted >= 1) {
        AddLine(m, QStringLiteral("Alle Tauchgänge wurden in das Datenformat von Lotwerk"));
        AddLine(m, QStringLiteral("umgewandelt und im Ordner"));
        AddLine(m, m.ProfileFolder);
        AddLine(m, QStringLiteral("abgespeichert."));
        SelectLastLine(m);
    }
}

}  // namespace

void cmdDownload_Click(VyperComm& m) {
    if (!OpenPortForStart(m)) return;
    ResetCounters(m);
    PrepareLabelsAndReception(m);
    m.DownloadState = 2;
    StartControlTimer(m);
}

void cmdGetVyperSettings_Click(VyperComm& m) {
    ResetCounters(m);
    if (!OpenPortForStart(m)) return;
    PrepareLabelsAndReception(m);
    m.DownloadState = 1;
    m.SettingsStep = 0;
    AddLine(m, QStringLiteral("Lese Speicher von Vyper..."));
    SelectLastLine(m);
    StartControlTimer(m);
}

void WaitForQuietLine(VyperComm& m) {
    Waits& waits = m.platform.waits;
    int64_t quietSince = waits.MonotonicMs();
    for (;;) {
        if (m.comVyper().InBufferCount() > 0) {
            waits.DoEvents();
            quietSince = waits.MonotonicMs();
            continue;
        }
        // A closed port (Stop pressed meanwhile) receives nothing more.
        if (!m.comVyper().PortOpen() || waits.MonotonicMs() - quietSince >= kQuietGapMs) return;
        waits.DoEvents();
        waits.Sleep(kQuietPollMs);
    }
}

void timDownLoadCtrl_Timer(VyperComm& m) {
    // The wait and the modal boxes of a tick run the message loop; a tick that the timer
    // fires meanwhile (a start clicked during the wait) must not run inside this one.
    if (m.InTick) return;
    m.InTick = true;
    StopControlTimer(m);
    m.PollHeldControlTimer = false;
    SendNextCommand(m);
    WaitForQuietLine(m);
    switch (m.DownloadState) {
    case 1: EvaluateSettingsBlock(m); break;
    case 2: EvaluateDive(m); break;
    default: break;
    }
    ApplyErrorLimit(m);
    m.InTick = false;
}

}  // namespace vyper
