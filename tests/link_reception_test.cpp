#include <gtest/gtest.h>
#include <tuple>

#include "link/Commands.h"
#include "link/Reception.h"
#include "support/DiveBytes.h"
#include "support/MainWindow.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

// A main window with its port open, in a given transfer state and interface.
struct Link : MainWindow {
    Link(int16_t downloadState, int16_t interfaceType) {
        p.serial.SetInputLen(1);  // as the port is configured for a transfer
        p.serial.SetPortOpen(true);
        m.DownloadState = downloadState;
        m.InterfaceType = interfaceType;
    }
    // Lets bytes arrive and hands them to the receive handler one call per byte.
    void Arrive(const QByteArray& bytes) {
        p.serial.Receive(bytes);
        while (p.serial.InBufferCount() > 0) comVyper_OnComm(m);
    }
    QStringList NewLines() const { return w.lstVyperComm->Items().mid(3); }  // after the banner
    QByteArray Profile() const { return ToBytes({m.ProfileBuffer.begin(), m.ProfileBuffer.begin() + m.ProfileCount}); }
    QByteArray Rx(int32_t count) const { return ToBytes({m.RxBuffer.begin(), m.RxBuffer.begin() + count}); }
};
// Payload bytes first, first + 1, ... (mod 256).
QByteArray Payload(int length, int first) {
    QByteArray out;
    for (int i = 0; i < length; ++i) out.append(static_cast<char>((first + i) & 0xFF));
    return out;
}
// A profile packet: code byte, length, payload, checksum.
QByteArray ProfilePacket(const QByteArray& payload, int flip = 0) {
    return WithChecksum(Bytes({0x03, static_cast<int>(payload.size())}) + payload, flip);
}
// A memory-read reply: four header bytes, the memory bytes, checksum.
QByteArray MemoryReply(const QByteArray& memory, int flip = 0) {
    return WithChecksum(Bytes({0x05, 0x00, 0x20, 0x20}) + memory, flip);
}

const QString kOk35 = QStringLiteral("35 Zeichen empfangen. CRC OK");

}  // namespace

TEST(Reception, OriginalInterfaceCollectsTheProfilePacketsOfAnAnswer) {
    struct Case {
        std::vector<int> lengths;  // payload length of each packet
        QStringList lines;
    } cases[] = {
        {{32}, {kOk35}},
        {{1}, {"04 Zeichen empfangen. CRC OK"}},
        {{32, 32, 32, 20}, {kOk35, kOk35, kOk35, "23 Zeichen empfangen. CRC OK"}},
    };
    for (const Case& c : cases) {
        Link t(2, 1);
        t.m.ExpectedCount = 35;
        QByteArray expected;
        for (int length : c.lengths) {
            const QByteArray payload = Payload(length, expected.size());
            expected += payload;
            t.Arrive(ProfilePacket(payload));
        }
        EXPECT_EQ(t.Profile(), expected);
        EXPECT_EQ(t.m.RxTotal, expected.size());
        EXPECT_EQ(t.w.lblCnt->Caption(), QString::number(expected.size()));
        EXPECT_EQ(t.NewLines(), c.lines);
        EXPECT_EQ(t.w.lstVyperComm->ListIndex(), t.w.lstVyperComm->ListCount() - 1);
        EXPECT_EQ(t.m.RxCount, 0);
        // The judged packet stays in the buffer.
        const QByteArray last = ProfilePacket(Payload(c.lengths.back(), expected.size() - c.lengths.back()));
        EXPECT_EQ(t.Rx(static_cast<int32_t>(last.size())), last);
    }
}

