// The viewer's drawing geometry: where times stand on the x axis, the zoomed span, the
// readout and the places of markers, legend and texts; pure functions, literal values.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

#include "profiles/StoredDive.h"
#include "support/E2eSession.h"
#include "support/RegularProfile.h"
#include "ui/viewer/DivePlot.h"
#include "ui/viewer/MarkerStyles.h"
#include "ui/viewer/PlotPlacement.h"
#include "ui/viewer/TimeAxis.h"

using namespace vyper;
using vyper::testing::RegularProfile;

namespace {

constexpr int H = 4395;
constexpr int W = 7275;

// A profile with the given (time, depth) samples after the start entry.
DiveProfile ProfileOf(std::initializer_list<std::pair<int, int>> samples) {
    DiveProfile p;
    for (const auto& [time, depth] : samples) {
        p.time[p.sampleCount] = static_cast<int16_t>(time);
        p.depth[p.sampleCount] = static_cast<int16_t>(depth);
        p.maxDepth = std::max<int16_t>(p.maxDepth, static_cast<int16_t>(depth));
        p.lastTime = static_cast<int16_t>(time);
        ++p.sampleCount;
    }
    return p;
}

std::vector<int> TickXs(const Plot& plot, int height = H) {
    std::vector<int> xs;
    for (const PlotLine& l : plot.lines) {
        if (l.y1 == height - 300 && l.y2 == height - 400 && l.x1 == l.x2) xs.push_back(l.x1);
    }
    return xs;
}

std::vector<PlotText> TickLabels(const Plot& plot, int height = H) {
    std::vector<PlotText> labels;
    std::copy_if(plot.texts.begin(), plot.texts.end(), std::back_inserter(labels),
                 [&](const PlotText& t) { return t.y == height - 290; });
    return labels;
}

std::vector<PlotLine> ProfileLines(const Plot& plot) {
    std::vector<PlotLine> lines;
    std::copy_if(plot.lines.begin(), plot.lines.end(), std::back_inserter(lines),
                 [](const PlotLine& l) { return l.colour == kProfileColour; });
    return lines;
}

}  // namespace

TEST(TimeAxis, ATimeStandsBetweenTheSamplesThatBracketIt) {
    const DiveProfile p = ProfileOf({{20, 3}, {40, 6}, {100, 9}, {160, 4}});
    const std::pair<double, double> cases[] = {
        {-5, 0}, {0, 0}, {10, 0.5}, {20, 1}, {70, 2.5}, {145, 3.75}, {160, 4}, {200, 4},
    };
    for (const auto& [seconds, entry] : cases) EXPECT_DOUBLE_EQ(EntryAtTime(p, seconds), entry) << seconds;
    for (const auto& [entry, seconds] : {std::pair{2.5, 70.0}, {3.25, 115.0}, {0.0, 0.0}, {4.0, 160.0}, {9.0, 160.0}}) {
        EXPECT_DOUBLE_EQ(TimeAtEntry(p, entry), seconds) << entry;
    }
    // Two samples at the same time: the first that reaches it.
    EXPECT_DOUBLE_EQ(EntryAtTime(ProfileOf({{20, 3}, {20, 4}, {40, 5}}), 20), 1);
}

TEST(TimeAxis, TheStepFitsTheSpanAndLongerOnesFollow) {
    const struct {
        int span;
        std::vector<int> first;  // the first steps tried, in seconds
    } cases[] = {
        {480, {60, 300, 600, 1200}},  // 8 minutes: every minute
        {599, {60, 300, 600}},
        {600, {300, 600, 1200}},      // 10 minutes: 0, 5 and 10
        {960, {300, 600}},            // 16 minutes
        {1199, {300, 600}},
        {1200, {600, 1200, 1800, 3600, 7200}},
        {7200, {600, 1200}},
    };
    for (const auto& c : cases) {
        const std::vector<int> steps = TickSteps(c.span);
        ASSERT_GE(steps.size(), c.first.size());
        const std::vector<int> first(steps.begin(), steps.begin() + static_cast<long>(c.first.size()));
        EXPECT_EQ(first, c.first) << c.span;
    }
}

