// The bytes of a dive as the dive computer sends them, checked against a small reader
// that follows the program's reading rules: header in the last 14 bytes, profile walked
// from the byte just below the header down to the third byte, the temperature one byte
// below the end marker.

#include "core/Dive.h"
#include "core/Memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace vyemu {
namespace {

struct ReadBack {
    std::vector<int> header;  // minute, hour, year, month, day, air, o2, interval, surface h, surface min
    std::vector<Step> steps;
    bool endedByMarker = false;
    int temperature = 0;
};

ReadBack readLikeTheProgram(const Bytes& b)
{
    const std::size_t n = b.size();
    ReadBack r;
    for (std::size_t back : {14, 13, 12, 11, 10, 9, 7, 4, 2, 1})
        r.header.push_back(b[n - back]);
    for (std::size_t k = n - 1; k >= 1; --k)
        if (b[k] == kEndOfProfile)
            r.temperature = b[k - 1];
    for (std::size_t i = n - 15; i >= 2 && i < n; --i) {
        const std::uint8_t v = b[i];
        if ((r.endedByMarker = v == kEndOfProfile))
            break;
        r.steps.push_back(v >= 121 && v <= 135 ? Step::marker(v) : Step::depth(v <= 120 ? v : v - 256));
    }
    return r;
}

Dive smallDive()
{
    Dive d;
    std::tie(d.year, d.month, d.day, d.hour, d.minute) = std::tuple(2023, 7, 14, 9, 5);
    std::tie(d.surfaceHours, d.surfaceMinutes, d.intervalSeconds) = std::tuple(1, 45, 30);
    std::tie(d.oxygenPercent, d.airTemperature, d.maxDepthTemperature) = std::tuple(32, 27, 18);
    d.profile = {Step::depth(10), Step::depth(10), Step::marker(122), Step::depth(-10)};
    return d;
}

TEST(DiveEncoding, SmallDiveByteForByteWithAndWithoutEndMarker)
{
    const Bytes expected{
        0, 18, 128,                 // lead byte, temperature at maximum depth, end marker
        246, 122, 10, 10,           // profile, last sample first
        5, 9, 23, 7, 14, 27, 0, 32, 0, 0, 30, 0, 1, 45,  // header, surface minutes last
    };
    EXPECT_EQ(encodeDive(smallDive()), expected);
    Dive d = smallDive();
    d.endMarker = false;  // then the latest sample is the third byte
    const Bytes b = encodeDive(d);
    ASSERT_EQ(b.size(), expected.size() - 1);
    EXPECT_EQ(b[2], 246);
    EXPECT_EQ(std::count(b.begin(), b.end(), kEndOfProfile), 0);
}

// Every built-in dive reads back as defined when read by the program's rules.
TEST(DiveEncoding, BuiltInDivesReadBackAsDefined)
{
    std::vector<Dive> all = defaultDives();
    const auto large = largeDives();
    all.insert(all.end(), large.begin(), large.end());
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Dive& d = all[i];
        SCOPED_TRACE("dive " + std::to_string(i));
        ASSERT_FALSE(validateDive(d));
        const ReadBack r = readLikeTheProgram(encodeDive(d));
        EXPECT_EQ(r.header, (std::vector<int>{d.minute, d.hour, d.year % 100, d.month, d.day, d.airTemperature,
                                              d.oxygenPercent, d.intervalSeconds, d.surfaceHours,
                                              d.surfaceMinutes}));
        EXPECT_EQ(r.steps, d.profile);
        EXPECT_EQ(r.endedByMarker, d.endMarker);
        EXPECT_EQ(r.temperature, d.endMarker ? d.maxDepthTemperature : 0);
    }
}

}  // namespace
}  // namespace vyemu
