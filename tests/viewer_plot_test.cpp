#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/Failure.h"
#include "support/DiveBytes.h"
#include "ui/viewer/ProfilePlot.h"

using namespace vyper;
using vyper::testing::FailureNumber;

namespace {

constexpr int H = 4395;
constexpr int W = 7275;

// A profile with `count` samples every `interval` seconds; depths from `depthAt(i)`.
DiveProfile Profile(int count, int interval, const std::function<int(int)>& depthAt) {
    DiveProfile p;
    for (int i = 1; i <= count; ++i) {
        p.time[i] = static_cast<int16_t>(i * interval);
        p.depth[i] = static_cast<int16_t>(depthAt(i));
        p.maxDepth = std::max<int16_t>(p.maxDepth, p.depth[i]);
        p.lastTime = p.time[i];
    }
    p.sampleCount = static_cast<int16_t>(count + 1);
    return p;
}

std::vector<PlotLine> LinesOfWidth(const Plot& plot, int width) {
    std::vector<PlotLine> lines;
    for (const PlotLine& l : plot.lines) {
        if (l.widthPixels == width) lines.push_back(l);
    }
    return lines;
}

}  // namespace

TEST(ProfilePlot, SixteenBitArithmeticFailsOutsideItsRange) {
    const struct {
        int a, b;
        bool multiply;
        int result;  // 0 with failed: overflow
        bool failed;
    } cases[] = {
        {181, 181, true, 32761, false}, {182, 181, true, 0, true},   {-256, 128, true, -32768, false},
        {-256, 129, true, 0, true},     {32000, 767, false, 32767, false}, {32000, 768, false, 0, true},
        {-32000, -769, false, 0, true},
    };
    for (const auto& c : cases) {
        int value = 0;
        const int number = FailureNumber([&] { value = c.multiply ? Multiply16(c.a, c.b) : Add16(c.a, c.b); });
        EXPECT_EQ(number, c.failed ? failure::Overflow : 0) << c.a << (c.multiply ? " * " : " + ") << c.b;
        if (!c.failed) {
            EXPECT_EQ(value, c.result) << c.a << " " << c.b;
        }
    }
}

TEST(ProfilePlot, AxesRunAlongTheLeftAndBottomMargins) {
    const Plot plot = AxesPlot(H, W);
    ASSERT_EQ(plot.lines.size(), 2u);
    EXPECT_EQ(plot.lines[0], (PlotLine{500, 200, 500, 4095, std::nullopt, 1}));
    EXPECT_EQ(plot.lines[1], (PlotLine{500, 4095, 7075, 4095, std::nullopt, 1}));
    EXPECT_TRUE(plot.texts.empty());
}

TEST(ProfilePlot, ScalesFromMaximumDepthSampleCountAndLastTime) {
    const struct {
        int maxDepth, samples, lastTime;
        int depthScale, sampleStep, timeStep;
    } cases[] = {
        {23, 90, 1800, 147, 74, 4},      // 3395/23 = 147.6; 6775/91 = 74.45; 6775/1800 = 3.76
        {40, 1999, 2730, 84, 3, 2},      // 6775/2730 = 2.48
        {3395, 5, 2710, 1, 1129, 2},     // 6775/2710 = 2.5: half to even
        {3396, 5, 13550, 0, 1129, 0},    // 6775/13550 = 0.5: half to even
        {7, 5, 1355, 485, 1129, 5},
    };
    for (const auto& c : cases) {
        DiveProfile p = Profile(c.samples, 1, [](int) { return 1; });
        p.maxDepth = static_cast<int16_t>(c.maxDepth);
        p.lastTime = static_cast<int16_t>(c.lastTime);
        const PlotScales s = ComputeScales(p, H, W);
        EXPECT_EQ(s.depthScale, c.depthScale) << c.maxDepth;
        EXPECT_EQ(s.sampleStep, c.sampleStep) << c.samples;
        EXPECT_EQ(s.timeStep, c.timeStep) << c.lastTime;
    }
}