// The fault of the old drawing: a 46-minute dive (samples every 20 s, 139 entries of
// 48 twips) had its 10-minute tick at 10 × 60 × 3 twips, where the profile was at about 8
// minutes. Now it stands at entry 30.
TEST(TimeAxis, TicksOfA46MinuteDiveStandAtTheirSamples) {
    const Plot plot = PlotProfile(RegularProfile(138, 20, [](int) { return 12; }), H, W);
    EXPECT_EQ(TickLabels(plot), (std::vector<PlotText>{{500, 4105, " 0min."}, {1940, 4105, " 10min."},
                                                       {3380, 4105, " 20min."}, {4820, 4105, " 30min."},
                                                       {6260, 4105, " 40min."}}));
}

TEST(TimeAxis, TicksStandAtTheirSamplesEveryMinuteFiveOrTen) {
    const struct {
        int count, interval;
        std::vector<int> xs;
        int height = H, width = W;
    } cases[] = {
        {138, 20, {500, 1940, 3380, 4820, 6260}},  // 46 minutes
        // 4K at 15 twips a pixel: 57100 ÷ 139 = 410 twips an entry; 10 minutes is entry 30.
        {138, 20, {500, 12800, 25100, 37400, 49700}, 32400, 57600},
        // 6 minutes, 20 s: 19 entries of 356 twips, a minute is 3 of them.
        {18, 20, {500, 1568, 2636, 3704, 4772, 5840, 6908}},
        // 16 minutes, 30 s: 33 entries of 205 twips; 0, 5, 10 and 15 minutes.
        {32, 30, {500, 2550, 4600, 6650}},
    };
    for (const auto& c : cases) {
        const Plot plot = PlotProfile(RegularProfile(c.count, c.interval, [](int) { return 9; }), c.height, c.width);
        EXPECT_EQ(TickXs(plot, c.height), c.xs) << c.count << " " << c.width;
    }
}

TEST(TimeAxis, LabelsThatWouldOverlapTakeALongerStep) {
    // Two hours every 60 s: 121 entries of 55 twips, 10 minutes 550 twips; labels of 7
    // characters at 105 twips (" 10min.", 735) would overlap: 20 minutes.
    const DiveProfile p = RegularProfile(120, 60, [](int) { return 30; });
    EXPECT_EQ(TickXs(PlotProfile(p, H, W)), (std::vector<int>{500, 1600, 2700, 3800, 4900, 6000, 7100}));
    // Labels 40 twips a character: 10 minutes fit.
    ViewOptions narrow;
    narrow.text.width = [](const QString& s) { return 40 * static_cast<int>(s.size()); };
    EXPECT_EQ(TickXs(PlotDive(p, {}, H, W, narrow)).size(), 13u);
    // The last label ends at the box's edge; where it would then cover the label before it,
    // it alone is left out (" 120min." is 840 twips, " 100min." ends at 6840).
    EXPECT_EQ(TickLabels(PlotDive(p, {}, H, W, narrow)).back(), (PlotText{W - 320, 4105, " 120min."}));
    EXPECT_EQ(TickLabels(PlotProfile(p, H, W)).back(), (PlotText{6000, 4105, " 100min."}));
}

