#include <gtest/gtest.h>
#include <tuple>

#include <utility>
#include <vector>

#include "platform/Failure.h"
#include "support/DiveBytes.h"
#include "ui/viewer/NumericValue.h"
#include "ui/viewer/ProfileReader.h"

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
