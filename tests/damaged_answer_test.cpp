#include <gtest/gtest.h>

#include "transfer/TransferControl.h"
#include "link/Commands.h"
#include "link/Reception.h"
#include "transfer/ReceivePoll.h"
#include "transfer/ConvertProfileBuffer.h"
#include "support/DiveBytes.h"
#include "support/MainWindow.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

// A download exchange: the profile command goes out through the real command procedure and
// the dive computer's answer (after the echo of the self-built interface) comes back.
struct Exchange : MainWindow {
    Exchange(int16_t interfaceType, const std::vector<int32_t>& dive, int spoilt, const QByteArray& noise = {}) {
        p.serial.SetInputLen(1);
        p.serial.SetPortOpen(true);
        m.InterfaceType = interfaceType;
        m.DownloadState = 2;
        const QByteArray answer = Packets(ToBytes(dive), 0x09, spoilt) + noise;
        p.serial.onOutput = [this, interfaceType, answer](const QByteArray&) {
            if (p.serial.sent.size() < 3) return;
            if (interfaceType == 2) p.serial.Receive(p.serial.sent);
            p.serial.Receive(answer);
        };
        SendProfileStart(m, TransferStopped(m));
        while (p.serial.InBufferCount() > 0) comVyper_OnComm(m);
    }
};

std::vector<int32_t> DiveOf(int samples) { return DiveAnswer({}, std::vector<int>(static_cast<size_t>(samples), 2)); }

}  // namespace

TEST(DamagedAnswers, WholeDivesAreStoredThroughEitherInterface) {
    // A dive shorter than one packet, and one with noise after its last packet (framed by
    // that packet's length, with a wrong checksum).
    const struct {
        int samples;
        QByteArray noise;
        int lastLineOriginal, lastLineEcho;
        const char* line;
    } cases[] = {
        {6, {}, 25, 28, "%1 Zeichen empfangen. CRC OK"},
        {70, QByteArray(25, static_cast<char>(0x55)), 25, 25, "%1 Zeichen empfangen. CRC Falsch"},
    };
    for (const auto& c : cases) {
        for (int16_t interfaceType : {1, 2}) {
            SCOPED_TRACE(::testing::Message() << c.samples << " samples, interface " << interfaceType);
            const std::vector<int32_t> dive = DiveOf(c.samples);
            Exchange e(interfaceType, dive, -1, c.noise);
            EXPECT_EQ(e.Lines().last(),
                      QString::fromUtf8(c.line).arg(interfaceType == 1 ? c.lastLineOriginal : c.lastLineEcho));
            ASSERT_EQ(e.m.ProfileCount, static_cast<int32_t>(dive.size()));
            EXPECT_TRUE(std::equal(dive.begin(), dive.end(), e.m.ProfileBuffer.begin()));
            ConvertProfileBuffer(e.m);
            EXPECT_EQ(e.m.DivesConverted, 1);
            EXPECT_EQ(e.ProfileFiles().size(), 1);
        }
    }
}

TEST(DamagedAnswers, ADiveWithASpoiltPacketIsCountedAsFailedAndNotStored) {
    const struct {
        int16_t interfaceType;
        int spoilt;
    } cases[] = {{1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.interfaceType << " " << c.spoilt);
        Exchange e(c.interfaceType, DiveOf(70), c.spoilt);  // 86 bytes: three packets
        EXPECT_TRUE(e.m.ProfileDamaged);
        ConvertProfileBuffer(e.m);
        EXPECT_EQ(e.m.ErrorCount, 1);
        EXPECT_EQ(e.m.DiveNumber, 1);  // the same dive is asked for again
        EXPECT_TRUE(e.ProfileFiles().isEmpty());
        EXPECT_EQ(e.Lines().last(),
                  QStringLiteral("Übertragungsfehler (CRC Falsch): Tauchgang verworfen, bitte erneut übertragen."));
    }
}