TEST(ViewSpan, ZoomKeepsTheSecondUnderTheMouseAndStaysInTheDive) {
    const TimeSpan whole{0, 3000};
    const struct {
        TimeSpan shown;
        double factor;
        int around;
        TimeSpan expected;
    } cases[] = {
        {{0, 3000}, 2, 1500, {750, 2250}},
        {{0, 3000}, 2, 0, {0, 1500}},
        {{0, 3000}, 2, 3000, {1500, 3000}},
        {{0, 3000}, 4, 600, {450, 1200}},       // 600 keeps a fifth of the span before it
        {{1000, 2000}, 0.5, 1000, {1000, 3000}},
        {{1000, 2000}, 0.5, 2000, {0, 2000}},
        {{1000, 2000}, 0.5, 1900, {100, 2100}},
        {{0, 3000}, 100, 1500, {1440, 1560}},   // not shorter than two minutes
        {{0, 3000}, 0.25, 600, {0, 3000}},      // not longer than the dive
        {{750, 2250}, 0, 1000, {750, 2250}},    // no zoom
        {{750, 2250}, -2, 1000, {750, 2250}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZoomAround(c.shown, c.factor, c.around, whole), c.expected) << c.shown.first << " " << c.factor;
    }
    // A dive shorter than two minutes is always shown whole.
    EXPECT_EQ(ZoomAround({0, 90}, 4, 45, {0, 90}), (TimeSpan{0, 90}));
}

TEST(ViewSpan, PanAndClampKeepTheLengthInsideTheDive) {
    const TimeSpan whole{0, 3000};
    EXPECT_EQ(Pan({750, 2250}, 500, whole), (TimeSpan{1250, 2750}));
    EXPECT_EQ(Pan({750, 2250}, 1000, whole), (TimeSpan{1500, 3000}));
    EXPECT_EQ(Pan({750, 2250}, -1000, whole), (TimeSpan{0, 1500}));
    EXPECT_EQ(Pan({0, 3000}, 200, whole), whole);
    const std::pair<TimeSpan, TimeSpan> clamps[] = {
        {{2000, 1000}, {1000, 2000}},  // turned round
        {{-100, 500}, {0, 600}},
        {{2900, 3100}, {2800, 3000}},
        {{1000, 1010}, {945, 1065}},   // widened to two minutes around its middle
        {{-10, 5000}, {0, 3000}},
    };
    for (const auto& [span, expected] : clamps) EXPECT_EQ(ClampSpan(span, whole), expected) << span.first;
    EXPECT_EQ(WholeDive(ProfileOf({{20, 3}, {2730, 0}})), (TimeSpan{0, 2730}));
}

TEST(ViewSpan, AZoomedDiveIsDrawnForItsSpanInsideThePlot) {
    // 30 minutes every 30 s, 10 to 20 minutes shown: entries 20 to 40 over 500 .. 7160.
    const DiveProfile p = RegularProfile(60, 30, [](int t) { return t % 60 == 0 ? 12 : 8; });
    ViewOptions zoomed;
    zoomed.shown = TimeSpan{600, 1200};
    const Plot plot = PlotDive(p, {{10, "SLOW"}, {30, "ATT"}, {50, "ERR"}}, H, W, zoomed);
    EXPECT_EQ(TickXs(plot), (std::vector<int>{500, 3830, 7160}));
    EXPECT_EQ(TickLabels(plot).front(), (PlotText{500, 4105, " 10min."}));
    EXPECT_EQ(TickLabels(plot)[1], (PlotText{3830, 4105, " 15min."}));
    const std::vector<PlotLine> line = ProfileLines(plot);
    ASSERT_EQ(line.size(), 20u);
    for (const PlotLine& l : line) {
        EXPECT_TRUE(l.x1 >= 500 && l.x1 <= 7160 && l.x2 >= 500 && l.x2 <= 7160) << l.x1 << " " << l.x2;
    }
    // Entry 30 (15 minutes) at 12 m, in the middle: 3395 ÷ 12 = 282 twips a metre.
    EXPECT_NE(std::find(line.begin(), line.end(), PlotLine{3830, 3584, 3497, 2456, kProfileColour, 2}), line.end());
    // Only the marker inside the span, and the legend of it alone.
    ASSERT_EQ(plot.symbols.size(), 2u);
    EXPECT_EQ(plot.symbols[0].x, 3830);
    EXPECT_EQ(plot.symbols[1].colour, plot.symbols[0].colour);
    EXPECT_TRUE(plot.symbols[1].overBoxes);
    // A span between two samples still draws the line between them, cut at the edges.
    zoomed.shown = TimeSpan{610, 620};
    const std::vector<PlotLine> piece = ProfileLines(PlotDive(p, {}, H, W, zoomed));
    ASSERT_GE(piece.size(), 1u);
    for (const PlotLine& l : piece) EXPECT_TRUE(l.x1 >= 500 && l.x2 <= 7160);
}

