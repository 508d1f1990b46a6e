#include <gtest/gtest.h>

#include "link/Commands.h"
#include "support/CoreRig.h"
#include "support/DiveBytes.h"
#include "transfer/ConvertProfileBuffer.h"
#include "transfer/TransferControl.h"

using namespace vyper;
using namespace vyper::testing;

// A download exchange whose answer has a spoilt packet, first, in the middle or last: the
// profile command goes out through the real command procedure, the answer comes back (behind
// the echo of the self-built interface) and is converted. The dive is a failed exchange,
// nothing of it is stored, and it is asked for again. (Whole dives, also with noise behind them, are stored
// in the end-to-end tests and the fault matrix.)
TEST(DamagedAnswers, ADiveWithASpoiltPacketIsDiscardedWhereverThePacketLies) {
    const struct {
        int16_t interfaceType;
        int spoilt;
    } cases[] = {{1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "interface " << c.interfaceType << ", spoilt " << c.spoilt);
        CoreRig t;
        t.OpenPort(2, c.interfaceType);
        const QByteArray answer = Packets(Bytes(DiveAnswer({}, std::vector<int>(70, 2))), 0x09, c.spoilt);  // 3 packets
        t.p.serial.onOutput = [&](const QByteArray&) {
            if (t.p.serial.sent.size() < 3) return;
            if (c.interfaceType == 2) t.p.serial.Receive(t.p.serial.sent);
            t.p.serial.Receive(answer);
        };
        SendProfileStart(t.m, TransferStopped(t.m));
        t.Arrive({});
        EXPECT_TRUE(t.m.ProfileDamaged);
        ConvertProfileBuffer(t.m);
        EXPECT_TRUE(t.ProfileFiles().isEmpty());
        EXPECT_EQ(std::tuple(t.m.DivesConverted, t.m.ErrorCount, t.m.DiveNumber), std::tuple(0, 1, 1));
        EXPECT_EQ(t.messages.lines.last(),
                  QStringLiteral("Übertragungsfehler (CRC Falsch): Tauchgang verworfen, bitte erneut übertragen."));
    }
}
