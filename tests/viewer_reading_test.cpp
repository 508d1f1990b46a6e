#include <gtest/gtest.h>
#include <tuple>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <utility>
#include <vector>

#include "platform/Failure.h"
#include "support/DiveBytes.h"
#include "ui/viewer/NumericValue.h"
#include "ui/viewer/ProfileReader.h"

using namespace vyper;
using vyper::testing::FailureNumber;
using vyper::testing::ProfileFileBytes;

namespace {

std::vector<std::pair<int, int>> EvenSamples(int count) {
    std::vector<std::pair<int, int>> samples;
    for (int i = 1; i <= count; ++i) samples.push_back({i * 10, i % 30});
    return samples;
}

}  // namespace

TEST(NumericValue, ReadsSignDigitsPointAndExponentIgnoringBlanksTabsAndLineFeeds) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"-12", -12},         {"+7", 7},            {"\t\t-3", -3},     {"1 2", 12},
        {" - 12", -12},       {"1\n5", 15},         {"-.25", -0.25},     {"5.", 5},
        {"2.5e2x", 250},      {"1E3", 1000},        {"15e-1", 1.5},      {"12e-", 12},
        {"1.2.3", 1.2},       {"", 0},              {"=> SLOW", 0},      {"-", 0},
        {"+-3", 0},           {"1\r2", 1},          {"e5", 0},           {"1e-999", 0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(NumericValue(QString::fromUtf8(c.text)), c.value) << c.text;
    }
}

TEST(ProfileLines, EndAtCrLfLoneLfOrLoneCrWithoutAnEmptyLastLine) {
    const struct {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"", {}},
        {"\r\n", {""}},
        {"Oberfl\xE4" "che 5 \xB0" "C", {QStringLiteral("Oberfläche 5 °C")}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitProfileLines(c.bytes), c.lines) << c.bytes.toHex().constData();
}

TEST(ProfileReading, TakesExactlyTheSampleLinesOfAStoredFile) {
    const DiveProfile p = ReadProfileText(ProfileFileBytes({{20, 3}, {40, 12}, {60, 23}, {80, 5}}));
    EXPECT_EQ(std::tuple(p.sampleCount, p.maxDepth, p.lastTime), std::tuple(5, 23, 80));
    const std::vector<int> depths(p.depth.begin(), p.depth.begin() + 6);
    const std::vector<int> times(p.time.begin(), p.time.begin() + 6);
    EXPECT_EQ(depths, (std::vector<int>{0, 3, 12, 23, 5, 0}));
    EXPECT_EQ(times, (std::vector<int>{0, 20, 40, 60, 80, 0}));
}

TEST(ProfileReading, SingleLinesAreTakenSkippedOrRounded) {
    const struct {
        const char* line;
        bool taken;
        int time;
        int depth;
    } cases[] = {
        {"20\t\t-12", true, 20, 12},
        {"20\t\t12", true, 20, 12},       // without the sign the depth is the same
        {"0\t\t-5", false, 0, 0},         // time 0 is skipped
        {"-20\t\t-5", false, 0, 0},       // negative time is skipped
        {"0.5\t\t-5", false, 0, 0},       // rounds to 0 (half to even)
        {"0.6\t\t-5", true, 1, 5},        // rounds to 1
        {"2.5\t\t-3.5", true, 2, 4},      // halves go to the even neighbour
        {"20 -7", true, 20, 7},           // a blank separates when there is no TAB
        {"20-7", false, 0, 0},            // no separator at all
        {"20 -3\t4", true, 20, 4},         // a TAB separates even after a blank
        {"1 5\t-7", true, 15, 7},         // blanks inside the time are ignored
        {"Time [s]\tDepth [m]", false, 0, 0},
        {"40\t\t", true, 40, 0},          // a missing depth reads as 0
    };
    for (const auto& c : cases) {
        DiveProfile p;
        ReadProfileLine(p, QString::fromUtf8(c.line));
        EXPECT_EQ(std::tuple(p.sampleCount, p.time[1], p.depth[1], p.lastTime, p.maxDepth),
                  std::tuple(c.taken ? 2 : 1, c.time, c.depth, c.time, c.depth))
            << c.line;
    }
}

TEST(ProfileReading, NumbersOutsideSixteenBitsFailWithOverflow) {
    const QString manyDigits(400, QLatin1Char('9'));
    const QString lines[] = {"32768\t\t-3", "20\t\t-32768", "20\t\t32767.5", "20\t\t-1e999",
                             "-" + manyDigits + "\t\t-3"};
    for (const QString& line : lines) {
        DiveProfile p;
        EXPECT_EQ(FailureNumber([&] { ReadProfileLine(p, line); }), failure::Overflow) << line.left(20).toStdString();
    }
    DiveProfile p;
    ReadProfileLine(p, QStringLiteral("32767\t\t-32767"));
    EXPECT_EQ(p.lastTime, 32767);
    EXPECT_EQ(p.maxDepth, 32767);
}

TEST(ProfileReading, TheTableBoundIsTestedOnEveryLine) {
    // 1999 samples leave room for the end line and the summary.
    const DiveProfile p = ReadProfileText(ProfileFileBytes(EvenSamples(1999)));
    EXPECT_EQ(p.sampleCount, 2000);
    EXPECT_EQ(p.lastTime, 1999 * 10);
    EXPECT_EQ(p.depth[1999], 1999 % 30);

    // 2000 samples fill the tables; the next line, though no sample, fails.
    try {
        ReadProfileText(ProfileFileBytes(EvenSamples(2000)));
        ADD_FAILURE() << "2000 samples and an end line were accepted";
    } catch (const RuntimeFailure& failure) {
        EXPECT_EQ(failure.Number(), 9);
        EXPECT_TRUE(failure.Description().contains(QStringLiteral("2000")));
    }

    // 2000 samples and nothing after them fit; the last line end adds no line.
    QByteArray exact;
    for (int i = 1; i <= 2000; ++i) exact += QByteArray::number(i) + "\t\t-1\r\n";
    EXPECT_EQ(ReadProfileText(exact).sampleCount, 2001);
    EXPECT_EQ(FailureNumber([&] { ReadProfileText(exact + "\r\n"); }), 9);
}

TEST(ProfileFile, AFolderOfThatNameIsAnAccessFailure) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ordner")));
    EXPECT_EQ(FailureNumber([&] { ReadProfileFile(dir.filePath(QStringLiteral("ordner"))); }),
              failure::PathFileAccess);
}