TEST(Reception, PacketsThatNeverReachTheirCountAreNotJudged) {
    struct Case {
        int16_t interfaceType;
        int32_t expectedCount;
        QByteArray bytes;
    } cases[] = {
        // Length 0: waits for a full packet.
        {1, 35, ProfilePacket({})},
        // Self-built, first packet shorter than full: the length byte is the echoed 165.
        {2, 38, Bytes({0x08, 0xA5, 0xAD}) + ProfilePacket(Payload(20, 0))},
    };
    for (const Case& c : cases) {
        Link t(2, c.interfaceType);
        t.m.ExpectedCount = c.expectedCount;
        t.Arrive(c.bytes);
        EXPECT_EQ(t.m.RxCount, c.bytes.size());
        EXPECT_TRUE(t.NewLines().isEmpty());
        EXPECT_EQ(t.m.ProfileCount + t.m.RxTotal, 0);
    }
}

TEST(Reception, SelfBuiltInterfaceSkipsTheEchoOfAProfileCommand) {
    Link t(2, 2);
    t.m.ExpectedCount = 38;
    const QByteArray first = Payload(32, 0), second = Payload(32, 32), last = Payload(7, 64);
    t.Arrive(Bytes({0x09, 0xA5, 0xAC}) + ProfilePacket(first));
    EXPECT_EQ(t.NewLines(), QStringList{"38 Zeichen empfangen. CRC OK"});
    EXPECT_EQ(t.m.RxTotal, 35);
    EXPECT_EQ(t.m.ExpectedCount, 35);
    t.Arrive(ProfilePacket(second) + ProfilePacket(last));
    EXPECT_EQ(t.NewLines(), (QStringList{"38 Zeichen empfangen. CRC OK", kOk35, "10 Zeichen empfangen. CRC OK"}));
    EXPECT_EQ(t.Profile(), first + second + last);
}

