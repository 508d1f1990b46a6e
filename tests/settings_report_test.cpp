#include <gtest/gtest.h>

#include <set>

#include "link/Commands.h"
#include "link/Reception.h"
#include "support/CoreRig.h"
#include "support/DiveBytes.h"
#include "transfer/ActivityIndicator.h"
#include "transfer/SettingsReport.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

using Reply = std::array<int32_t, kBufferSize>;

const QString T = QStringLiteral("\t");

}  // namespace

TEST(SettingsReport, DepthsAreTruncatedToWholeMetres) {
    const struct {
        int value, metres;
    } cases[] = {{2560, 6}, {419, 0}, {420, 1}, {65535, 156}};
    for (const auto& c : cases) EXPECT_EQ(DepthMetresFrom128thFeet(c.value), c.metres) << c.value;
}

TEST(SettingsReport, BlockOneGivesIntervalDivesTimeSerialAndUserText) {
    Reply rx = ReplyWith({{4, 1}, {5, 44}, {6, 1}, {7, 44}, {8, 20}, {9, 1}, {10, 2}, {11, 30}, {12, 4}});
    const QByteArray text = "Grundelnetz Vyper 01";
    for (int i = 0; i < 20; ++i) rx[static_cast<size_t>(16 + i)] = static_cast<unsigned char>(text[i]);
    const QStringList expected{
        QStringLiteral("Messintervall:") + T + T + T + QStringLiteral("20 sec."),
        QStringLiteral("Tauchgänge:") + T + T + T + QStringLiteral("300"),
        QStringLiteral("Gesamte Tauchzeit:") + T + T + QStringLiteral("300 min."),
        QStringLiteral("Seriennummer:") + T + T + T + QStringLiteral("12304"),
        QStringLiteral("Benutzerinfo:") + T + T + T + QStringLiteral("Grundelnetz Vyper 01"),
    };
    EXPECT_EQ(SettingsReportLines(1, rx), expected);
}

TEST(SettingsReport, UserTextKeepsAllTwentyPositions) {
    // "ä", the euro sign, a tab that would break the columns, a byte the character set lacks, zeros.
    const QString user = UserTextFromBytes(ReplyWith({{16, 'A'}, {17, 0xE4}, {18, 0x80}, {19, 9}, {20, 0x81}}));
    EXPECT_EQ(user, QStringLiteral("Aä€") + QString(17, kUndisplayablePlaceholder));
}

TEST(SettingsReport, BlockThreeLinesFollowTheBytesAndLeaveOutAnUnknownMode) {
    Reply rx = ReplyWith({{4, 5}, {6, 1}, {7, 1}, {8, 200}, {9, 1}, {11, 15}, {12, 15}, {13, 0}, {21, 1}, {22, 4}});
    QStringList expected{
        QStringLiteral("Persönliche Einstellungen:") + T + T + QStringLiteral("5"),
        QStringLiteral("Maßsystem                  ") + T + T + QStringLiteral("metrisch"),
        QStringLiteral("Rechnermodus Dekompression: ") + T + QStringLiteral("Nitrox"),
        QStringLiteral("Beleuchtung: ") + T + T + T + QStringLiteral("Aus."),
        QStringLiteral("Beleuchtung Dauer: ") + T + T + QStringLiteral("72"),
        QStringLiteral("Tauchzeitalarm: ") + T + T + T + QStringLiteral("Aus."),
        QStringLiteral("Tauchtiefenalarm: ") + T + T + T + QStringLiteral("An."),
        QStringLiteral("Zeit bis Alarm: ") + T + T + T + QStringLiteral("15 min."),
        QStringLiteral("Alarmtiefe: ") + T + T + T + QStringLiteral("9 m"),
    };
    EXPECT_EQ(SettingsReportLines(3, rx), expected);
    rx[7] = 3;  // no such mode: its line is left out
    expected.removeAt(2);
    EXPECT_EQ(SettingsReportLines(3, rx), expected);
    EXPECT_TRUE(SettingsReportLines(4, rx).isEmpty());
}

TEST(SettingsReport, OnlyKeptRepliesAreReportedAndMissingBlocksAreNamed) {
    const struct {
        int16_t interfaceType;
        std::set<int> spoilt;
        QString closing;
    } cases[] = {
        {1, {}, QStringLiteral("OK.")},
        {2, {}, QStringLiteral("OK.")},
        {1, {1}, IncompleteReadLine(1)},
        {2, {0, 3}, IncompleteReadLine(2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "interface " << c.interfaceType << ", " << c.spoilt.size() << " spoilt");
        CoreRig t;
        t.OpenPort(1, c.interfaceType);
        for (int k = 0; k < 4; ++k) {
            ResetRxState(t.m);
            t.m.MemoryReadLength = 32;
            t.m.ExpectedCount = MemoryReadExpectedCount(c.interfaceType, 32);
            const QByteArray head = Bytes({0x05, 0x00, k * 32, 0x20});
            const QByteArray echo = c.interfaceType == 2 ? WithChecksum(head) : QByteArray();
            QByteArray memory;
            for (int i = 0; i < 32; ++i) memory.append(static_cast<char>(k * 32 + i + 1));
            const QByteArray reply = WithChecksum(head + memory, c.spoilt.count(k) ? 0x01 : 0);
            // Behind the reply a second one with other values and a right checksum: only
            // the first reply after the command can be the block.
            const QByteArray stray = echo + WithChecksum(head + QByteArray(32, '\x33'));
            t.Arrive(echo + reply + stray);
            const qsizetype before = t.messages.lines.size();
            ReportSettingsBlock(t.m, static_cast<int16_t>(k));
            Reply rx{};
            for (qsizetype i = 0; i < reply.size(); ++i) rx[static_cast<size_t>(i)] = static_cast<unsigned char>(reply[i]);
            const QStringList block = c.spoilt.count(k) ? QStringList{UnreadBlockLine(k)} : SettingsReportLines(k, rx);
            EXPECT_EQ(t.messages.lines.mid(before, block.size()), block) << "block " << k;
        }
        EXPECT_EQ(t.messages.lines.mid(t.messages.lines.size() - 2), (QStringList{ActivityLine(1), c.closing}));
        EXPECT_FALSE(t.p.serial.PortOpen());
    }
}
