#include "transfer/TransferStop.h"

#include "link/SerialSession.h"
#include "link/VyperComm.h"
#include "transfer/ActivityIndicator.h"
#include "transfer/TransferEnd.h"

namespace vyper {

void cmdStop_Click(VyperComm& m) {
    DrainInput(m);
    m.ui.timDownLoadCtrl->SetInterval(0);
    m.DownloadState = 0;
    ShowActivity(m, 1);
    ListBox* list = m.ui.lstVyperComm;
    list->AddItem(QStringLiteral("Übertragung unterbrochen."));
    m.ui.cmdClose->SetFocus();
    list->SelectLast();
    // Closing a port that is closed already, or one that fails to close, changes nothing.
    try {
        m.comVyper().SetPortOpen(false);
    } catch (const std::exception&) {
    }
    ReportLostDives(m);
    SetTransferActive(m, false);
}

}  // namespace vyper
