#pragma once
#include <QString>
#include <vector>

#include "profiles/DiveRecord.h"

namespace vyper {

// A marker of a profile at the moment it belongs to.
struct ProfileEvent {
    int sample = 0;  // index among the profile's samples (markers not counted)
    QString text;    // the marker's text as the file states it ("SLOW", "CEIL", "" ...)
};

// The markers of `record` in order, each at the sample that follows it (the dive computer
// writes a marker just before the sample of its moment), or at the last sample when none
// follows. The closing marker of a profile ended by a marker only ends it and is left out;
// a profile without samples has no moment to put a marker at and gives none.
std::vector<ProfileEvent> ProfileEvents(const DiveRecord& record);

}  // namespace vyper
