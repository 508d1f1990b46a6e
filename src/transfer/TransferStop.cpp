#include "transfer/TransferStop.h"

#include "link/SerialSession.h"
#include "transfer/ActivityIndicator.h"
#include "transfer/TransferEnd.h"
#include "transfer/VyperComm.h"

namespace vyper {

void cmdStop_Click(VyperComm& m) { StopTransfer(m, TransferEndCause::Stopped); }

void StopTransfer(VyperComm& m, TransferEndCause cause) {
    DrainInput(m);
    m.seams.timDownLoadCtrl.SetInterval(0);
    m.DownloadState = 0;
    ShowActivity(m.seams.messages, 1);
    MessageSink& list = m.seams.messages;
    list.AddItem(QStringLiteral("Übertragung unterbrochen."));
    m.seams.controls.FocusClose();
    list.SelectLast();
    // Closing a port that is closed already, or one that fails to close, changes nothing.
    try {
        m.comVyper().SetPortOpen(false);
    } catch (const std::exception&) {
    }
    ReportLostDives(m);
    TransferEnded(m, cause);
}

}  // namespace vyper
