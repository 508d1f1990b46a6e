#include "support/DiveBytes.h"

#include "link/VyperComm.h"

namespace vyper::testing {

std::vector<int32_t> DiveAnswer(const DiveHeaderBytes& h, const std::vector<int>& profile) {
    std::vector<int32_t> bytes{h.slot0, h.slot1};
    for (auto it = profile.rbegin(); it != profile.rend(); ++it) bytes.push_back(*it);
    // Slots N-14 up to N-1; the unused header slots hold 0.
    const int header[14] = {h.minute, h.hour, h.year, h.month, h.day, h.air, 0, h.oxygen, 0, 0, h.interval, 0,
                            h.surfaceHours, h.surfaceMinutes};
    bytes.insert(bytes.end(), std::begin(header), std::end(header));
    return bytes;
}

void LoadAnswer(VyperComm& m, const std::vector<int32_t>& answer) {
    m.ProfileBuffer.fill(0);
    std::copy(answer.begin(), answer.end(), m.ProfileBuffer.begin());
    m.ProfileCount = static_cast<int32_t>(answer.size());
}

}  // namespace vyper::testing
