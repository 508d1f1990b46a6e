#include <gtest/gtest.h>
#include <tuple>

#include "link/Reception.h"
#include "support/DiveBytes.h"
#include "support/CoreRig.h"

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
    QByteArray Profile() const { return ToBytes({m.ProfileBuffer.begin(), m.ProfileBuffer.begin() + m.ProfileCount}); }
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
const QString kOk35 = QStringLiteral("35 Zeichen empfangen. CRC OK");
const QString kOk38 = QStringLiteral("38 Zeichen empfangen. CRC OK");

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
        {1, {1}, {"04 Zeichen empfangen. CRC OK"}},
        {1, {20}, {"23 Zeichen empfangen. CRC OK"}},
        {1, {30}, {"33 Zeichen empfangen. CRC OK"}},
        {1, {31}, {"34 Zeichen empfangen. CRC OK"}},
        {1, {32, 1}, {kOk35, "04 Zeichen empfangen. CRC OK"}},
        {1, {32, 30}, {kOk35, "33 Zeichen empfangen. CRC OK"}},
        {1, {32, 32, 31}, {kOk35, kOk35, "34 Zeichen empfangen. CRC OK"}},
        {1, {32, 32}, {kOk35, kOk35}},
        {2, {1}, {"07 Zeichen empfangen. CRC OK"}},
        {2, {20}, {"26 Zeichen empfangen. CRC OK"}},
        {2, {30}, {"36 Zeichen empfangen. CRC OK"}},
        {2, {31}, {"37 Zeichen empfangen. CRC OK"}},
        {2, {32, 1}, {kOk38, "04 Zeichen empfangen. CRC OK"}},
        {2, {32, 30}, {kOk38, "33 Zeichen empfangen. CRC OK"}},
        {2, {32, 32, 31}, {kOk38, kOk35, "34 Zeichen empfangen. CRC OK"}},
        {2, {32, 32}, {kOk38, kOk35}},
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
