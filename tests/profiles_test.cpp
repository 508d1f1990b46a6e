#include <gtest/gtest.h>
#include <tuple>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "platform/Failure.h"
#include "platform/FileWriter.h"
#include "profiles/ProfileDecoding.h"
#include "profiles/ProfileText.h"
#include "support/DiveBytes.h"
#include "text/Windows1252.h"
#include "ui/viewer/ProfilePlot.h"
#include "profiles/ProfileReader.h"

using namespace vyper;
using vyper::testing::DiveAnswer;

namespace {

ProfileEntry S(int32_t seconds, int16_t depth) { return ProfileEntry::Sample(seconds, depth); }
ProfileEntry M(const char* text) { return ProfileEntry::Marker(QString::fromLatin1(text)); }

// The number that `pattern` captures in `text`, -1 when it does not match.
int Captured(const QString& text, const QString& pattern) {
    const QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

}  // namespace

TEST(DiveDecoding, MaxDepthTemperatureIsTheByteBelowTheLowest128) {
    const auto at = [](std::initializer_list<std::pair<int, int>> values) {
        std::vector<int32_t> bytes(60, 7);
        for (auto [slot, value] : values) bytes[slot] = value;
        return MaxDepthTemperature(bytes);
    };
    EXPECT_EQ(at({{1, 128}, {0, 17}}), 17);                      // only the rule reaches slot 0
    EXPECT_EQ(at({{40, 128}, {39, 22}, {5, 128}, {4, 11}}), 11);  // the lowest one counts
    EXPECT_EQ(at({{0, 128}}), 0);                                 // slot 0 itself is never looked at
    EXPECT_EQ(at({}), 0);                                         // no marker at all
    EXPECT_EQ(at({{59, 128}, {58, 30}}), 30);                     // the top slot is looked at
}

TEST(DiveDecoding, DepthIsRoundedAfterEveryByte) {
    const struct {
        int byte;
        int count;
        int16_t finalDepth;
        int16_t maxDepth;
    } cases[] = {
        {1, 10, 0, 0},     // 0.3048 rounds back to 0 every time
        {2, 10, -10, 10},  // 0.6096 rounds to a whole metre every time
        {254, 10, 10, 1},  // rising from the surface: the lowest depth seen is the first, +1
        {5, 3, -6, 6},     // -2, -4, -6; unrounded the sum would be -4.572
    };
    for (const auto& c : cases) {
        const ProfileWalk w = WalkProfile(DiveAnswer({}, std::vector<int>(c.count, c.byte)), 20);
        ASSERT_FALSE(w.Entries.empty());
        EXPECT_EQ(w.Entries.back().Depth, c.finalDepth) << c.byte;
        EXPECT_EQ(w.MaxDepth, c.maxDepth) << c.byte;
        EXPECT_EQ(static_cast<int>(w.Entries.size()), c.count);
    }
    // Descent then ascent by 254: -1 per 2-foot byte down, +1 per 254 byte up.
    const ProfileWalk w = WalkProfile(DiveAnswer({}, {2, 2, 2, 254, 120, 136}), 20);
    std::vector<int16_t> depths;
    for (const ProfileEntry& e : w.Entries) depths.push_back(e.Depth);
    // 120 ft = 36.576 m: -2 - 36.576 = -38.576 -> -39; 136 is 120 ft up: -39 + 36.576 = -2.424 -> -2.
    EXPECT_EQ(depths, (std::vector<int16_t>{-1, -2, -3, -2, -39, -2}));
    EXPECT_EQ(w.MaxDepth, 39);
}

TEST(DiveDecoding, MarkersKeepTheCurrentTextAndTakeAPeriod) {
    const struct {
        std::vector<int> profile;
        std::vector<ProfileEntry> entries;
        bool ended;
    } cases[] = {
        {{121}, {M(""), S(20, 0)}, false},
        {{123, 124, 125, 126, 129}, {M("ATT"), S(20, 0), M("PLAN"), S(40, 0), M("SURF"), S(60, 0), M("ASC"), S(80, 0),
                                     M("ERR"), S(100, 0)},
         false},
        {{128}, {M("")}, true},
        {{128, 10, 10}, {M("")}, true},  // an end marker in the first slot: depth 0, no time
        {{2, 126, 135, 128, 2}, {S(20, -1), M("ASC"), S(40, -1), M("ASC"), S(60, -1), M("ASC")}, true},
    };
    for (const auto& c : cases) {
        const DiveRecord r = DecodeDive(DiveAnswer({.interval = 20}, c.profile));
        EXPECT_EQ(r.Entries, c.entries) << c.profile.front();
        EXPECT_EQ(r.EndedByMarker, c.ended) << c.profile.front();
    }
}

TEST(DiveDecoding, SixteenBytesHoldAHeaderAndNoProfile) {
    // Slot 1 is never walked; only the temperature rule looks at it.
    const std::vector<int32_t> bytes = DiveAnswer({.slot0 = 9, .slot1 = 128}, {});
    ASSERT_EQ(bytes.size(), 16u);
    const DiveRecord r = DecodeDive(bytes);
    EXPECT_TRUE(r.Entries.empty() && !r.EndedByMarker);
    EXPECT_EQ(std::tuple(r.MaxDepth, r.MaxDepthTemperature), std::tuple(9999, 9));
}

TEST(DiveDecoding, DurationCountsBegunMinutesOfTheLastSample) {
    const struct {
        std::vector<ProfileEntry> entries;
        int16_t minutes;
    } cases[] = {
        {{}, 0},
        {{S(60, -1), S(80, 0)}, 2},
        {{S(1800, -1), M("SURF")}, 30},  // a trailing marker adds no time
        {{S(32767 * 60, -1)}, 32767},
    };
    for (const auto& c : cases) EXPECT_EQ(DurationMinutes(c.entries), c.minutes);
    EXPECT_THROW(DurationMinutes({S(32767 * 60 + 1, -1)}), RuntimeFailure);
}

// The summary's variants (the time with or without "Uhr", "°C" or "° C", the O2 line of a
// Nitrox dive without end marker) are in the hand-checked files of the end-to-end tests;
// none of those is an air dive without end marker, which must not get an O2 line.
TEST(ProfileText, AnAirDiveWithoutEndMarkerHasNoOxygenLine) {
    DiveRecord r;
    r.SampleInterval = 20;
    r.EndedByMarker = false;
    r.OxygenPercent = 0;
    EXPECT_TRUE(ProfileTailBytes(r).endsWith("\r\nAufzeichnungsintervall: 20 s\r\n")) << ProfileTailBytes(r).constData();
}

TEST(AtomicFileWriter, ReplacesALongerFileExactlyAndKeepsItsPermissions) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("dive.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    const QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, permissions));
    const DiveRecord r = DecodeDive(DiveAnswer({.slot1 = 18}, {10, 10, 122, 246, 128}));

    AtomicFileWriter().WriteWhole(path, ProfileHeadBytes(r) + ProfileTailBytes(r));

    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), ProfileHeadBytes(r) + ProfileTailBytes(r));
    EXPECT_EQ(written.permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), permissions);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("dive.txt")});
}

