#include <gtest/gtest.h>
#include <tuple>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/Failure.h"
#include "profiles/ProfileDecoding.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileText.h"
#include "support/DiveBytes.h"

using namespace vyper;
using vyper::testing::DiveAnswer;
using vyper::testing::DiveHeaderBytes;

namespace {

DiveRecord WorkedExample() {
    DiveHeaderBytes h;
    h.interval = 30;
    h.slot1 = 18;
    return DecodeDive(DiveAnswer(h, {10, 10, 122, 246, 128}));
}

// The header and summary of a record without profile, for the summary variants.
DiveRecord Summary(bool endedByMarker, int oxygen) {
    DiveRecord r;
    r.DateText = QStringLiteral("99-07-15");
    std::tie(r.DiveHour, r.DiveMinute, r.DurationMinutes, r.MaxDepth) = std::tuple(8, 5, 41, 12);
    std::tie(r.AirTemperature, r.MaxDepthTemperature, r.SurfaceHours, r.SurfaceMinutes) = std::tuple(-2, 4, 5, 7);
    r.SampleInterval = 20;
    r.OxygenPercent = static_cast<int16_t>(oxygen);
    r.EndedByMarker = endedByMarker;
    return r;
}

QByteArray Bytes(const char* text) { return QByteArray(text); }

}  // namespace

TEST(ProfileText, SummaryVariantsDifferInTimeDegreesAndOxygen) {
    const char* common =
        "# END OF PROFILE #\r\n"
        "Datum: 99-07-15\r\n";
    const struct {
        bool ended;
        int oxygen;
        const char* rest;
    } cases[] = {
        {true, 32,
         "Uhrzeit: 08 Uhr 05\r\nDauer: 41 min.\r\nMaximale Tiefe: 12 m\r\nLufttemperatur vor TG: -2 \xB0" "C\r\n"
         "Temperatur auf maximaler Tiefe: 4 \xB0" "C\r\nOberfl\xE4" "chenpause vor dem TG: 05 h 07 min\r\n"
         "Aufzeichnungsintervall: 20 s\r\n"},
        {false, 32,
         "Uhrzeit: 08 05\r\nDauer: 41 min.\r\nMaximale Tiefe: 12 m\r\nLufttemperatur vor TG: -2 \xB0" "C\r\n"
         "Temperatur auf maximaler Tiefe: 4 \xB0 C\r\nOberfl\xE4" "chenpause vor dem TG: 05 h 07 min\r\n"
         "Aufzeichnungsintervall: 20 s\r\nO2-Anteil:  32 \r\n"},
        {false, 0,
         "Uhrzeit: 08 05\r\nDauer: 41 min.\r\nMaximale Tiefe: 12 m\r\nLufttemperatur vor TG: -2 \xB0" "C\r\n"
         "Temperatur auf maximaler Tiefe: 4 \xB0 C\r\nOberfl\xE4" "chenpause vor dem TG: 05 h 07 min\r\n"
         "Aufzeichnungsintervall: 20 s\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProfileTailBytes(Summary(c.ended, c.oxygen)), Bytes(common) + Bytes(c.rest))
            << c.ended << " " << c.oxygen;
    }
}

TEST(ProfileText, EntryLines) {
    const struct {
        std::vector<ProfileEntry> entries;
        const char* lines;
    } cases[] = {
        {{}, ""},
        {{ProfileEntry::Marker(QString())}, "=> \r\n"},
        {{ProfileEntry::Sample(40, -12), ProfileEntry::Marker(QStringLiteral("ERR"))}, "40\t\t-12\r\n=> ERR\r\n"},
        {{ProfileEntry::Sample(-60, 2)}, "60\t\t2\r\n"},  // time is written without its sign
    };
    for (const auto& c : cases) {
        DiveRecord r;
        r.Entries = c.entries;
        EXPECT_EQ(ProfileHeadBytes(r), Bytes("Time [s]\tDepth [m]\r\n") + Bytes(c.lines));
    }
}

TEST(ProfileText, LongTwoDigitFieldsAreNotShortened) {
    DiveRecord r = Summary(true, 0);
    r.DiveHour = 123;
    r.SurfaceHours = 100;
    EXPECT_TRUE(ProfileTailBytes(r).contains("Uhrzeit: 123 Uhr 05\r\n"));
    EXPECT_TRUE(ProfileTailBytes(r).contains(": 100 h 07 min\r\n"));
}

TEST(ProfileText, MessageListSummary) {
    const QStringList expected{
        QStringLiteral("Datum: \t\t\t\t99-07-15"),
        QStringLiteral("Uhrzeit: \t\t\t\t08:05"),
        QStringLiteral("Maximale Tiefe: \t\t\t12 m"),
        QStringLiteral("Dauer: \t\t\t\t41 min."),
        QStringLiteral("Oberflächenpause vor dem TG: \t05 h : 07 min"),
        QStringLiteral("Lufttemperatur vor TG: \t\t-2 °C"),
        QStringLiteral("Temperatur auf maximaler Tiefe: \t4 °C"),
        QStringLiteral("O2-Anteil: \t\t\t0%"),
        QStringLiteral("Aufzeichnungsintervall: \t20 s"),
    };
    // Both endings give the same list summary, with the O2 entry always present.
    EXPECT_EQ(DiveSummaryLines(Summary(true, 0)), expected);
    EXPECT_EQ(DiveSummaryLines(Summary(false, 0)), expected);
}

TEST(ProfileFileWriting, HeadAndTailMakeTheFileAndCloseIt) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("dive.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));  // longer than the new content: must be cut away
    }
    const DiveRecord r = WorkedExample();
    ProfileFile file;
    WriteProfileHead(file, path, r);
    EXPECT_TRUE(file.IsOpen());
    WriteProfileTail(file, r);
    EXPECT_FALSE(file.IsOpen());
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), ProfileHeadBytes(r) + ProfileTailBytes(r));
}
