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

}  // namespace

TEST(SettingsReport, DepthsAreTruncatedToWholeMetres) {
    const struct {
        int value, metres;
    } cases[] = {{2560, 6}, {419, 0}, {420, 1}, {65535, 156}};
    for (const auto& c : cases) EXPECT_EQ(DepthMetresFrom128thFeet(c.value), c.metres) << c.value;
}

// Every line of every block, from the golden memory, is in the end-to-end settings read; here
// the values that memory does not reach: the light's duration above 127, an unknown mode.
TEST(SettingsReport, BlockThreeMasksTheLightsDurationAndLeavesOutAnUnknownMode) {
    const auto third = [](int mode) {
        return ReplyWith({{4, 5}, {6, 1}, {7, mode}, {8, 200}, {9, 1}, {11, 15}, {12, 15}, {13, 0}, {21, 1}, {22, 4}});
    };
    QStringList lines{"Persönliche Einstellungen:\t\t5", "Maßsystem                  \t\tmetrisch",
                      "Rechnermodus Dekompression: \tNitrox", "Beleuchtung: \t\t\tAus.", "Beleuchtung Dauer: \t\t72",
                      "Tauchzeitalarm: \t\t\tAus.", "Tauchtiefenalarm: \t\t\tAn.", "Zeit bis Alarm: \t\t\t15 min.",
                      "Alarmtiefe: \t\t\t9 m"};
    EXPECT_EQ(SettingsReportLines(3, third(1)), lines);
    lines.removeAt(2);  // no such mode: its line is left out
    EXPECT_EQ(SettingsReportLines(3, third(3)), lines);
    EXPECT_TRUE(SettingsReportLines(4, third(1)).isEmpty());
}

TEST(SettingsReport, UserTextKeepsAllTwentyPositions) {
    // "ä", the euro sign, a tab that would break the columns, a byte the character set lacks, zeros.
    const QString user = UserTextFromBytes(ReplyWith({{16, 'A'}, {17, 0xE4}, {18, 0x80}, {19, 9}, {20, 0x81}}));
    EXPECT_EQ(user, QStringLiteral("Aä€") + QString(17, kUndisplayablePlaceholder));
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
