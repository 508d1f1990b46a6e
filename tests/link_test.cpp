#include <gtest/gtest.h>
#include <tuple>

#include "link/ByteList.h"
#include "link/Reception.h"
#include "link/SerialSession.h"
#include "link/Transmit.h"
#include "support/CoreRig.h"
#include "support/DiveBytes.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

// The core with its port open, in a given transfer state and interface.
struct LinkRig : CoreRig {
    LinkRig(int16_t downloadState, int16_t interfaceType, int32_t expectedCount) {
        OpenPort(downloadState, interfaceType);
        m.ExpectedCount = expectedCount;
        // A profile answer through the self-built interface starts behind the echo, as the
        // profile commands announce it.
        m.ProfileEcho = downloadState == 2 && interfaceType == 2 ? 3 : 0;
    }
    QByteArray Profile() const { return Bytes({m.ProfileBuffer.begin(), m.ProfileBuffer.begin() + m.ProfileCount}); }
};
QByteArray Payload(int length, int first) {
    QByteArray out;
    for (int i = 0; i < length; ++i) out.append(static_cast<char>((first + i) & 0xFF));
    return out;
}
QByteArray ProfilePacket(const QByteArray& payload, int flip = 0) {
    return WithChecksum(Bytes({0x03, static_cast<int>(payload.size())}) + payload, flip);
}
QByteArray MemoryReply(const QByteArray& memory, int flip = 0) {
    return WithChecksum(Bytes({0x05, 0x00, 0x20, 0x20}) + memory, flip);
}
// The line of a packet of `count` bytes with a right checksum.
QString Ok(int count) { return QStringLiteral("%1 Zeichen empfangen. CRC OK").arg(count, 2, 10, QLatin1Char('0')); }

}  // namespace

