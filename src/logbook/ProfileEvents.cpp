#include "logbook/ProfileEvents.h"

#include <algorithm>

namespace vyper {

std::vector<ProfileEvent> ProfileEvents(const DiveRecord& record) {
    const auto& entries = record.Entries;
    const int samples = static_cast<int>(
        std::count_if(entries.begin(), entries.end(), [](const ProfileEntry& e) { return !e.IsMarker(); }));
    std::vector<ProfileEvent> events;
    if (samples == 0) return events;

    const bool closingMarker = record.EndedByMarker && !entries.empty() && entries.back().IsMarker();
    const std::size_t eventEntries = closingMarker ? entries.size() - 1 : entries.size();
    int samplesBefore = 0;
    for (std::size_t i = 0; i < eventEntries; ++i) {
        if (!entries[i].IsMarker()) {
            ++samplesBefore;
            continue;
        }
        events.push_back({std::min(samplesBefore, samples - 1), entries[i].MarkerText});
    }
    return events;
}

}  // namespace vyper
