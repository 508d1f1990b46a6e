#include <gtest/gtest.h>

#include <cmath>

#include "link/NumberText.h"
#include "link/UserChoices.h"
#include "platform/Failure.h"

using namespace vyper;

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfTheText) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"08", 8},      {"  42", 42},   {"\t7", 7},      {"1 2", 1},     {"-5", -5},     {"+6", 6},
        {".5", 0.5},    {"3.", 3},      {"Alle", 0},     {"", 0},        {"-", 0},       {"1e5", 1},
        {"- 5", 0},     {"007.250x", 7.25},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(LeadingNumber(QString::fromUtf8(c.text)), c.value) << c.text;
    }
}

TEST(LeadingNumber, TooManyDigitsKeepTheirSign) {
    const QString huge(400, QLatin1Char('9'));
    EXPECT_TRUE(std::isinf(LeadingNumber(huge)));
    EXPECT_GT(LeadingNumber(huge), 0);
    EXPECT_LT(LeadingNumber(QStringLiteral("-") + huge), 0);
}

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
    const struct {
        double in, out;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.952, -3}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(RoundToInteger, FailsWithOverflowOutsideTheWidth) {
    EXPECT_EQ(RoundToInt16(32767.4), 32767);
    EXPECT_EQ(RoundToInt16(-32768.5), -32768);
    EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
    const double outside16[] = {32767.5, -32768.6, 1e9, HUGE_VAL, NAN};
    for (double v : outside16) {
        try {
            RoundToInt16(v);
            ADD_FAILURE() << v << " did not fail";
        } catch (const RuntimeFailure& f) {
            EXPECT_EQ(f.Number(), failure::Overflow);
            EXPECT_EQ(f.Description(), QStringLiteral("Überlauf"));
        }
    }
    EXPECT_THROW(RoundToInt32(2147483648.0), RuntimeFailure);
}

TEST(ZeroPad, PadsToWidthAndNeverShortens) {
    EXPECT_EQ(ZeroPad(7, 2), QStringLiteral("07"));
    EXPECT_EQ(ZeroPad(123, 2), QStringLiteral("123"));
    EXPECT_EQ(ZeroPad(-5, 2), QStringLiteral("-5"));
    EXPECT_EQ(ZeroPad(QStringLiteral("x"), 3), QStringLiteral("00x"));
    EXPECT_EQ(ZeroPad(QString(), 2), QStringLiteral("00"));
}

TEST(UserChoices, InterfaceTypeIsTwoOnlyForTheExactSelfBuiltText) {
    EXPECT_EQ(InterfaceTypeFromText(QStringLiteral("Selbstbau (mit Echo)")), 2);
    EXPECT_EQ(InterfaceTypeFromText(QStringLiteral("Original Suunto (ohne Echo)")), 1);
    EXPECT_EQ(InterfaceTypeFromText(QStringLiteral("selbstbau (mit echo)")), 1);
    EXPECT_EQ(InterfaceTypeFromText(QStringLiteral("Selbstbau (mit Echo) ")), 1);
}

TEST(UserChoices, PortAndDelayFallBackOutsideTheirRange) {
    const struct {
        const char* text;
        int port;
        int delay;
    } cases[] = {
        {"1", 1, 1},        {"4", 4, 4},         {"0", 2, 0},          {"5", 2, 5},
        {"abc", 2, 350},    {"-1", 2, 350},      {"2000", 2, 2000},    {"2001", 2, 350},
        {"3.5", 4, 4},      {"2.5", 2, 2},       {"0.5", 2, 0},        {"99999999999999", 2, 350},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PortNumberFromText(QString::fromUtf8(c.text)), c.port) << c.text;
        EXPECT_EQ(CommandDelayFromText(QString::fromUtf8(c.text)), c.delay) << c.text;
    }
    EXPECT_EQ(PortNumberFromText(QString(400, QLatin1Char('9'))), 2);
}
