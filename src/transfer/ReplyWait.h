#pragma once
#include <cstdint>

#include "transfer/VyperComm.h"

namespace vyper {

// The wait after a command ends when the receive queue has stayed empty this long.
// At 2400 baud a byte takes about 4.6 ms, so 200 ms are some 45 character times: long enough
// that a reply still trickling in is never taken as complete.
inline constexpr int kQuietGapMs = 200;
// How long the wait sleeps between two looks at an empty queue.
inline constexpr int kQuietPollMs = 20;

// The longest time that the answer to the command just sent can take, plus a margin: its
// bytes at 2400 baud with 11 bits each (the largest dive the receive buffer holds, in full
// packets, behind the echo; or the memory block asked for, behind its echo), a pause between
// packets and two seconds. A wait that reaches it faces a line that never falls quiet.
int ReplyWaitBoundMs(int16_t downloadState, int32_t memoryReadLength);

// While bytes keep coming, a dive's answer brings a good full packet at least this often:
// the line time of four full packets and a margin. Longer without one, the line carries
// noise (the short last packet ends the answer, and with it the wait, when it is good).
int NoGoodPacketBoundMs();

// True when the framing shows that a good answer is whole: a dive's short last packet has
// been taken and no packet before it failed, or a good memory-read reply has been kept.
bool AnswerFramingComplete(const VyperComm& m);

// Yields to the message loop until the answer is complete, the line has stayed quiet for
// kQuietGapMs, the bound has passed (or bytes came for NoGoodPacketBoundMs without a good
// packet), the transfer was stopped (DownloadState 0 or port
// closed), the device went away, or the first bytes of a dive's answer show a cable that
// does not match the chosen interface type. Says which.
WaitEnd WaitForReply(VyperComm& m);

}  // namespace vyper
