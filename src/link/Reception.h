#pragma once
#include <cstdint>

namespace vyper {

struct VyperComm;

// The receive handler: takes at most one byte from the port into RxBuffer and, when the
// packet reaches ExpectedCount, drops the memory-read echo of the self-built interface,
// tests the checksum, appends a good packet's payload to ProfileBuffer, counts RxTotal and
// writes the packet's line into the message list. Repaints lblErr on every call.
// A memory-read reply of the length asked for that passes its checksum is kept aside in
// MemoryReply. Bounds: a byte that would lie past RxBuffer's end is discarded (that packet can never
// complete); payload past ProfileBuffer's end is not stored and sets ProfileOverlong.
void comVyper_OnComm(VyperComm& m);

// The 10 ms poll: while bytes wait, holds the transfer control timer and feeds one byte to
// the receive handler. With the queue empty it does nothing, except that it restarts a
// control timer that it held itself between two ticks (outside a tick, transfer not stopped).
// With the port closed it stops its own timer; OpenCommPort starts it again. It holds the
// control timer for at most a second at a time between two ticks: a line full of noise
// must not stop a transfer for good.
void timChkRxDone_Timer(VyperComm& m);

// True when the XOR of RxBuffer elements 0 .. count - 1 equals `expected` (count <= 0
// gives the XOR 0; a count beyond the buffer covers the whole buffer).
bool RxChecksumOk(const VyperComm& m, int16_t expected, int32_t count);

// Starts a fresh answer: RxCount, ProfileCount and ExpectedCount 0, elements 1..8192 of
// RxBuffer and ProfileBuffer 0 (element 0 keeps its value), the answer's flags, its raw
// head and the kept memory reply cleared.
void ResetRxState(VyperComm& m);

}  // namespace vyper