TEST(Reception, BadChecksumsAreLoggedInEveryStateAndAddNothing) {
    struct Case {
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
    for (const Case& c : cases) {
        Link t(c.downloadState, c.interfaceType);
        t.m.ExpectedCount = c.expectedCount;
        t.Arrive(c.bytes);
        EXPECT_EQ(t.NewLines(), QStringList{c.line});
        EXPECT_EQ(std::tuple(t.m.ProfileCount, t.m.RxTotal, t.m.RxCount), std::tuple(0, 0, 0));
        EXPECT_EQ(t.w.lblCnt->Caption(), QStringLiteral("0"));
        EXPECT_EQ(t.m.ExpectedCount, c.expectedCount) << "a bad first packet keeps the echo count";
    }
}

TEST(Reception, AGoodMemoryReadReplyStartsAtIndexZeroWithoutALine) {
    for (int16_t interfaceType : {1, 2}) {
        Link t(1, interfaceType);
        const QByteArray reply = MemoryReply(Payload(32, 0x40));
        t.m.ExpectedCount = interfaceType == 1 ? 37 : 42;
        t.Arrive(interfaceType == 1 ? reply : Bytes({0x05, 0x00, 0x40, 0x20, 0x65}) + reply);
        EXPECT_EQ(t.Rx(37), reply) << interfaceType;
        EXPECT_TRUE(t.NewLines().isEmpty());
        EXPECT_EQ(t.m.RxTotal, 34);
        EXPECT_EQ(t.m.RxCount, 0);
    }
}

TEST(Reception, StrayBytesWhileNothingIsExpectedAreJudgedAloneAndSafely) {
    // A stray byte after the reset completes a one-byte packet at once; through the
    // echoing interface in a settings read it is judged without dropping an echo.
    for (int16_t interfaceType : {1, 2}) {
        Link t(1, interfaceType);
        ResetRxState(t.m);
        t.Arrive(Bytes({0x07, 0x00}));
        EXPECT_EQ(t.NewLines(), QStringList{"01 Zeichen empfangen. CRC Falsch"}) << interfaceType;
        EXPECT_EQ(t.m.RxTotal, 0) << "the byte counter never runs backwards";
        EXPECT_EQ(t.m.RxCount, 0);
    }
    // Exactly five bytes through the echoing interface: nothing behind the echo to keep.
    Link t(1, 2);
    t.m.ExpectedCount = 5;
    t.Arrive(WithChecksum(Bytes({1, 2, 3, 4})));
    EXPECT_TRUE(t.NewLines().isEmpty());
    EXPECT_EQ(t.m.RxTotal, 2);
}

TEST(Reception, AnAnswerLongerThanTheProfileBufferIsCutAndMarkedOverlong) {
    Link t(2, 1);
    t.m.ExpectedCount = 35;
    QByteArray all;
    for (int i = 0; i < 257; ++i) {  // 8224 payload bytes
        const QByteArray payload = Payload(32, i * 7);
        all += payload;
        t.Arrive(ProfilePacket(payload));
    }
    EXPECT_EQ(t.m.ProfileCount, kBufferSize);
    EXPECT_TRUE(t.m.ProfileOverlong);
    EXPECT_EQ(t.Profile(), all.left(kBufferSize));
    EXPECT_EQ(t.NewLines().size(), 257);
    ResetRxState(t.m);
    EXPECT_FALSE(t.m.ProfileOverlong);
    EXPECT_EQ(t.m.ProfileCount, 0);
}

TEST(Reception, BytesBeyondTheReceiveBufferAreDiscarded) {
    Link t(0, 1);
    t.m.ExpectedCount = 9000;  // longer than the buffer: the packet can never complete
    t.Arrive(QByteArray(9000, '\x11'));
    EXPECT_EQ(t.m.RxCount, kBufferSize);
    EXPECT_TRUE(t.NewLines().isEmpty());
    EXPECT_EQ(t.p.serial.InBufferCount(), 0);
    // The next command's reset starts cleanly.
    ResetRxState(t.m);
    t.m.ExpectedCount = 35;
    t.Arrive(ProfilePacket(Payload(32, 0)));
    EXPECT_TRUE(t.NewLines().isEmpty());
    EXPECT_EQ(t.m.ProfileCount, 32);
}

TEST(Commands, SendTheirBytesWithTheExpectedCountSetFirst) {
    struct Case {
        const char* name;
        std::function<void(VyperComm&)> send;
        int16_t interfaceType;
        QByteArray wire;
        int32_t expectedCount;
    } cases[] = {
        {"start", SendProfileStart, 1, Bytes({0x08, 0xA5, 0xAD}), 35},
        {"start", SendProfileStart, 2, Bytes({0x08, 0xA5, 0xAD}), 38},
        {"next", SendProfileNext, 1, Bytes({0x09, 0xA5, 0xAC}), 35},
        {"read 0", [](VyperComm& m) { SendMemoryRead(m, 0, 32); }, 1, Bytes({5, 0, 0x00, 0x20, 0x25}), 37},
        {"read 96", [](VyperComm& m) { SendMemoryRead(m, 96, 32); }, 2, Bytes({5, 0, 0x60, 0x20, 0x45}), 42},
    };
    for (const Case& c : cases) {
        Link t(2, c.interfaceType);
        t.p.serial.Receive(Bytes({0x01, 0x02}));  // left from an earlier answer
        t.m.RxCount = t.m.ProfileCount = 3;
        t.m.ProfileOverlong = true;
        bool stateReadyAtFirstByte = false;
        t.p.serial.onOutput = [&](const QByteArray&) {
            if (t.p.serial.writes.size() == 1) {
                stateReadyAtFirstByte = t.m.ExpectedCount == c.expectedCount && t.m.RxCount == 0 &&
                                        t.m.ProfileCount == 0 && !t.m.ProfileOverlong &&
                                        t.p.serial.InBufferCount() == 0;
            }
        };
        c.send(t.m);
        EXPECT_EQ(t.p.serial.sent, c.wire) << c.name;
        EXPECT_TRUE(stateReadyAtFirstByte) << c.name;
        EXPECT_EQ(t.m.ExpectedCount, c.expectedCount) << c.name;
        EXPECT_EQ(t.p.waits.sleeps.size(), 3u);
    }
    EXPECT_EQ(MemoryReadCommandText(0, 32), QStringLiteral("05 00 0 32"));
    EXPECT_EQ(MemoryReadCommandText(300, -1), QStringLiteral("05 00 300 -1"));
}