// One dive, decoded from the dive computer's bytes: the file's "Dauer:" line, the dive
// summary in the message list and the viewer's "Tauchzeit:" (read back from the file) give
// the same minutes, a begun minute counted as a whole one.
TEST(DiveDuration, FileSummaryAndViewerGiveTheSameMinutes) {
    const struct {
        int samples, interval, minutes;
    } cases[] = {
        {1, 20, 1},     // 20 s
        {3, 20, 1},     // 60 s, one minute exactly
        {4, 20, 2},     // 80 s
        {91, 30, 46},   // 2730 s, 45.5 minutes
        {120, 30, 60},  // 3600 s
        {121, 30, 61},  // 3630 s
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.samples * c.interval);
        std::vector<int> profile(static_cast<size_t>(c.samples), 0);
        profile.front() = 33;  // ten metres down, then level
        const DiveRecord record = DecodeDive(DiveAnswer({.interval = c.interval}, profile));
        const QByteArray file = ProfileHeadBytes(record) + ProfileTailBytes(record);

        const QString fileText = FromWindows1252(file);
        EXPECT_EQ(Captured(fileText, QStringLiteral("\r\nDauer: (\\d+) min\\.\r\n")), c.minutes);
        EXPECT_EQ(Captured(DiveSummaryLines(record).join(QLatin1Char('\n')), QStringLiteral("Dauer: \t+(\\d+) min\\.")),
                  c.minutes);
        EXPECT_EQ(Captured(InfoCaption(ReadProfileText(file)), QStringLiteral("Tauchzeit: (\\d+)min\\.")), c.minutes);
    }
}
