#include <gtest/gtest.h>
#include <tuple>

#include "platform/SerialControl.h"
#include "text/Windows1252.h"

using namespace vyper;

TEST(Windows1252, EveryByteSurvivesARoundTripAndUnknownCharactersBecomeQuestionMarks) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    const QString text = FromWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(ToWindows1252(text), all);
    EXPECT_EQ(ToWindows1252(QStringLiteral("äß€Ω")), QByteArray("\xE4\xDF\x80?"));
}

TEST(LineSettings, ParsesTheFourFieldsAndRefusesOthers) {
    const LineSettings s = ParseLineSettings(QStringLiteral("2400,o,8,1"));
    EXPECT_EQ(std::tuple(s.baud, s.parity, s.dataBits, s.stopBits), std::tuple(2400, 'o', 8, 1));
    for (const char* bad : {"", "2400,o,8", "x,o,8,1", "2400,q,8,1", "2400,o,9,1", "2400,o,8,3"}) {
        EXPECT_THROW(ParseLineSettings(QString::fromLatin1(bad)), RuntimeFailure) << bad;
    }
}
