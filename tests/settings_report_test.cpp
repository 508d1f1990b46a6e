#include <gtest/gtest.h>

#include <QRegularExpression>
#include <set>

#include "link/Commands.h"
#include "link/Reception.h"
#include "support/CoreRig.h"
#include "support/DiveBytes.h"
#include "transfer/SettingsReport.h"

using namespace vyper;
using namespace vyper::testing;

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

// Block k of the memory holds the bytes k * 32 + 1 to k * 32 + 32; the lines below are worked
// out by hand from them (block 3: mode byte 100, so no mode line). A block whose reply failed
// its checksum is named with its own addresses instead.
TEST(SettingsReport, OnlyKeptRepliesAreReportedAndMissingBlocksAreNamed) {
    const QStringList reported[] = {
        {"Maximale Tauchtiefe:\t\t18 m"},
        {"Messintervall:\t\t\t37 sec.", "Tauchgänge:\t\t\t8996", "Gesamte Tauchzeit:\t\t8482 min.",
         "Seriennummer:\t\t\t38394041", "Benutzerinfo:\t\t\t-./0123456789:;<=>?@"},
        {"Bytes TG-Daten:\t\t\t21075"},
        {"Persönliche Einstellungen:\t\t97", "Maßsystem                  \t\tU.S.", "Beleuchtung: \t\t\tAus.",
         "Beleuchtung Dauer: \t\t101", "Tauchzeitalarm: \t\t\tAus.", "Tauchtiefenalarm: \t\t\tAn.",
         "Zeit bis Alarm: \t\t\t104 min.", "Alarmtiefe: \t\t\t64 m"},
    };
    const QString unread[] = {
        "Speicherblock 1 (Adresse 0 bis 31) konnte nicht gelesen werden.",
        "Speicherblock 2 (Adresse 32 bis 63) konnte nicht gelesen werden.",
        "Speicherblock 3 (Adresse 64 bis 95) konnte nicht gelesen werden.",
        "Speicherblock 4 (Adresse 96 bis 127) konnte nicht gelesen werden.",
    };
    const QString activity = QStringLiteral("~~~ >{{{°> ") + QString(36, QLatin1Char('~'));
    const struct {
        int16_t interfaceType;
        std::set<int> spoilt;
        QString closing;
    } cases[] = {
        {1, {}, "OK."},
        {2, {}, "OK."},
        {1, {1}, "Einstellungen unvollständig gelesen: 1 von 4 Speicherblöcken fehlt. Bitte noch einmal auslesen."},
        {2, {0, 3}, "Einstellungen unvollständig gelesen: 2 von 4 Speicherblöcken fehlen. Bitte noch einmal auslesen."},
        {1, {0, 2, 3}, "Einstellungen unvollständig gelesen: 3 von 4 Speicherblöcken fehlen. Bitte noch einmal auslesen."},
        {2, {1, 2}, "Einstellungen unvollständig gelesen: 2 von 4 Speicherblöcken fehlen. Bitte noch einmal auslesen."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "interface " << c.interfaceType << ", " << c.spoilt.size() << " spoilt");
        CoreRig t;
        t.OpenPort(1, c.interfaceType);
        QStringList expected;
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
            ReportSettingsBlock(t.m, static_cast<int16_t>(k));
            expected << (c.spoilt.count(k) ? QStringList{unread[k]} : reported[k]);
        }
        expected << activity << c.closing;
        const QStringList report = t.messages.lines.filter(QRegularExpression("^(?!.* Zeichen empfangen)"));
        EXPECT_EQ(report.join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());
        EXPECT_FALSE(t.p.serial.PortOpen());
    }
}
