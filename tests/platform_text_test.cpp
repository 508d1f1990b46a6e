#include <gtest/gtest.h>
#include <tuple>

#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/AppInfo.h"
#include "platform/Controls.h"
#include "platform/SerialControl.h"
#include "platform/Windows1252.h"

using namespace vyper;

TEST(Windows1252, GermanAndSpecialCharactersAreSingleBytes) {
    EXPECT_EQ(ToWindows1252(QStringLiteral("ä°ÄöüßÖÜ")), QByteArray("\xE4\xB0\xC4\xF6\xFC\xDF\xD6\xDC"));
    EXPECT_EQ(ToWindows1252(QStringLiteral("€…–")), QByteArray("\x80\x85\x96"));
    EXPECT_EQ(ToWindows1252(QStringLiteral("Time [s]\tDepth [m]\r\n")), QByteArray("Time [s]\tDepth [m]\r\n"));
    EXPECT_EQ(ToWindows1252(QStringLiteral("Ω")), QByteArray("?"));
}

TEST(Windows1252, EveryByteSurvivesARoundTrip) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    const QString text = FromWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0xE4], QChar(0xE4));
    EXPECT_EQ(ToWindows1252(text), all);
}

TEST(LineSettings, ParsesTheFourFields) {
    const LineSettings s = ParseLineSettings(QStringLiteral("2400,o,8,1"));
    EXPECT_EQ(std::tuple(s.baud, s.parity, s.dataBits, s.stopBits), std::tuple(2400, 'o', 8, 1));
    EXPECT_EQ(ParseLineSettings(QStringLiteral("9600,N,7,2")).parity, 'n');
    for (const char* bad : {"", "2400,o,8", "x,o,8,1", "2400,q,8,1", "2400,o,9,1", "2400,o,8,3", "-1,o,8,1"}) {
        EXPECT_THROW(ParseLineSettings(QString::fromLatin1(bad)), RuntimeFailure) << bad;
    }
}

TEST(Colours, ValuesHaveRedInTheLowestByte) {
    EXPECT_EQ(ColorFromValue(255), QColor(255, 0, 0));
    EXPECT_EQ(ColorFromValue(8388608), QColor(0, 0, 128));
    EXPECT_EQ(ValueFromColor(QColor(0, 0, 160)), 160 << 16);
}

TEST(Twips, MapToPixelsAtTheLogicalResolution) {
    EXPECT_EQ(TwipsToPixels(1440, 96), 96);
    EXPECT_EQ(TwipsToPixels(7230, 96), 482);
    EXPECT_EQ(TwipsToPixels(1440, 120), 120);
}

TEST(ProgramFolder, FallsBackWhenTheExecutableFolderIsNotWritable) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(ChooseProgramFolder(dir.path(), dir.path() + QStringLiteral("/data")), dir.path());
    const QString fallback = dir.path() + QStringLiteral("/user/data");
    EXPECT_EQ(ChooseProgramFolder(dir.path() + QStringLiteral("/missing"), fallback), fallback);
    EXPECT_TRUE(QFileInfo(fallback).isDir());
    EXPECT_EQ(JoinPath(QStringLiteral("/a"), QStringLiteral("b")), QStringLiteral("/a/b"));
    EXPECT_EQ(JoinPath(QStringLiteral("/a/"), QStringLiteral("b")), QStringLiteral("/a/b"));
}
