// Dive profiles for the viewer's tests: samples at a fixed interval.
#pragma once

#include <algorithm>
#include <cstdint>

#include "profiles/ProfileReader.h"

namespace vyper::testing {

// `count` samples every `interval` seconds after the start entry, at `depth(time)` metres.
template <typename Depth>
DiveProfile RegularProfile(int count, int interval, Depth depth) {
    DiveProfile p;
    for (int i = 1; i <= count; ++i) {
        p.time[i] = static_cast<int16_t>(i * interval);
        p.depth[i] = static_cast<int16_t>(depth(i * interval));
        p.maxDepth = std::max(p.maxDepth, p.depth[i]);
        p.lastTime = p.time[i];
    }
    p.sampleCount = static_cast<int16_t>(count + 1);
    return p;
}

}  // namespace vyper::testing
