// The bytes of a dive as the dive computer sends them, checked against a small reader
// that follows the program's reading rules: header in the last 14 bytes, profile walked
// from the byte just below the header down to the third byte, the temperature one byte
// below the end marker.

#include "core/Dive.h"
#include "core/Memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
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

TEST(DiveEncoding, MarkerNames)
{
    int byte = 122;
    for (const char* name : {"SLOW", "ATT", "PLAN", "SURF", "ASC", "CEIL"}) {
        EXPECT_EQ(markerByteForName(name), byte) << name;
        EXPECT_EQ(markerNameForByte(static_cast<std::uint8_t>(byte++)), name);
    }
    EXPECT_EQ(markerByteForName("ERR"), 129);
    EXPECT_FALSE(markerByteForName("slow"));
    EXPECT_FALSE(markerByteForName("END"));
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

// The default set shows what a diver meets; the large one fills the memory; both newest first.
TEST(DiveEncoding, BuiltInSets)
{
    const auto dives = defaultDives();
    std::set<int> intervals, depths, markers;
    int nitrox32 = 0, withoutEnd = 0;
    for (const Dive& d : dives) {
        intervals.insert(d.intervalSeconds);
        nitrox32 += d.oxygenPercent == 32;
        withoutEnd += !d.endMarker;
        depths.insert(maxDepthFeet(d));
        for (const Step& s : d.profile)
            if (s.isMarker)
                markers.insert(s.markerByte);
    }
    EXPECT_EQ(intervals, (std::set<int>{20, 30, 60}));
    EXPECT_EQ(std::tuple(nitrox32, withoutEnd, depths.size()), std::tuple(1, 1, dives.size()));
    EXPECT_GE(markers.size(), 5u);

    const auto key = [](const Dive& d) { return std::tuple(d.year, d.month, d.day, d.hour, d.minute); };
    for (const auto& set : {defaultDives(), largeDives()})
        for (std::size_t i = 1; i < set.size(); ++i)
            EXPECT_GT(key(set[i - 1]), key(set[i])) << "dive " << i;
    std::size_t bytes = 0;
    for (const Dive& d : largeDives())
        bytes += encodeDive(d).size();
    EXPECT_GE(largeDives().size(), 30u);
    EXPECT_GE(bytes, 8192u);
}

TEST(DiveEncoding, WaypointProfileReachesTheWaypointsWithinByteLimits)
{
    // 0 → 150 ft in one minute is faster than one byte can say at 20 s a sample.
    const auto steps = profileFromWaypoints(20, {{0, 0}, {1, 150}, {3, 150}, {4, 0}});
    ASSERT_EQ(steps.size(), 12u);
    int depth = 0, deepest = 0;
    for (const Step& s : steps) {
        EXPECT_LE(std::abs(s.feet), kMaxStepFeet);
        depth += s.feet;
        deepest = std::max(deepest, depth);
    }
    EXPECT_EQ(std::tuple(deepest, depth), std::tuple(150, 0));
}

TEST(DiveEncoding, ValidationRejectsWhatTheDeviceCannotStore)
{
    const struct {
        const char* what;
        void (*spoil)(Dive&);
    } cases[] = {
        {"month", [](Dive& d) { d.month = 13; }},
        {"year", [](Dive& d) { d.year = 2030; }},
        {"surface interval minutes", [](Dive& d) { d.surfaceMinutes = 60; }},
        {"sample interval", [](Dive& d) { d.intervalSeconds = 0; }},
        {"must not be 128", [](Dive& d) { d.maxDepthTemperature = 128; }},
        {"lead byte", [](Dive& d) { d.leadByte = 128; }},
        {"depth change", [](Dive& d) { d.profile.push_back(Step::depth(-121)); }},
        {"marker byte 128", [](Dive& d) { d.profile.push_back(Step::marker(128)); }},
        {"marker byte 120", [](Dive& d) { d.profile.push_back(Step::marker(120)); }},
    };
    EXPECT_FALSE(validateDive(smallDive()));
    for (const auto& c : cases) {
        Dive d = smallDive();
        c.spoil(d);
        const auto e = validateDive(d);
        ASSERT_TRUE(e) << c.what;
        EXPECT_NE(e->find(c.what), std::string::npos) << *e;
    }
}

}  // namespace
}  // namespace vyemu
