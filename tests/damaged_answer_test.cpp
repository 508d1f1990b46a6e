#include <gtest/gtest.h>

#include <QDir>

#include "link/Commands.h"
#include "link/Reception.h"
#include "profiles/ConvertProfileBuffer.h"
#include "support/DiveBytes.h"
#include "support/Fakes.h"
#include "ui/main/frmVyper.h"

using namespace vyper;
using vyper::testing::Bytes;
using vyper::testing::DiveAnswer;
using vyper::testing::TestPlatform;

namespace {

// The dive's bytes cut into packets of code, length, up to 32 payload bytes and checksum;
// the packet with index `spoilt` gets a wrong checksum.
QByteArray Packets(const std::vector<int32_t>& dive, int spoilt = -1) {
    QByteArray out;
    for (size_t i = 0, index = 0; i < dive.size(); i += 32, ++index) {
        const size_t n = std::min<size_t>(32, dive.size() - i);
        QByteArray packet = Bytes({0x09, static_cast<int>(n)});
        for (size_t j = i; j < i + n; ++j) packet.append(static_cast<char>(dive[j]));
        int x = 0;
        for (char c : packet) x ^= static_cast<unsigned char>(c);
        out += packet + Bytes({static_cast<int>(index) == spoilt ? x ^ 0x40 : x});
    }
    return out;
}

// A download exchange: the profile command goes out through the real command procedure and
// the dive computer's answer (with the echo of the self-built interface) comes back.
struct Exchange {
    Exchange(int16_t interfaceType, const std::vector<int32_t>& dive, int spoilt, const QByteArray& noise = {})
        : w(p.Services()), m(w.Module()) {
        p.serial.SetInputLen(1);
        p.serial.SetPortOpen(true);
        m.InterfaceType = interfaceType;
        m.DownloadState = 2;
        const QByteArray answer = Packets(dive, spoilt) + noise;
        p.serial.onOutput = [this, interfaceType, answer](const QByteArray&) {
            if (p.serial.sent.size() < 3) return;
            if (interfaceType == 2) p.serial.Receive(p.serial.sent);
            p.serial.Receive(answer);
        };
        SendProfileStart(m);
        while (p.serial.InBufferCount() > 0) comVyper_OnComm(m);
    }
    int StoredFiles() const { return static_cast<int>(QDir(m.ProfileFolder).entryList(QDir::Files).size()); }
    TestPlatform p;
    frmVyper w;
    VyperComm& m;
};

std::vector<int32_t> DiveOf(int samples) { return DiveAnswer({}, std::vector<int>(static_cast<size_t>(samples), 2)); }

}  // namespace

TEST(DamagedAnswers, ADiveShorterThanOnePacketArrivesThroughEitherInterface) {
    for (int16_t interfaceType : {1, 2}) {
        const std::vector<int32_t> dive = DiveOf(6);  // 22 bytes: one short packet
        Exchange e(interfaceType, dive, -1);
        const int echo = interfaceType == 2 ? 3 : 0;
        EXPECT_EQ(e.w.lstVyperComm->Items().last(), QStringLiteral("%1 Zeichen empfangen. CRC OK").arg(25 + echo));
        ASSERT_EQ(e.m.ProfileCount, 22) << interfaceType;
        EXPECT_TRUE(std::equal(dive.begin(), dive.end(), e.m.ProfileBuffer.begin())) << interfaceType;
        EXPECT_EQ(e.m.ProfileEcho, 0);
        ConvertProfileBuffer(e.m);
        EXPECT_EQ(e.m.DivesConverted, 1) << interfaceType;
        EXPECT_EQ(e.StoredFiles(), 1) << interfaceType;
    }
}

TEST(DamagedAnswers, ADiveWithASpoiltPacketIsCountedAsFailedAndNotStored) {
    const struct {
        int16_t interfaceType;
        int spoilt;
    } cases[] = {{1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}};
    for (const auto& c : cases) {
        Exchange e(c.interfaceType, DiveOf(70), c.spoilt);  // 86 bytes: three packets
        EXPECT_TRUE(e.m.ProfileDamaged) << c.interfaceType << " " << c.spoilt;
        // Through the original interface enough bytes are left to pass for a dive.
        if (c.interfaceType == 1) {
            EXPECT_GE(e.m.ProfileCount, 16);
        }
        ConvertProfileBuffer(e.m);
        EXPECT_EQ(e.m.ErrorCount, 1);
        EXPECT_EQ(e.m.DivesConverted, 0);
        EXPECT_EQ(e.m.DiveNumber, 1);  // the same dive is asked for again
        EXPECT_EQ(e.StoredFiles(), 0);
        EXPECT_EQ(e.w.lstVyperComm->Items().last(),
                  QStringLiteral("Übertragungsfehler (CRC Falsch): Tauchgang verworfen, bitte erneut übertragen."));
    }
}

TEST(DamagedAnswers, AWholeAnswerThroughTheEchoIsStoredAndTheNextCommandStartsClean) {
    Exchange e(2, DiveOf(70), -1);
    EXPECT_FALSE(e.m.ProfileDamaged);
    EXPECT_EQ(e.m.ProfileCount, 86);
    ConvertProfileBuffer(e.m);
    EXPECT_EQ(e.StoredFiles(), 1);
    e.p.serial.onOutput = nullptr;
    SendProfileNext(e.m);
    EXPECT_EQ(e.m.ProfileEcho, 3);
    EXPECT_EQ(e.m.ExpectedCount, 38);
    EXPECT_FALSE(e.m.ProfileDamaged);
}

TEST(DamagedAnswers, NoiseAfterTheLastPacketLeavesTheDiveWhole) {
    // 25 bytes framed by the last packet's length, with a wrong checksum.
    const QByteArray noise(25, static_cast<char>(0x55));
    for (int16_t interfaceType : {1, 2}) {
        Exchange e(interfaceType, DiveOf(70), -1, noise);
        EXPECT_EQ(e.w.lstVyperComm->Items().last(), QStringLiteral("25 Zeichen empfangen. CRC Falsch")) << interfaceType;
        EXPECT_FALSE(e.m.ProfileDamaged) << interfaceType;
        ConvertProfileBuffer(e.m);
        EXPECT_EQ(e.m.DivesConverted, 1) << interfaceType;
        EXPECT_EQ(e.StoredFiles(), 1) << interfaceType;
    }
}