TEST(Readout, TextIsMinutesSecondsAndMetres) {
    const struct {
        int seconds, depth;
        const char* text;
    } cases[] = {{750, 18, "12:30, 18 m"}, {5, 0, "0:05, 0 m"}, {6720, 103, "112:00, 103 m"}, {60, 7, "1:00, 7 m"}};
    for (const auto& c : cases) EXPECT_EQ(ReadoutText(c.seconds, c.depth), QString::fromUtf8(c.text));
}

TEST(Readout, NearestSampleAndTimeUnderTheMouse) {
    // 30 minutes every 30 s: entries 111 twips apart from 500.
    const DiveProfile p = RegularProfile(60, 30, [](int) { return 10; });
    const ViewOptions whole;
    const std::pair<int, int> nearest[] = {{500 + 20 * 111 + 50, 20}, {500 + 20 * 111 + 60, 21}, {0, 1}, {W, 60}};
    for (const auto& [x, entry] : nearest) EXPECT_EQ(NearestSample(p, x, H, W, whole), entry) << x;
    EXPECT_EQ(TimeAtX(p, 500 + 20 * 111, H, W, whole), 600);
    EXPECT_EQ(TimeAtX(p, 500 + 20 * 111 + 111 / 2, H, W, whole), 615);
    EXPECT_EQ(TimeAtX(p, W, H, W, whole), 1800);
    // Zoomed to 10 .. 20 minutes: entries 333 twips apart; the mouse left of the plot takes
    // the first entry shown.
    ViewOptions zoomed;
    zoomed.shown = TimeSpan{600, 1200};
    EXPECT_EQ(NearestSample(p, 500 + 333 * 3, H, W, zoomed), 23);
    EXPECT_EQ(NearestSample(p, 0, H, W, zoomed), 20);
    EXPECT_EQ(TimeAtX(p, 0, H, W, zoomed), 600);
    EXPECT_EQ(NearestSample(DiveProfile{}, 700, H, W, whole), 0);
}

TEST(Readout, LineAndTextStandAtTheSampleInsideTheBox) {
    const DiveProfile p = RegularProfile(60, 30, [](int) { return 10; });
    const struct {
        int entry;
        int textLeft;  // of its framed box
        const char* text;
    } cases[] = {
        {20, 2720 + 60, "10:00, 10 m"},         // right of the line
        {60, 7160 - 60 - 1215, "30:00, 10 m"},  // near the right edge: left of it (11 × 105 + 2 × 30)
    };
    for (const auto& c : cases) {
        ViewOptions o;
        o.readoutSample = c.entry;
        const Plot plot = PlotDive(p, {}, H, W, o);
        const int x = 500 + c.entry * 111;
        EXPECT_EQ(plot.lines.back(), (PlotLine{x, 200, x, 4095, 96 | 96 << 8 | 96 << 16, 1, true}));
        ASSERT_EQ(plot.boxes.size(), 1u);
        const PlotBox& box = plot.boxes[0];
        EXPECT_EQ(box.x, c.textLeft);
        EXPECT_TRUE(box.x >= 0 && box.x + box.width <= W && box.y >= 0 && box.y + box.height <= H);
        EXPECT_EQ(plot.texts.back().text, QString::fromUtf8(c.text));
    }
    // An entry that is not shown, or none of the dive, draws no readout.
    ViewOptions outside;
    outside.readoutSample = 61;
    EXPECT_EQ(PlotDive(p, {}, H, W, outside), PlotDive(p, {}, H, W, ViewOptions{}));
    outside.shown = TimeSpan{0, 600};
    outside.readoutSample = 30;
    EXPECT_TRUE(PlotDive(p, {}, H, W, outside).boxes.empty());
}

