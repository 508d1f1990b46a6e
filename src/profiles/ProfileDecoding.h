#pragma once
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

#include "profiles/DiveRecord.h"

namespace vyper {

// The dive computer sends a dive end first: the header lies in the last 14 bytes, the
// profile bytes run from the byte before the header (first sample) down to slot 2.
// All functions here read slots 0..N-1 of `bytes` (N = bytes.size()); a slot holds a
// byte value, only its low 8 bits count.

// Fewer bytes than this hold no dive.
inline constexpr int kMinimumDiveBytes = 16;
// The byte that ends a profile.
inline constexpr int kEndOfProfile = 128;
// Stored sample intervals below this are taken as this many seconds.
inline constexpr int kMinimumSampleInterval = 20;

// The header fields of a dive (N >= 16): date and time, surface interval, sample interval
// (at least 20), oxygen, air temperature, DateText and MaxDepthTemperature. The profile
// fields keep their "not walked" values (no entries, MaxDepth 9999, EndedByMarker false).
DiveRecord DecodeDiveHeader(std::span<const int32_t> bytes);

// The byte one slot below the lowest slot from N-1 down to 1 that holds 128; 0 if none.
int16_t MaxDepthTemperature(std::span<const int32_t> bytes);

// The marker text of a marker byte, or an empty text for 121, 128 and 130..135 (which
// keep the current text) and for every byte that is no marker.
QString MarkerText(int byte);

// What walking the profile bytes of a dive yields.
struct ProfileWalk {
    std::vector<ProfileEntry> Entries;
    int16_t MaxDepth = 9999;
    bool EndedByMarker = false;
};

// Walks slots N-15 down to 2: descents (0..120 feet) and ascents (256-b feet) move the depth,
// which is rounded to whole metres (halves to even) after every byte; markers (121..135)
// add a marker entry, 128 ends the walk; every other byte adds a sample one interval later.
// Throws the overflow failure when the depth leaves 16 bits.
ProfileWalk WalkProfile(std::span<const int32_t> bytes, int16_t sampleInterval);

// Whole minutes of `seconds` (taken without sign), a begun minute counted as a whole one:
// 1 to 60 s are 1 minute, 61 s are 2. Every duration the program shows is rounded so, the
// file's "Dauer:" line, the dive summary in the message list and the viewer's "Tauchzeit:",
// so that they never differ for the same dive, and a dive with any sample never shows
// 0 minutes. Throws the overflow failure when the minutes do not fit 16 bits.
int16_t BegunMinutes(long long seconds);

// The dive's duration in whole minutes from its samples: the last sample stands at the
// end of the dive's last sample period, so the dive lasted that long (BegunMinutes of its
// time). No samples give 0. Throws the overflow failure when the minutes do not fit 16 bits.
int16_t DurationMinutes(const std::vector<ProfileEntry>& entries);

// Fills Entries, MaxDepth, EndedByMarker and DurationMinutes of `record` by walking the
// profile bytes with its SampleInterval. Throws the overflow failure as above.
void AddProfile(DiveRecord& record, std::span<const int32_t> bytes);

// A complete record: header, walk and duration.
DiveRecord DecodeDive(std::span<const int32_t> bytes);

}  // namespace vyper
