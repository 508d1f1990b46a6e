#include <gtest/gtest.h>

#include <cmath>

#include "link/UserChoices.h"
#include "platform/Failure.h"
#include "support/DiveBytes.h"
#include "text/NumberText.h"
#include "text/Windows1252.h"

using namespace vyper;

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfTheText) {
    const struct {
        const char* text;
        double value;
    } cases[] = {{"  42", 42}, {"1 2", 1}, {"-5", -5}, {".5", 0.5}, {"Alle", 0}, {"", 0},
                 {"-", 0},     {"1e5", 1}, {"- 5", 0}, {"007.250x", 7.25}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(LeadingNumber(QString::fromUtf8(c.text)), c.value) << c.text;
    EXPECT_LT(LeadingNumber(QStringLiteral("-") + QString(400, QLatin1Char('9'))), 0);
}

TEST(RoundToInteger, FailsWithOverflowOutsideTheWidth) {
    EXPECT_EQ(RoundToInt16(-32768.5), -32768);
    for (double v : {32767.5, double(HUGE_VAL), double(NAN)}) {
        EXPECT_EQ(vyper::testing::FailureNumber([v] { RoundToInt16(v); }), failure::Overflow) << v;
    }
}

TEST(UserChoices, PortAndDelayFallBackOutsideTheirRange) {
    const struct {
        const char* text;
        int port, delay;
    } cases[] = {{"1", 1, 1},      {"4", 4, 4},       {"0", 2, 0},    {"5", 2, 5},
                 {"-1", 2, 350},   {"2001", 2, 350},  {"3.5", 4, 4},  {"2.5", 2, 2},
                 {"abc", 2, 350},  {"99999999999999", 2, 350}};
    for (const auto& c : cases) {
        EXPECT_EQ(PortNumberFromText(QString::fromUtf8(c.text)), c.port) << c.text;
        EXPECT_EQ(CommandDelayFromText(QString::fromUtf8(c.text)), c.delay) << c.text;
    }
    EXPECT_EQ(InterfaceTypeFromText(QStringLiteral("Selbstbau (mit Echo)")), 2);
    EXPECT_EQ(InterfaceTypeFromText(QStringLiteral("selbstbau (mit echo)")), 1);
}

TEST(Windows1252, EveryByteSurvivesARoundTripAndUnknownCharactersBecomeQuestionMarks) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    const QString text = FromWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(ToWindows1252(text), all);
    EXPECT_EQ(ToWindows1252(QStringLiteral("äß€Ω")), QByteArray("\xE4\xDF\x80?"));
}