TEST(Reception, PacketsEndByTheirLengthByteThroughEitherCable) {
    // The payload lengths of an answer's packets and the lines they give. A packet of fewer
    // than 32 payload bytes ends the answer; through the self-built interface the first
    // packet comes behind the 3-byte echo of the command.
    const struct {
        int16_t interfaceType;
        std::vector<int> lengths;
        QStringList lines;
    } cases[] = {
        {1, {1}, {Ok(4)}},                       {2, {1}, {Ok(7)}},
        {1, {20}, {Ok(23)}},                     {2, {20}, {Ok(26)}},
        {1, {30}, {Ok(33)}},                     {2, {30}, {Ok(36)}},
        {1, {31}, {Ok(34)}},                     {2, {31}, {Ok(37)}},
        {1, {32, 1}, {Ok(35), Ok(4)}},           {2, {32, 1}, {Ok(38), Ok(4)}},
        {1, {32, 30}, {Ok(35), Ok(33)}},         {2, {32, 30}, {Ok(38), Ok(33)}},
        {1, {32, 32, 31}, {Ok(35), Ok(35), Ok(34)}}, {2, {32, 32, 31}, {Ok(38), Ok(35), Ok(34)}},
        {1, {32, 32}, {Ok(35), Ok(35)}},         {2, {32, 32}, {Ok(38), Ok(35)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "interface " << c.interfaceType << ", last packet " << c.lengths.back());
        LinkRig t(2, c.interfaceType, c.interfaceType == 2 ? 38 : 35);
        QByteArray expected;
        for (int length : c.lengths) {
            const QByteArray payload = Payload(length, expected.size());
            const QByteArray echo = c.interfaceType == 2 && expected.isEmpty() ? Bytes({0x09, 0xA5, 0xAC}) : QByteArray();
            expected += payload;
            t.Arrive(echo + ProfilePacket(payload));
        }
        EXPECT_EQ(t.messages.lines, c.lines);
        EXPECT_EQ(t.Profile(), expected);
        EXPECT_EQ(t.m.RxCount, 0) << "no packet is left unfinished";
        const bool ended = c.lengths.back() < 32;
        EXPECT_EQ(t.m.ProfileAnswerEnded, ended);
        EXPECT_EQ(t.m.ProfileLastPacketLength, ended ? c.lengths.back() : 0);
        if (c.interfaceType == 1) {
            EXPECT_EQ(t.m.RxTotal, expected.size());
        }
    }
    LinkRig empty(2, 1, 35);  // length 0: waits for a full packet
    empty.Arrive(ProfilePacket({}));
    EXPECT_TRUE(empty.messages.lines.isEmpty());
}

TEST(Reception, BadChecksumsAreLoggedInEveryStateAndAddNothing) {
    const struct {
        int16_t downloadState, interfaceType;
        int32_t expectedCount;
        QByteArray bytes;
        QString line;
    } cases[] = {
        {1, 1, 37, MemoryReply(Payload(32, 0), 0x01), "37 Zeichen empfangen. CRC Falsch"},
        {1, 2, 42, Bytes({0x05, 0x00, 0x20, 0x20, 0x05}) + MemoryReply(Payload(32, 0), 0x80),
         "37 Zeichen empfangen. CRC Falsch"},
        {2, 2, 38, Bytes({0x08, 0xA5, 0xAD}) + ProfilePacket(Payload(32, 0), 0x01), "38 Zeichen empfangen. CRC Falsch"},
        {0, 1, 35, ProfilePacket(Payload(32, 0), 0x01), "35 Zeichen empfangen. CRC Falsch"},
    };
    for (const auto& c : cases) {
        LinkRig t(c.downloadState, c.interfaceType, c.expectedCount);
        t.Arrive(c.bytes);
        EXPECT_EQ(t.messages.lines, QStringList{c.line});
        EXPECT_EQ(std::tuple(t.m.ProfileCount, t.m.RxTotal, t.m.RxCount), std::tuple(0, 0, 0));
        EXPECT_EQ(t.m.ExpectedCount, c.expectedCount) << "a bad first packet keeps the echo count";
    }
}

TEST(Reception, StrayBytesAndShortEchoedPacketsAreJudgedSafely) {
    for (int16_t interfaceType : {1, 2}) {  // after the reset a stray byte is a packet of its own
        LinkRig t(1, interfaceType, 0);
        ResetRxState(t.m);
        t.Arrive(Bytes({0x07, 0x00}));
        EXPECT_EQ(t.messages.lines, QStringList{"01 Zeichen empfangen. CRC Falsch"}) << interfaceType;
        EXPECT_EQ(t.m.RxTotal, 0) << "the byte counter never runs backwards";
    }
    LinkRig t(1, 2, 5);  // exactly five bytes through the echoing interface: nothing behind the echo
    t.Arrive(WithChecksum(Bytes({1, 2, 3, 4})));
    EXPECT_TRUE(t.messages.lines.isEmpty());
    EXPECT_EQ(t.m.RxTotal, 2);
}

TEST(Reception, AnAnswerLongerThanTheProfileBufferIsCutAndMarkedOverlong) {
    LinkRig t(2, 1, 35);
    QByteArray all;
    for (int i = 0; i < 257; ++i) {  // 8224 payload bytes
        const QByteArray payload = Payload(32, i * 7);
        all += payload;
        t.Arrive(ProfilePacket(payload));
    }
    EXPECT_EQ(t.m.ProfileCount, kBufferSize);
    EXPECT_TRUE(t.m.ProfileOverlong);
    EXPECT_EQ(t.Profile(), all.left(kBufferSize));
    ResetRxState(t.m);
    EXPECT_FALSE(t.m.ProfileOverlong);
}

TEST(Reception, BytesBeyondTheReceiveBufferAreDiscarded) {
    LinkRig t(0, 1, 9000);  // longer than the buffer: the packet can never complete
    t.Arrive(QByteArray(9000, '\x11'));
    EXPECT_EQ(t.m.RxCount, kBufferSize);
    EXPECT_EQ(t.p.serial.InBufferCount(), 0);
    ResetRxState(t.m);  // the next command's reset starts cleanly
    t.m.ExpectedCount = 35;
    t.Arrive(ProfilePacket(Payload(32, 0)));
    EXPECT_EQ(t.m.ProfileCount, 32);
}

TEST(ParseByteList, WalksFieldsIncludingTheOddCases) {
    const QString tab = QStringLiteral("\t");
    const struct {
        QString text;
        int32_t n;
        QString field;
    } cases[] = {
        {"08 165", 2, "165"}, {"08 165", 3, ""},  {"", 1, ""},          {" 08", 1, ""},
        {" 08", 2, "08"},     {"08  165", 2, ""}, {"08  165", 3, "165"}, {"08 165 ", 2, ""},
        {"1" + tab + "2", 2, "2"}, {"08 165", 0, ""},
        // No result is ever a separator, not even a lone field before a trailing one.
        {"08 ", 1, ""}, {" ", 1, ""}, {tab, 1, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseByteList(c.text, c.n), c.field) << qPrintable(c.text) << " " << c.n;
}

TEST(SendCommandText, PutsEachByteOnTheWireWithTheGapsAndRts) {
    const struct {
        QString text;
        int delay;
        QByteArray wire;
    } cases[] = {
        {"08 165", 350, Bytes({0x08, 0xA5, 0xAD})},
        {"", 0, Bytes({0x00})},
        {"08  165", 350, Bytes({0x08, 0x08})},  // the empty field between the blanks ends the bytes
    };
    for (const auto& c : cases) {
        CoreRig t;
        t.p.serial.SetPortOpen(true);
        t.p.serial.rtsHistory.clear();
        t.m.CommandDelay = c.delay;
        // For each pause: how many bytes had been written and whether RTS was raised.
        std::vector<std::pair<qsizetype, bool>> atSleep;
        t.p.waits.onSleep = [&](int) { atSleep.emplace_back(t.p.serial.sent.size(), t.p.serial.RTSEnable()); };
        SendCommandText(t.m, c.text, [] { return false; });
        const qsizetype n = c.wire.size();
        EXPECT_EQ(t.p.serial.sent, c.wire) << qPrintable(c.text);
        EXPECT_EQ(t.p.serial.writes.size(), static_cast<size_t>(n)) << "one write per byte";
        EXPECT_EQ(t.p.waits.sleeps, (std::vector<int>{12, 100, 5 * c.delay}));
        EXPECT_EQ(atSleep, (std::vector<std::pair<qsizetype, bool>>{{n - 1, true}, {n, true}, {n, false}}));
        EXPECT_EQ(t.p.serial.rtsHistory, (std::vector<bool>{true, false}));
    }
}

TEST(SendCommandText, ReportsAFailureAndStopsAtOnce) {
    const struct {
        QString text;
        bool open;
        QByteArray sentBeforeFailure;
        QString message;
    } cases[] = {
        {"08 165", false, {}, "Nur möglich, wenn Schnittstelle anprechbar ist."},
        {"05 00 256 32", true, Bytes({0x05, 0x00}), "Überlauf"},
        {"05 abc", true, Bytes({0x05}), "Typen unverträglich"},
    };
    for (const auto& c : cases) {
        CoreRig t;
        if (c.open) t.p.serial.SetPortOpen(true);
        SendCommandText(t.m, c.text, [] { return false; });
        EXPECT_EQ(t.p.serial.sent, c.sentBeforeFailure) << qPrintable(c.text);
        EXPECT_TRUE(t.p.waits.sleeps.empty()) << "no pause after a failure";
        ASSERT_EQ(t.p.boxes.shown.size(), 1u);
        EXPECT_EQ(t.p.boxes.shown[0].text, c.message);
    }
}

// Why a port did not open, as the serial layer tells it (a pseudo-terminal shows each kind
// in posix_serial_test), in the user's words.
TEST(OpenCommPortFailureText, NamesTheCauseAndTheDevice) {
    using K = SerialFailureKind;
    const QString busy = QStringLiteral("Schnittstelle COM3: wird bereits von einem anderem Programm oder Prozess verwendet.");
    const struct {
        SerialFailure failure;
        QString start;   // of the text; the whole text when `inside` is empty
        QString inside;  // somewhere in it
    } cases[] = {
        {{K::AlreadyOpen, "", "x"}, busy, {}},
        {{K::PortBusy, "/dev/ttyS2", "x"}, busy, {}},
        {{K::PortMissing, "/dev/ttyUSB7", "x"}, "Schnittstelle COM3: Das Gerät /dev/ttyUSB7 ist nicht vorhanden.", "angeschlossen"},
        {{K::NoPermission, "/dev/ttyS0", "x"}, "Schnittstelle COM3: Keine Berechtigung für das Gerät /dev/ttyS0.",
         "„sudo adduser anna dialout“"},
        {{K::Other, "/dev/ttyS2", "kein Terminal"}, "kein Terminal", {}},
    };
    for (const auto& c : cases) {
        const QString text = OpenCommPortFailureText(c.failure, 3, "anna");
        EXPECT_TRUE(c.inside.isEmpty() ? text == c.start : text.startsWith(c.start) && text.contains(c.inside)) << qPrintable(text);
    }
}