TEST(Placement, LinesCrossingRectangles) {
    const PlaceRect r{100, 100, 100, 100};
    const struct {
        PlotLine line;
        bool crosses;
    } cases[] = {
        {{120, 120, 150, 150, 0, 1}, true},   // inside
        {{0, 150, 300, 150, 0, 1}, true},     // through
        {{0, 0, 300, 300, 0, 1}, true},       // diagonally through
        {{0, 300, 300, 250, 0, 1}, false},    // below
        {{0, 190, 90, 300, 0, 1}, false},     // past the corner
        {{200, 0, 200, 400, 0, 1}, true},     // along the right edge
        {{250, 0, 250, 400, 0, 1}, false},
        {{0, 0, 99, 99, 0, 1}, false},        // ends short of it
    };
    for (const auto& c : cases) EXPECT_EQ(LineCrossesRect(c.line, r), c.crosses) << c.line.x1 << "," << c.line.y1;
    const std::vector<PlotLine> lines = {{0, 150, 300, 150, 0, 1}, {0, 450, 300, 450, 0, 1}};
    EXPECT_EQ(LeastCrossedPlace({r, {100, 400, 100, 100}, {400, 0, 50, 50}}, lines), 2);
    EXPECT_EQ(LeastCrossedPlace({r, {100, 400, 100, 100}}, lines), 0);  // equals: the first
    EXPECT_EQ(LeastCrossedPlace({}, lines), -1);
    EXPECT_EQ(BesideLine(1000, 600, 60, W), 1060);
    EXPECT_EQ(BesideLine(7000, 600, 60, W), 6340);
    EXPECT_EQ(BesideLine(300, 600, 60, 700), 0);
}

TEST(Markers, PlacedAtTheSamplesOfTheGoldenDives) {
    using namespace vyper::testing;
    const struct {
        const GoldenDive* dive;
        std::vector<PlotMarker> markers;
    } cases[] = {
        {&kDiveA, {{14, "SLOW"}}},                // the closing SLOW ends the profile
        {&kDiveB, {{3, "ATT"}}},
        {&kDiveC, {{3, "CEIL"}, {4, "CEIL"}}},
        {&kDiveD, {}},
    };
    for (const auto& c : cases) {
        const QByteArray bytes = Golden(*c.dive);
        const auto stored = std::get<StoredDive>(ReadStoredDive(bytes, ProfileDetail::WithEntries));
        EXPECT_EQ(PlotMarkersOf(ReadProfileText(bytes), stored.record), c.markers) << c.dive->golden;
    }
    // A sample the viewer does not take (time 0) shifts the entries; the marker follows its time.
    DiveRecord record;
    record.Entries = {ProfileEntry::Sample(0, -1), ProfileEntry::Sample(20, -5), ProfileEntry::Marker("ERR"),
                      ProfileEntry::Sample(40, -6), ProfileEntry::Sample(60, -2)};
    EXPECT_EQ(PlotMarkersOf(ProfileOf({{20, 5}, {40, 6}, {60, 2}}), record), (std::vector<PlotMarker>{{2, "ERR"}}));
}

