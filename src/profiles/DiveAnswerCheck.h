#pragma once
#include <QString>
#include <cstdint>
#include <span>

namespace vyper {

// What the receive side saw of the answer to one profile request.
struct DiveAnswerFacts {
    int32_t payloadCount = 0;         // payload bytes of the good packets (ProfileCount)
    bool overlong = false;            // more payload than the buffer holds
    bool damaged = false;             // a packet of the answer failed its checksum
    bool endedByShortPacket = false;  // a good packet of fewer than 32 bytes ended it
    int32_t lastPacketLength = 0;     // payload of that short packet
    int32_t pendingBytes = 0;         // bytes of a packet that never completed (no echo)
    int pendingCodeByte = -1;         // that packet's first byte
    int pendingLengthByte = -1;       // that packet's length byte, -1 when it never came
    int codeByte = -1;                // the code byte of the answer's first good packet
    bool endless = false;             // bytes kept coming until the wait's upper bound
    bool deviceLost = false;          // the device went away before the line fell quiet
};

enum class DiveAnswerVerdict {
    NoDive,    // nothing that could be a dive: the end of the memory, or no answer at all
    Whole,     // a complete dive
    Overlong,  // longer than the buffer: its end, with the header, is missing
    Damaged,   // a packet failed its checksum: the dive has a hole
    Cut,       // the answer stopped before its end
    Endless,   // the line never fell quiet: noise; whether a dive was sent is unknown
};

// Judges an answer. A dive ends with a packet of fewer than 32 payload bytes; a dive whose
// length is a multiple of 32 has none, and is taken as whole only when its header holds a
// possible date and time (a cut after whole packets reads its header from profile bytes).
// Such an answer from a device that went away is taken as cut: it may have stopped after
// any whole packet.
DiveAnswerVerdict JudgeDiveAnswer(const DiveAnswerFacts& facts, std::span<const int32_t> payload);

// True when the header in the last 14 bytes holds a possible date and time: year 0..99,
// month 1..12, day 1..31, hour 0..23, minute 0..59. False for fewer than 16 bytes.
bool PlausibleDiveHeader(std::span<const int32_t> payload);

// True when the header bytes of a spoilt answer can still be believed: they came whole in
// a good last packet and hold a possible date.
bool HeaderSurvived(const DiveAnswerFacts& facts, std::span<const int32_t> payload);

// "16.08.2024, 15:05 Uhr" from the header of a dive (N >= 16).
QString DiveDateForUser(std::span<const int32_t> payload);

}  // namespace vyper
