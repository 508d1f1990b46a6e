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
    int minute, hour, year, month, day, air, o2, interval, surfaceH, surfaceM;
    std::vector<Step> steps;
    bool endedByMarker = false;
    int temperature = 0;
};

ReadBack readLikeTheProgram(const Bytes& b)
{
    const std::size_t n = b.size();
    ReadBack r{};
    r.surfaceM = b[n - 1];
    r.surfaceH = b[n - 2];
    r.interval = b[n - 4];
    r.o2 = b[n - 7];
    r.air = b[n - 9];
    r.day = b[n - 10];
    r.month = b[n - 11];
    r.year = b[n - 12];
    r.hour = b[n - 13];
    r.minute = b[n - 14];
    for (std::size_t k = n - 1; k >= 1; --k)
        if (b[k] == kEndOfProfile)
            r.temperature = b[k - 1];
    for (std::size_t i = n - 15; i >= 2 && i < n; --i) {
        const std::uint8_t v = b[i];
        if (v == kEndOfProfile) {
            r.endedByMarker = true;
            break;
        }
        if (v >= 121 && v <= 135)
            r.steps.push_back(Step::marker(v));
        else
            r.steps.push_back(Step::depth(v <= 120 ? v : v - 256));
    }
    return r;
}

Dive smallDive()
{
    Dive d;
    d.year = 2023;
    d.month = 7;
    d.day = 14;
    d.hour = 9;
    d.minute = 5;
    d.surfaceHours = 1;
    d.surfaceMinutes = 45;
    d.intervalSeconds = 30;
    d.oxygenPercent = 32;
    d.airTemperature = 27;
    d.maxDepthTemperature = 18;
    d.profile = {Step::depth(10), Step::depth(10), Step::marker(122), Step::depth(-10)};
    return d;
}

TEST(DiveEncoding, SmallDiveByteForByte)
{
    const Bytes expected{
        0, 18, 128,                 // lead byte, temperature at maximum depth, end marker
        246, 122, 10, 10,           // profile, last sample first
        5, 9, 23, 7, 14, 27, 0, 32, 0, 0, 30, 0, 1, 45,  // header, surface minutes last
    };
    EXPECT_EQ(encodeDive(smallDive()), expected);
}

TEST(DiveEncoding, WithoutEndMarkerTheLatestSampleIsTheThirdByte)
{
    Dive d = smallDive();
    d.endMarker = false;
    const Bytes b = encodeDive(d);
    ASSERT_EQ(b.size(), 2u + 4u + kHeaderBytes);
    EXPECT_EQ(b[2], 246);
    EXPECT_EQ(std::count(b.begin(), b.end(), kEndOfProfile), 0);
}

TEST(DiveEncoding, StepBytes)
{
    const struct {
        Step step;
        std::uint8_t byte;
    } cases[] = {
        {Step::depth(0), 0},     {Step::depth(1), 1},     {Step::depth(120), 120},
        {Step::depth(-1), 255},  {Step::depth(-120), 136}, {Step::depth(-10), 246},
        {Step::marker(122), 122}, {Step::marker(129), 129},
    };
    for (const auto& c : cases)
        EXPECT_EQ(stepByte(c.step), c.byte) << c.step.feet;
}

TEST(DiveEncoding, MarkerNames)
{
    const struct {
        const char* name;
        int byte;
    } cases[] = {{"SLOW", 122}, {"ATT", 123}, {"PLAN", 124}, {"SURF", 125},
                 {"ASC", 126},  {"CEIL", 127}, {"ERR", 129}};
    for (const auto& c : cases) {
        EXPECT_EQ(markerByteForName(c.name), c.byte) << c.name;
        EXPECT_EQ(markerNameForByte(static_cast<std::uint8_t>(c.byte)), c.name);
    }
    EXPECT_FALSE(markerByteForName("slow"));
    EXPECT_FALSE(markerByteForName("END"));
    EXPECT_EQ(markerNameForByte(128), "");
}

// Every built-in dive reads back as defined when read by the program's rules.
TEST(DiveEncoding, BuiltInDivesReadBackAsDefined)
{
    std::vector<Dive> all = defaultDives();
    const auto large = largeDives();
    all.insert(all.end(), large.begin(), large.end());
    all.push_back(smallDive());
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Dive& d = all[i];
        SCOPED_TRACE("dive " + std::to_string(i));
        ASSERT_FALSE(validateDive(d));
        const ReadBack r = readLikeTheProgram(encodeDive(d));
        EXPECT_EQ(r.minute, d.minute);
        EXPECT_EQ(r.hour, d.hour);
        EXPECT_EQ(r.year, d.year % 100);
        EXPECT_EQ(r.month, d.month);
        EXPECT_EQ(r.day, d.day);
        EXPECT_EQ(r.air, d.airTemperature);
        EXPECT_EQ(r.o2, d.oxygenPercent);
        EXPECT_EQ(r.interval, d.intervalSeconds);
        EXPECT_EQ(r.surfaceH, d.surfaceHours);
        EXPECT_EQ(r.surfaceM, d.surfaceMinutes);
        EXPECT_EQ(r.steps, d.profile);
        EXPECT_EQ(r.endedByMarker, d.endMarker);
        EXPECT_EQ(r.temperature, d.endMarker ? d.maxDepthTemperature : 0);
    }
}

TEST(DiveEncoding, DefaultSetCoversTheInterestingCases)
{
    const auto dives = defaultDives();
    ASSERT_GE(dives.size(), 4u);
    std::set<int> intervals;
    std::set<std::uint8_t> markers;
    int nitrox32 = 0, withoutEnd = 0;
    std::set<int> depths;
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
    EXPECT_EQ(nitrox32, 1);
    EXPECT_EQ(withoutEnd, 1);
    EXPECT_GE(markers.size(), 5u);
    EXPECT_EQ(depths.size(), dives.size());
}

TEST(DiveEncoding, BuiltInSetsAreNewestFirstAndLargeSetIsBig)
{
    for (const auto& dives : {defaultDives(), largeDives()}) {
        for (std::size_t i = 1; i < dives.size(); ++i) {
            const Dive& a = dives[i - 1];
            const Dive& b = dives[i];
            const auto key = [](const Dive& d) {
                return std::tuple(d.year, d.month, d.day, d.hour, d.minute);
            };
            EXPECT_GT(key(a), key(b)) << "dive " << i;
        }
    }
    const auto large = largeDives();
    std::size_t bytes = 0;
    for (const Dive& d : large)
        bytes += encodeDive(d).size();
    EXPECT_GE(large.size(), 30u);
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
    EXPECT_EQ(deepest, 150);
    EXPECT_EQ(depth, 0);
}

TEST(DiveEncoding, ValidationRejectsWhatTheDeviceCannotStore)
{
    const struct {
        const char* what;
        void (*spoil)(Dive&);
    } cases[] = {
        {"month", [](Dive& d) { d.month = 13; }},
        {"year", [](Dive& d) { d.year = 2030; }},
        {"minute", [](Dive& d) { d.minute = 60; }},
        {"surface interval minutes", [](Dive& d) { d.surfaceMinutes = 60; }},
        {"sample interval", [](Dive& d) { d.intervalSeconds = 0; }},
        {"must not be 128", [](Dive& d) { d.maxDepthTemperature = 128; }},
        {"lead byte", [](Dive& d) { d.leadByte = 128; }},
        {"depth change", [](Dive& d) { d.profile.push_back(Step::depth(121)); }},
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
