#pragma once
#include "transfer/TransferState.h"

namespace vyper {

struct VyperComm;

// Ends whatever transfer runs: discards waiting input, stops the control timer, sets
// DownloadState 0, shows the activity line for 1 and "Übertragung unterbrochen.", puts the
// focus on the close button (TransferControls::FocusClose), closes the port (a failure of
// the close is ignored), names the lost dives and ends the transfer for `cause` (the cause
// its log names). Also called while a dive is converted, when only new dives are wanted
// (TransferEndCause::OnlyNew).
void StopTransfer(VyperComm& m, TransferEndCause cause);
// The click on "Sto&p": StopTransfer for TransferEndCause::Stopped.
void cmdStop_Click(VyperComm& m);

}  // namespace vyper
