#include <gtest/gtest.h>

#include "link/Commands.h"
#include "support/CoreRig.h"
#include "support/DiveBytes.h"
#include "transfer/ConvertProfileBuffer.h"
#include "transfer/TransferControl.h"

using namespace vyper;
using namespace vyper::testing;

// A download exchange: the profile command goes out through the real command procedure, the
// dive computer's answer comes back (behind the echo of the self-built interface) and the
// answer is converted. A whole dive is stored, also one shorter than a packet or one with
// noise after its last packet (framed by that packet's length, with a wrong checksum); a
// dive with a spoilt packet is a failed exchange, asked for again.
TEST(DamagedAnswers, WholeDivesAreStoredAndSpoiltOnesDiscarded) {
    const QString discarded = QStringLiteral("Übertragungsfehler (CRC Falsch): Tauchgang verworfen, bitte erneut übertragen.");
    const struct {
        int16_t interfaceType;
        int samples;  // 6: one packet; 70: three packets (86 bytes)
        int spoilt;
        QByteArray noise;
        QString lastLine;
    } cases[] = {
        {1, 6, -1, {}, "25 Zeichen empfangen. CRC OK"},
        {2, 6, -1, {}, "28 Zeichen empfangen. CRC OK"},
        {1, 70, -1, QByteArray(25, '\x55'), "25 Zeichen empfangen. CRC Falsch"},
        {2, 70, -1, QByteArray(25, '\x55'), "25 Zeichen empfangen. CRC Falsch"},
        {1, 70, 0, {}, discarded}, {1, 70, 1, {}, discarded}, {1, 70, 2, {}, discarded},
        {2, 70, 0, {}, discarded}, {2, 70, 1, {}, discarded},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.samples << " samples, interface " << c.interfaceType << ", spoilt "
                                          << c.spoilt);
        CoreRig t;
        t.OpenPort(2, c.interfaceType);
        const std::vector<int32_t> dive = DiveAnswer({}, std::vector<int>(static_cast<size_t>(c.samples), 2));
        const QByteArray answer = Packets(ToBytes(dive), 0x09, c.spoilt) + c.noise;
        t.p.serial.onOutput = [&](const QByteArray&) {
            if (t.p.serial.sent.size() < 3) return;
            if (c.interfaceType == 2) t.p.serial.Receive(t.p.serial.sent);
            t.p.serial.Receive(answer);
        };
        SendProfileStart(t.m, TransferStopped(t.m));
        t.Arrive({});
        const bool whole = c.spoilt < 0;
        EXPECT_EQ(t.m.ProfileDamaged, !whole);
        if (whole) {
            EXPECT_EQ(t.messages.lines.last(), c.lastLine);
            EXPECT_EQ(ToBytes({t.m.ProfileBuffer.begin(), t.m.ProfileBuffer.begin() + t.m.ProfileCount}), ToBytes(dive));
        }
        ConvertProfileBuffer(t.m);
        EXPECT_EQ(t.ProfileFiles().size(), whole ? 1 : 0);
        EXPECT_EQ(std::tuple(t.m.DivesConverted, t.m.ErrorCount, t.m.DiveNumber), whole ? std::tuple(1, 0, 2) : std::tuple(0, 1, 1));
        if (!whole) {
            EXPECT_EQ(t.messages.lines.last(), c.lastLine);
        }
    }
}
