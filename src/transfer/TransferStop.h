#pragma once

namespace vyper {

struct VyperComm;

// Ends whatever transfer runs: discards waiting input, stops the control timer, sets
// DownloadState 0, shows the activity line for 1 and "Übertragung unterbrochen.", puts the
// focus on the close button (TransferControls::FocusClose) and closes the port (a failure of
// the close is ignored).
// Also called while a dive is converted, when only new dives are wanted.
void cmdStop_Click(VyperComm& m);

}  // namespace vyper