TEST(Markers, WarningsAreRedFilledTrianglesTheOthersOpenCircles) {
    const struct {
        const char* text;
        bool warning;
        const char* legend;
    } cases[] = {
        {"SLOW", true, "SLOW: Aufstieg zu schnell"}, {"ASC", true, "ASC: Aufstiegswarnung"},
        {"CEIL", true, "CEIL: Dekostufe verletzt"},  {"ERR", true, "ERR: Fehler"},
        {"ATT", false, "ATT: Achtung"},              {"PLAN", false, "PLAN: Planung"},
        {"SURF", false, "SURF: Oberfläche"},         {"", false, "Markierung ohne Text"},
        {"XYZ", false, "Markierung XYZ"},
    };
    std::vector<int> colours;
    for (const auto& c : cases) {
        const MarkerStyle s = StyleOfMarker(QString::fromUtf8(c.text));
        EXPECT_EQ(std::tuple(s.warning, s.shape == SymbolShape::Triangle, s.legend),
                  std::tuple(c.warning, c.warning, QString::fromUtf8(c.legend)))
            << c.text;
        const int red = s.colour & 0xFF, green = (s.colour >> 8) & 0xFF, blue = (s.colour >> 16) & 0xFF;
        if (c.warning) {
            EXPECT_TRUE(red >= 140 && red > 2 * green && red >= blue) << c.text;
        }
        if (QByteArray(c.text) != "XYZ") colours.push_back(s.colour);
    }
    std::sort(colours.begin(), colours.end());
    EXPECT_EQ(std::adjacent_find(colours.begin(), colours.end()), colours.end()) << "a colour shared by two kinds";
    EXPECT_EQ(LegendOrder({"ATT", "", "CEIL", "XYZ", "SLOW", "ATT"}),
              (std::vector<QString>{"SLOW", "CEIL", "ATT", "", "XYZ"}));
}

TEST(Markers, SymbolsStandAboveTheirSampleAndTextsBeside) {
    // 20 minutes every 60 s at 10 m, rising to the surface at the end: entries 322 twips apart.
    const DiveProfile p = RegularProfile(20, 60, [](int t) { return t == 1200 ? 0 : 10; });
    const Plot plot = PlotDive(p, {{5, "SLOW"}, {5, "ATT"}, {20, "CEIL"}, {20, "ERR"}, {8, ""}, {12, "ASC"}, {13, "ASC"}},
                               H, W, ViewOptions{});
    const int x5 = 500 + 5 * 322, y10 = 10 * 339 + 200;
    std::vector<PlotSymbol> onLine;
    std::copy_if(plot.symbols.begin(), plot.symbols.end(), std::back_inserter(onLine),
                 [](const PlotSymbol& s) { return !s.overBoxes; });
    ASSERT_EQ(onLine.size(), 7u);
    // 3 pixels above the line (15 twips a pixel), the second one a line of text higher.
    EXPECT_EQ(onLine[0], (PlotSymbol{x5, y10 - 113, SymbolShape::Triangle, StyleOfMarker("SLOW").colour, true, 9}));
    EXPECT_EQ(onLine[1], (PlotSymbol{x5, y10 - 353, SymbolShape::Circle, StyleOfMarker("ATT").colour, false, 9}));
    // At the surface the first fits above, the second goes below the line.
    EXPECT_EQ(std::pair(onLine[2].y, onLine[3].y), std::pair(200 - 113, 200 + 353));
    // Texts beside their symbols in the symbol's colour; near the right edge on the left.
    const auto text = [&](const char* t) {
        return *std::find_if(plot.texts.begin(), plot.texts.end(), [&](const PlotText& x) { return x.text == t; });
    };
    EXPECT_EQ(text("SLOW"), (PlotText{x5 + 68 + 30, y10 - 113 - 120, "SLOW", StyleOfMarker("SLOW").colour, true}));
    EXPECT_EQ(text("ATT"), (PlotText{x5 + 98, y10 - 353 - 120, "ATT", StyleOfMarker("ATT").colour, true}));
    EXPECT_EQ(text("CEIL").x, 500 + 20 * 322 - 98 - 4 * 105);
    // The text of entry 12 would cover the symbol of entry 13 beside it: only the second's.
    EXPECT_EQ(std::count_if(plot.texts.begin(), plot.texts.end(), [](const PlotText& t) { return t.text == "ASC"; }), 1);
    EXPECT_EQ(text("ASC").x, 500 + 13 * 322 + 98);
    // The legend: warnings first, in the drawing colour, inside a framed box.
    std::vector<QString> legend;
    for (const PlotText& t : plot.texts) {
        if (!t.colour && t.text.contains(QLatin1Char(':'))) legend.push_back(t.text);
    }
    EXPECT_EQ(legend, (std::vector<QString>{"SLOW: Aufstieg zu schnell", "ASC: Aufstiegswarnung",
                                            "CEIL: Dekostufe verletzt", "ERR: Fehler", "ATT: Achtung"}));
    ASSERT_EQ(plot.boxes.size(), 1u);
    const auto inLegend = [](const PlotSymbol& s) { return s.overBoxes; };
    EXPECT_EQ(std::count_if(plot.symbols.begin(), plot.symbols.end(), inLegend), 6);
    // Markers off: no symbol, text or legend of them.
    ViewOptions off;
    off.markers = false;
    EXPECT_EQ(PlotDive(p, {{5, "SLOW"}}, H, W, off), PlotProfile(p, H, W));
}