TEST(ProfilePlot, NoDepthNoTimeOrCoordinatesOutsideSixteenBitsFail) {
    DiveProfile noTime = Profile(3, 20, [](int) { return 4; });
    noTime.lastTime = 0;
    const DiveProfile six = Profile(10, 20, [](int) { return 6; });
    const struct {
        const char* name;
        std::function<void()> action;
        int number;
    } cases[] = {
        {"empty", [] { PlotProfile(DiveProfile{}, H, W); }, failure::DivisionByZero},
        {"flat", [] { PlotProfile(Profile(30, 20, [](int) { return 0; }), H, W); }, failure::DivisionByZero},
        {"no time", [&] { ComputeScales(noTime, H, W); }, failure::DivisionByZero},
        // A wider or higher box spreads the samples past 32767 twips.
        {"wide", [&] { PlotProfile(six, H, 40000); }, failure::Overflow},
        {"high", [&] { PlotProfile(six, 40000, W); }, failure::Overflow},
        {"fits", [&] { PlotProfile(six, H, W); }, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(FailureNumber(c.action), c.number) << c.name;
}

TEST(ProfilePlot, DepthGridEveryTenMetresUpToTheMaximum) {
    const DiveProfile p = Profile(10, 20, [](int i) { return i == 5 ? 23 : 4; });
    const Plot plot = PlotProfile(p, H, W);
    std::vector<PlotText> depthLabels;
    for (const PlotText& t : plot.texts) {
        if (t.x == 10) depthLabels.push_back(t);
    }
    ASSERT_EQ(depthLabels.size(), 3u);
    EXPECT_EQ(depthLabels[0], (PlotText{10, 200, QStringLiteral(" 0m")}));
    EXPECT_EQ(depthLabels[1], (PlotText{10, 1670, QStringLiteral(" 10m")}));
    EXPECT_EQ(depthLabels[2], (PlotText{10, 3140, QStringLiteral(" 20m")}));
    for (int y : {200, 1670, 3140}) {
        const PlotLine tick{500, y, 600, y, std::nullopt, 1};
        EXPECT_EQ(std::count(plot.lines.begin(), plot.lines.end(), tick), 1) << y;
    }
    // A maximum of exactly 30 m carries the 30 m tick.
    const Plot thirty = PlotProfile(Profile(4, 20, [](int i) { return i * 30 / 4; }), H, W);
    EXPECT_EQ(std::count_if(thirty.texts.begin(), thirty.texts.end(), [](const PlotText& t) { return t.x == 10; }), 4);
}

TEST(ProfilePlot, TimeGridEveryTenMinutesFromZeroToTheLastTime) {
    const struct {
        int lastTime;
        std::vector<PlotText> labels;
    } cases[] = {
        // Step 4: ticks at 500, 2900, 5300 and 7700 (past the axis end, as the step is rounded up).
        {1800, {{500, 4105, " 0min."}, {2900, 4105, " 10min."}, {5300, 4105, " 20min."}, {7700, 4105, " 30min."}}},
        {1799, {{500, 4105, " 0min."}, {2900, 4105, " 10min."}, {5300, 4105, " 20min."}}},
        {2730, {{500, 4105, " 0min."}, {1700, 4105, " 10min."}, {2900, 4105, " 20min."}, {4100, 4105, " 30min."},
                {5300, 4105, " 40min."}}},
        {59, {{500, 4105, " 0min."}}},
    };
    for (const auto& c : cases) {
        const DiveProfile p = Profile(c.lastTime / 30, 30, [](int) { return 8; });
        DiveProfile q = p;
        q.lastTime = static_cast<int16_t>(c.lastTime);
        q.time[q.sampleCount - 1] = q.lastTime;
        const Plot plot = PlotProfile(q, H, W);
        std::vector<PlotText> labels;
        for (const PlotText& t : plot.texts) {
            if (t.y == 4105) labels.push_back(t);
        }
        EXPECT_EQ(labels, c.labels) << c.lastTime;
        for (const PlotText& label : c.labels) {
            const PlotLine tick{label.x, 4095, label.x, 3995, std::nullopt, 1};
            EXPECT_EQ(std::count(plot.lines.begin(), plot.lines.end(), tick), 1) << c.lastTime << " " << label.x;
        }
    }
}

TEST(ProfilePlot, ProfileLineIsSpacedBySampleIndexFromTheSurface) {
    // Uneven times do not move the samples: they are spaced by index.
    DiveProfile p = Profile(4, 20, [](int i) { return std::vector<int>{0, 5, 10, 10, 2}[i]; });
    p.time[2] = 300;
    const Plot plot = PlotProfile(p, H, W);
    // 3395/10 = 339 twips per metre; 6775/5 = 1355 twips per sample.
    const std::vector<PlotLine> expected = {
        {1855, 1895, 500, 200, kProfileColour, 2},
        {3210, 3590, 1855, 1895, kProfileColour, 2},
        {4565, 3590, 3210, 3590, kProfileColour, 2},
        {5920, 878, 4565, 3590, kProfileColour, 2},
    };
    EXPECT_EQ(LinesOfWidth(plot, 2), expected);
    // Everything else is drawn in the drawing colour, one pixel wide.
    for (const PlotLine& line : LinesOfWidth(plot, 1)) EXPECT_FALSE(line.colour.has_value());
    EXPECT_EQ(LinesOfWidth(plot, 1).size() + LinesOfWidth(plot, 2).size(), plot.lines.size());
}

TEST(ProfilePlot, CaptionGivesMaximumDepthAndWholeMinutes) {
    const struct {
        int maxDepth, lastTime;
        const char* caption;
    } cases[] = {
        {23, 2730, "Max.Tauchtiefe: 23m. Tauchzeit: 45min."},
        {5, 59, "Max.Tauchtiefe: 5m. Tauchzeit: 0min."},
        {12, 3599, "Max.Tauchtiefe: 12m. Tauchzeit: 59min."},
    };
    for (const auto& c : cases) {
        DiveProfile p;
        p.maxDepth = static_cast<int16_t>(c.maxDepth);
        p.lastTime = static_cast<int16_t>(c.lastTime);
        EXPECT_EQ(InfoCaption(p), QString::fromUtf8(c.caption));
    }
}
