#pragma once

namespace vyper {

struct VyperComm;

// Turns the answer to one profile request (ProfileBuffer, ProfileCount) into a dive:
// an answer of 15 bytes or fewer, or one too long for the buffer, counts as a failed
// exchange (ErrorCount, red error labels). Otherwise the dive is counted, lblDiveCnt shows
// DiveNumber, which then advances; the storage decision is taken and, for a dive to be
// stored, the profile is walked and stored. A failure while walking or storing becomes a
// line in the message list; the counters stay as they are and the file is closed.
void ConvertProfileBuffer(VyperComm& m);

}  // namespace vyper