TEST(Markers, TheLegendTakesACornerThatTheProfileLeavesFree) {
    const auto legendBox = [](const DiveProfile& p) {
        const Plot plot = PlotDive(p, {{2, "SLOW"}}, H, W, ViewOptions{});
        EXPECT_EQ(plot.boxes.size(), 1u);
        const PlotBox b = plot.boxes.at(0);
        for (const PlotLine& l : ProfileLines(plot)) EXPECT_FALSE(LineCrossesRect(l, {b.x, b.y, b.width, b.height}));
        EXPECT_TRUE(b.x >= 600 && b.x + b.width <= W - 200 && b.y >= 200 && b.y + b.height <= H - 400);
        return std::pair(b.x + b.width / 2 > W / 2, b.y + b.height / 2 > H / 2);  // right? bottom?
    };
    // Deep first, shallow at the end: bottom right.
    EXPECT_EQ(legendBox(RegularProfile(40, 30, [](int t) { return t < 600 ? 30 : 6; })), std::pair(true, true));
    // Deepest at the end (the dive's last part is not written yet): top right is free.
    EXPECT_EQ(legendBox(RegularProfile(40, 30, [](int t) { return t < 900 ? 5 : 30; })), std::pair(true, false));
    // Shallow, then deep, then up to the surface through the top right: bottom left.
    EXPECT_EQ(legendBox(RegularProfile(40, 30, [](int t) { return t < 600 ? 2 : t < 1110 ? 30 : (1200 - t) * 2 / 9; })),
              std::pair(false, true));
}

TEST(AnySize, TheDepthGridThinsOutWhereItsLabelsWouldOverlap) {
    // 120 m at the designed size: 28 twips a metre, 10 m is 280 twips, a label 240 high.
    // 170 m: 19 twips a metre, so 20 m.
    const struct {
        int maxDepth;
        int labels;
    } cases[] = {{120, 13}, {170, 9}};
    for (const auto& c : cases) {
        const Plot plot = PlotProfile(RegularProfile(10, 20, [&](int) { return c.maxDepth; }), H, W);
        EXPECT_EQ(std::count_if(plot.texts.begin(), plot.texts.end(), [](const PlotText& t) { return t.x == 10; }),
                  c.labels)
            << c.maxDepth;
    }
}

TEST(AnySize, ABoxBeyondSixteenBitsIsDrawnInThirtyTwo) {
    // 4K at 15 twips a pixel: 57600 × 32400 twips, 410 twips an entry.
    const Plot plot = PlotProfile(RegularProfile(138, 20, [](int t) { return t < 1500 ? 25 : 5; }), 32400, 57600);
    EXPECT_EQ(ProfileLines(plot).back(), (PlotLine{500 + 138 * 410, 5 * 1256 + 200, 500 + 137 * 410, 5 * 1256 + 200,
                                                   kProfileColour, 2}));
}
