#pragma once

namespace vyper {

struct VyperComm;

// Turns the answer to one profile request (ProfileBuffer, ProfileCount and how the answer
// ended) into a dive. An answer that holds no dive (nothing, or fewer than 16 bytes: the end
// of the memory) counts as a failed exchange (ErrorCount, errors marked). One that is not
// whole (cut, spoilt, overlong) is a failed exchange too, with one line, and is kept in
// LostDives for the closing summary; noise without end sets LineDisturbed. A whole dive is
// counted, the dive counter shows DiveNumber, which then advances; the storage decision is
// acted on and, for a dive to be stored, the profile is walked and stored. A failure while
// walking or storing becomes a line in the message list and the dive counts as lost; the
// counters stay.
void ConvertProfileBuffer(VyperComm& m);

}  // namespace vyper
