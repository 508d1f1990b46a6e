#include <gtest/gtest.h>
#include <tuple>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/FileWriter.h"
#include "profiles/ProfileDecoding.h"
#include "profiles/ProfileText.h"
#include "support/DiveBytes.h"

using namespace vyper;

TEST(ProfileText, SummaryVariantsDifferInTimeDegreesAndOxygen) {
    const struct {
        bool ended;
        int oxygen;
        const char *time, *degrees, *oxygenLine;
    } cases[] = {
        {true, 32, "08 Uhr 05", "4 \xB0" "C", ""},
        {false, 32, "08 05", "4 \xB0 C", "O2-Anteil:  32 \r\n"},
        {false, 0, "08 05", "4 \xB0 C", ""},
    };
    for (const auto& c : cases) {
        DiveRecord r;
        r.DateText = QStringLiteral("99-07-15");
        std::tie(r.DiveHour, r.DiveMinute, r.DurationMinutes, r.MaxDepth) = std::tuple(8, 5, 41, 12);
        std::tie(r.AirTemperature, r.MaxDepthTemperature, r.SurfaceHours, r.SurfaceMinutes) = std::tuple(-2, 4, 5, 7);
        r.SampleInterval = 20;
        r.OxygenPercent = static_cast<int16_t>(c.oxygen);
        r.EndedByMarker = c.ended;
        EXPECT_EQ(ProfileTailBytes(r), QByteArray("# END OF PROFILE #\r\nDatum: 99-07-15\r\nUhrzeit: ") + c.time +
                                           "\r\nDauer: 41 min.\r\nMaximale Tiefe: 12 m\r\nLufttemperatur vor TG: -2 \xB0" "C\r\n"
                                           "Temperatur auf maximaler Tiefe: " + c.degrees +
                                           "\r\nOberfl\xE4" "chenpause vor dem TG: 05 h 07 min\r\nAufzeichnungsintervall: 20 s\r\n" +
                                           c.oxygenLine)
            << c.ended << " " << c.oxygen;
    }
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
    vyper::testing::DiveHeaderBytes h;
    h.slot1 = 18;
    const DiveRecord r = DecodeDive(vyper::testing::DiveAnswer(h, {10, 10, 122, 246, 128}));

    AtomicFileWriter().WriteWhole(path, ProfileHeadBytes(r) + ProfileTailBytes(r));

    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), ProfileHeadBytes(r) + ProfileTailBytes(r));
    EXPECT_EQ(written.permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), permissions);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("dive.txt")});
}
