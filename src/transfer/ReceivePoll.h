#pragma once

namespace vyper {

struct VyperComm;

// The receive event of the port: the receive handler, reading the answer by the transfer's
// DownloadState.
void comVyper_OnComm(VyperComm& m);

// The 10 ms poll: while bytes wait, holds the transfer control timer and feeds one byte to
// the receive handler. With the queue empty it does nothing, except that it restarts a
// control timer that it held itself between two ticks (outside a tick, transfer not stopped).
// With the port closed it stops its own timer; a start that opens the port starts it again.
// It holds the control timer for at most a second at a time between two ticks: a line full
// of noise must not stop a transfer for good.
void timChkRxDone_Timer(VyperComm& m);

}  // namespace vyper
