#pragma once
#include <cstdint>

#include "link/Link.h"

namespace vyper {

// The receive handler: takes at most one byte from the port into RxBuffer and, when the
// packet reaches ExpectedCount, drops the memory-read echo of the self-built interface,
// tests the checksum, appends a good packet's payload to ProfileBuffer, counts RxTotal and
// writes the packet's line into the message list. Has the error count redrawn on every call.
// `downloadState` says what the transfer asked for: 1 a memory block, 2 a dive, 0 nothing.
// A memory-read reply of the length asked for that passes its checksum is kept aside in
// MemoryReply. Bounds: a byte that would lie past RxBuffer's end is discarded (that packet
// can never complete); payload past ProfileBuffer's end is not stored and sets ProfileOverlong.
void comVyper_OnComm(Link& m, int16_t downloadState);

// True when the XOR of RxBuffer elements 0 .. count - 1 equals `expected` (count <= 0
// gives the XOR 0; a count beyond the buffer covers the whole buffer).
bool RxChecksumOk(const ReceptionState& m, int16_t expected, int32_t count);

// Starts a fresh answer: RxCount, ProfileCount and ExpectedCount 0, elements 1..8192 of
// RxBuffer and ProfileBuffer 0 (element 0 keeps its value), the answer's flags, its raw
// head and the kept memory reply cleared.
void ResetRxState(ReceptionState& m);

}  // namespace vyper
