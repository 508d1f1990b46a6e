#pragma once
#include <QString>
#include <cstdint>
#include <functional>

#include "link/Link.h"

namespace vyper {

// The command text of a memory read: "05 00 " + address + " " + length in plain decimal
// digits ("05 00 0 32"). Pure.
QString MemoryReadCommandText(int16_t address, int16_t length);

// Packet lengths of the answers, counting the echo of the self-built interface
// (interfaceType 2): 35 or 38 for a profile packet, length + 5 or length + 10 for a memory read.
int32_t ProfileExpectedCount(int16_t interfaceType);
int32_t MemoryReadExpectedCount(int16_t interfaceType, int16_t length);

// Makes the receive side expect the first packet of a profile answer: its length, and the
// three echoed command bytes in front of it through the self-built interface.
void ExpectProfileAnswer(Link& m);

// Each command discards waiting input, resets the receive state, sets ExpectedCount for
// its answer and sends its command text; it returns after the post-command pause.
// Send failures are reported by SendCommandText, which also says what `stopped` does.
// "08 165": the newest dive.
void SendProfileStart(Link& m, const std::function<bool()>& stopped);
// "09 165": the next older dive.
void SendProfileNext(Link& m, const std::function<bool()>& stopped);
// Reads `length` bytes of the dive computer's memory at `address` (both 0..255; other
// values are refused by the send after the bytes before them went out).
void SendMemoryRead(Link& m, int16_t address, int16_t length, const std::function<bool()>& stopped);

}  // namespace vyper
