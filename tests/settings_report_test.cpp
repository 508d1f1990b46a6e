#include <gtest/gtest.h>

#include "transfer/SettingsReport.h"

using namespace vyper;

namespace {

using Reply = std::array<int32_t, kBufferSize>;

// A reply buffer with the given bytes at the given positions, zeros elsewhere.
Reply With(std::initializer_list<std::pair<int, int>> bytes) {
    Reply rx{};
    for (const auto& [position, value] : bytes) rx[static_cast<size_t>(position)] = value;
    return rx;
}

const QString T = QStringLiteral("\t");

}  // namespace

TEST(SettingsReport, DepthsAreTruncatedToWholeMetres) {
    const struct {
        int value, metres;
    } cases[] = {{2560, 6}, {419, 0}, {420, 1}, {65535, 156}};
    for (const auto& c : cases) EXPECT_EQ(DepthMetresFrom128thFeet(c.value), c.metres) << c.value;
    EXPECT_EQ(SettingsReportLines(0, With({{34, 10}, {35, 0}})),
              QStringList{QStringLiteral("Maximale Tauchtiefe:") + T + T + QStringLiteral("6 m")});
}

TEST(SettingsReport, BlockOneGivesIntervalDivesTimeSerialAndUserText) {
    Reply rx = With({{4, 1}, {5, 44}, {6, 1}, {7, 44}, {8, 20}, {9, 1}, {10, 2}, {11, 30}, {12, 4}});
    const QByteArray text = "Grundelnetz Vyper 01";
    for (int i = 0; i < 20; ++i) rx[static_cast<size_t>(16 + i)] = static_cast<unsigned char>(text[i]);
    const QStringList lines = SettingsReportLines(1, rx);
    const QStringList expected{
        QStringLiteral("Messintervall:") + T + T + T + QStringLiteral("20 sec."),
        QStringLiteral("Tauchgänge:") + T + T + T + QStringLiteral("300"),
        QStringLiteral("Gesamte Tauchzeit:") + T + T + QStringLiteral("300 min."),
        QStringLiteral("Seriennummer:") + T + T + T + QStringLiteral("12304"),
        QStringLiteral("Benutzerinfo:") + T + T + T + QStringLiteral("Grundelnetz Vyper 01"),
    };
    EXPECT_EQ(lines, expected);
}

TEST(SettingsReport, UserTextKeepsAllTwentyPositions) {
    Reply rx{};
    rx[16] = 'A';
    rx[17] = 0xE4;  // "ä" in the 8-bit character set
    rx[18] = 0x80;  // the euro sign
    rx[19] = 9;     // a tab would break the list's columns
    rx[20] = 0x81;  // undefined in the character set
    const QString user = UserTextFromBytes(rx);
    ASSERT_EQ(user.size(), 20);
    EXPECT_EQ(user.left(3), QStringLiteral("Aä€"));
    EXPECT_EQ(user[3], kUndisplayablePlaceholder);
    EXPECT_EQ(user[4], kUndisplayablePlaceholder);
    EXPECT_EQ(user.mid(5), QString(15, kUndisplayablePlaceholder));  // zero bytes
}

TEST(SettingsReport, BlockThreeLinesFollowTheBytes) {
    const Reply rx = With({{4, 5}, {6, 1}, {7, 1}, {8, 200}, {9, 1}, {11, 15}, {12, 15}, {13, 0}, {21, 1}, {22, 4}});
    const QStringList expected{
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
    // There is no fourth block to report.
    EXPECT_TRUE(SettingsReportLines(4, rx).isEmpty());
    EXPECT_TRUE(SettingsReportLines(-1, rx).isEmpty());
}

TEST(SettingsReport, ComputerModeLineOnlyForKnownModes) {
    const struct {
        int mode;
        const char* text;
    } cases[] = {{2, "Tiefenmesser"}, {3, nullptr}, {255, nullptr}};
    for (const auto& c : cases) {
        const QStringList lines = SettingsReportLines(3, With({{7, c.mode}}));
        if (c.text == nullptr) {
            EXPECT_EQ(lines.size(), 8) << c.mode;
            EXPECT_EQ(lines[2], QStringLiteral("Beleuchtung: ") + T + T + T + QStringLiteral("Aus.")) << c.mode;
        } else {
            EXPECT_EQ(lines.size(), 9) << c.mode;
            EXPECT_EQ(lines[2], QStringLiteral("Rechnermodus Dekompression: ") + T + QString::fromUtf8(c.text)) << c.mode;
        }
    }
}
