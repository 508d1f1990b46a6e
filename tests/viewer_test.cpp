#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/Failure.h"
#include "support/DiveBytes.h"
#include "profiles/NumericValue.h"
#include "ui/viewer/ProfilePlot.h"
#include "profiles/ProfileReader.h"

using namespace vyper;
using vyper::testing::FailureNumber;
using vyper::testing::ProfileFileBytes;

TEST(NumericValue, ReadsSignDigitsPointAndExponentIgnoringBlanksTabsAndLineFeeds) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"-12", -12},   {"+7", 7},      {"\t\t-3", -3},  {"1 2", 12},     {" - 12", -12}, {"1\n5", 15},
        {"-.25", -0.25}, {"2.5e2x", 250}, {"15e-1", 1.5}, {"12e-", 12},    {"1.2.3", 1.2}, {"", 0},
        {"=> SLOW", 0}, {"+-3", 0},     {"1\r2", 1},     {"e5", 0},       {"1e-999", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(NumericValue(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(ProfileLines, EndAtCrLfLoneLfOrLoneCrWithoutAnEmptyLastLine) {
    const struct {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}}, {"a\rb", {"a", "b"}}, {"a\n\rb", {"a", "", "b"}}, {"", {}},
        {"Oberfl\xE4" "che 5 \xB0" "C", {QStringLiteral("Oberfläche 5 °C")}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitProfileLines(c.bytes), c.lines) << c.bytes.toHex().constData();
}

TEST(ProfileReading, SingleLinesAreTakenSkippedOrRounded) {
    const struct {
        const char* line;
        bool taken;
        int time, depth;
    } cases[] = {
        {"20\t\t-12", true, 20, 12},
        {"20\t\t12", true, 20, 12},   // without the sign the depth is the same
        {"0\t\t-5", false, 0, 0},     // time 0 is skipped
        {"-20\t\t-5", false, 0, 0},   // negative time is skipped
        {"0.5\t\t-5", false, 0, 0},   // rounds to 0 (half to even)
        {"2.5\t\t-3.5", true, 2, 4},  // halves go to the even neighbour
        {"20 -7", true, 20, 7},       // a blank separates when there is no TAB
        {"20-7", false, 0, 0},
        {"20 -3\t4", true, 20, 4},    // a TAB separates even after a blank
        {"Time [s]\tDepth [m]", false, 0, 0},
    };
    for (const auto& c : cases) {
        DiveProfile p;
        ReadProfileLine(p, QString::fromUtf8(c.line));
        EXPECT_EQ(std::tuple(p.sampleCount, p.time[1], p.depth[1], p.lastTime, p.maxDepth),
                  std::tuple(c.taken ? 2 : 1, c.time, c.depth, c.time, c.depth))
            << c.line;
    }
    for (const char* line : {"32768\t\t-3", "20\t\t-32768", "20\t\t-1e999"}) {
        DiveProfile p;
        EXPECT_EQ(FailureNumber([&] { ReadProfileLine(p, QString::fromLatin1(line)); }), failure::Overflow) << line;
    }
}

TEST(ProfileReading, TheTableBoundIsTestedOnEveryLine) {
    std::vector<std::pair<int, int>> samples;
    for (int i = 1; i <= 2000; ++i) samples.push_back({i * 10, i % 30});
    // 1999 samples leave room for the end line and the summary.
    const DiveProfile p = ReadProfileText(ProfileFileBytes({samples.begin(), samples.end() - 1}));
    EXPECT_EQ(std::tuple(p.sampleCount, p.lastTime, p.depth[1999]), std::tuple(2000, 19990, 1999 % 30));
    // 2000 samples fill the tables; the next line, though no sample, fails.
    EXPECT_EQ(FailureNumber([&] { ReadProfileText(ProfileFileBytes(samples)); }), 9);
    // 2000 samples and nothing after them fit; the last line end adds no line.
    QByteArray exact;
    for (int i = 1; i <= 2000; ++i) exact += QByteArray::number(i) + "\t\t-1\r\n";
    EXPECT_EQ(ReadProfileText(exact).sampleCount, 2001);
    EXPECT_EQ(FailureNumber([&] { ReadProfileText(exact + "\r\n"); }), 9);
}

namespace {

constexpr int H = 4395;
constexpr int W = 7275;

// `count` samples every `interval` seconds, all at `depth`.
DiveProfile Profile(int count, int interval, int depth) {
    DiveProfile p;
    for (int i = 1; i <= count; ++i) {
        p.time[i] = static_cast<int16_t>(i * interval);
        p.depth[i] = static_cast<int16_t>(depth);
        p.maxDepth = std::max<int16_t>(p.maxDepth, p.depth[i]);
        p.lastTime = p.time[i];
    }
    p.sampleCount = static_cast<int16_t>(count + 1);
    return p;
}

// Whether the plot has the line or text `item` exactly once.
template <typename Item>
bool Once(const std::vector<Item>& items, const Item& item) { return std::count(items.begin(), items.end(), item) == 1; }

}  // namespace

TEST(ProfilePlot, ScalesFromMaximumDepthSampleCountAndLastTime) {
    const struct {
        int maxDepth, samples, lastTime;
        int depthScale, sampleStep, timeStep;
    } cases[] = {
        {23, 90, 1800, 147, 74, 4},    // 3395/23 = 147.6; 6775/91 = 74.45; 6775/1800 = 3.76
        {3395, 5, 2710, 1, 1129, 2},   // 6775/2710 = 2.5: half to even
        {3396, 5, 13550, 0, 1129, 0},  // 6775/13550 = 0.5: half to even
    };
    for (const auto& c : cases) {
        DiveProfile p = Profile(c.samples, 1, 1);
        p.maxDepth = static_cast<int16_t>(c.maxDepth);
        p.lastTime = static_cast<int16_t>(c.lastTime);
        const PlotScales s = ComputeScales(p, H, W);
        EXPECT_EQ(std::tuple(s.depthScale, s.sampleStep, s.timeStep), std::tuple(c.depthScale, c.sampleStep, c.timeStep))
            << c.maxDepth;
    }
}

TEST(ProfilePlot, NoDepthNoTimeOrCoordinatesOutsideSixteenBitsFail) {
    DiveProfile noTime = Profile(3, 20, 4);
    noTime.lastTime = 0;
    const DiveProfile six = Profile(10, 20, 6);
    // Tables filled by hand past their maximum: 30000 m at 3395 twips a metre.
    DiveProfile tooDeep = Profile(10, 20, 1);
    tooDeep.depth[5] = 30000;
    const struct {
        const char* name;
        std::function<void()> action;
        int number;
    } cases[] = {
        {"empty", [] { PlotProfile(DiveProfile{}, H, W); }, failure::DivisionByZero},
        {"flat", [] { PlotProfile(Profile(30, 20, 0), H, W); }, failure::DivisionByZero},
        {"no time", [&] { ComputeScales(noTime, H, W); }, failure::DivisionByZero},
        {"deeper than its maximum", [&] { PlotProfile(tooDeep, H, W); }, failure::Overflow},
        {"fits", [&] { PlotProfile(six, H, W); }, 0},
        // A box wider than 16 bits computes in 32 bits, whatever the dive.
        {"wide", [&] { PlotProfile(six, H, 40000); }, 0},
        {"wide and deeper than its maximum", [&] { PlotProfile(tooDeep, 40000, 40000); }, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(FailureNumber(c.action), c.number) << c.name;
}

// The depth grid is in DepthGridReachesTheBottomOfAWholeTenMetres.
TEST(ProfilePlot, TimeTicksStandWhereTheProfileIsAtTheirTime) {
    const struct {
        int lastTime;
        std::vector<PlotText> labels;
        std::vector<int> ticks;
    } cases[] = {
        // 61 entries, 111 twips apart: 10 minutes is entry 20. The 30-minute label would run
        // past the box (7 characters of 105 twips from 7160) and ends at its edge instead.
        {1800, {{500, 4105, " 0min."}, {2720, 4105, " 10min."}, {4940, 4105, " 20min."}, {6540, 4105, " 30min."}},
         {500, 2720, 4940, 7160}},
        // The last sample at 1799 s: 60 entries, 112 twips apart; no tick at 30 minutes.
        {1799, {{500, 4105, " 0min."}, {2740, 4105, " 10min."}, {4980, 4105, " 20min."}}, {500, 2740, 4980}},
    };
    for (const auto& c : cases) {
        DiveProfile p = Profile(c.lastTime / 30, 30, 8);
        p.lastTime = static_cast<int16_t>(c.lastTime);
        p.time[p.sampleCount - 1] = p.lastTime;
        const Plot t = PlotProfile(p, H, W);
        std::vector<PlotText> labels;
        std::copy_if(t.texts.begin(), t.texts.end(), std::back_inserter(labels), [](const PlotText& x) { return x.y == 4105; });
        EXPECT_EQ(labels, c.labels) << c.lastTime;
        std::vector<int> ticks;
        for (const PlotLine& l : t.lines) {
            if (l.y1 == 4095 && l.y2 == 3995 && l.x1 == l.x2) ticks.push_back(l.x1);
        }
        EXPECT_EQ(ticks, c.ticks) << c.lastTime;
    }
}

// A dive of exactly 10, 20 or 30 m has a grid line and label at its bottom; a metre less
// does not reach it, a metre more adds none below.
TEST(ProfilePlot, DepthGridReachesTheBottomOfAWholeTenMetres) {
    const struct {
        int maxDepth;
        std::vector<int> ys;  // of the labels and ticks at 0, 10, 20, ... m
    } cases[] = {
        {9, {200}},                       // 3395 / 9: 377 twips a metre
        {10, {200, 3590}},                // 339
        {11, {200, 3280}},                // 308
        {19, {200, 1980}},                // 178
        {20, {200, 1890, 3580}},          // 169
        {29, {200, 1370, 2540}},          // 117
        {30, {200, 1330, 2460, 3590}},    // 113
        {31, {200, 1290, 2380, 3470}},    // 109
    };
    for (const auto& c : cases) {
        const Plot plot = PlotProfile(Profile(10, 20, c.maxDepth), H, W);
        std::vector<PlotText> labels;
        std::copy_if(plot.texts.begin(), plot.texts.end(), std::back_inserter(labels),
                     [](const PlotText& t) { return t.x == 10; });
        std::vector<PlotText> expected;
        for (size_t i = 0; i < c.ys.size(); ++i) expected.push_back({10, c.ys[i], QStringLiteral(" %1m").arg(10 * i)});
        EXPECT_EQ(labels, expected) << c.maxDepth;
        const auto ticks = std::count_if(plot.lines.begin(), plot.lines.end(), [](const PlotLine& l) {
            return l.x1 == 500 && l.x2 == 600 && l.y1 == l.y2 && !l.colour;
        });
        EXPECT_EQ(ticks, static_cast<long>(c.ys.size())) << c.maxDepth;
        for (int y : c.ys) EXPECT_TRUE(Once(plot.lines, PlotLine{500, y, 600, y, std::nullopt, 1})) << c.maxDepth << " " << y;
    }
}
