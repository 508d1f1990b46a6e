#include <gtest/gtest.h>

#include "link/Commands.h"
#include "link/EchoCheck.h"
#include "profiles/DiveAnswerCheck.h"
#include "support/CoreRig.h"
#include "support/DiveBytes.h"
#include "transfer/ConvertProfileBuffer.h"
#include "transfer/TransferControl.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

using Verdict = DiveAnswerVerdict;

std::vector<int32_t> Plausible(int samples) { return DiveAnswer({}, std::vector<int>(static_cast<size_t>(samples), 2)); }
// Profile bytes only: their "header" holds day 85 and month 85.
std::vector<int32_t> Implausible(int length) { return std::vector<int32_t>(static_cast<size_t>(length), 0x55); }

DiveAnswerFacts EndedBy(int lastPacketLength, DiveAnswerFacts f = {}) {
    f.endedByShortPacket = true;
    f.lastPacketLength = lastPacketLength;
    return f;
}
DiveAnswerFacts Pending(int codeByte, int length, int bytes = 10, int answerCode = 9) {
    return {.pendingBytes = bytes, .pendingCodeByte = codeByte, .pendingLengthByte = length, .codeByte = answerCode};
}
DiveAnswerFacts Flags(bool overlong, bool damaged, bool endless) {
    return {.overlong = overlong, .damaged = damaged, .codeByte = 9, .endless = endless};
}

}  // namespace

TEST(DiveAnswerCheck, JudgesEveryKindOfAnswer) {
    const struct {
        const char* name;
        DiveAnswerFacts facts;
        std::vector<int32_t> payload;  // its size is the payload count
        Verdict verdict;
    } cases[] = {
        {"nothing received", {}, {}, Verdict::NoDive},
        {"end of memory: unfinished first packet announcing 0", Pending(9, 0, 2, -1), {}, Verdict::NoDive},
        {"end of memory: a lone byte", Pending(9, -1, 1, -1), {}, Verdict::NoDive},
        {"end of memory: good packet of 15 bytes", EndedBy(15), Implausible(15), Verdict::NoDive},
        {"first packet cut", Pending(9, 20, 10, -1), {}, Verdict::Cut},
        {"whole dive, short last packet", EndedBy(8), Plausible(24), Verdict::Whole},
        {"whole dive of 16 bytes in one packet", EndedBy(16), Plausible(0), Verdict::Whole},
        {"whole packets only, plausible header", {}, Plausible(48), Verdict::Whole},
        {"whole packets only, implausible header", {}, Implausible(64), Verdict::Cut},
        {"cut packet with the answer's code byte", Pending(9, 32), Plausible(48), Verdict::Cut},
        {"cut packet, code byte only", Pending(9, -1, 1), Plausible(48), Verdict::Cut},
        {"noise: another code byte, plausible header", Pending(0x55, 32), Plausible(48), Verdict::Whole},
        {"noise: another code byte, implausible header", Pending(0x55, 32), Implausible(64), Verdict::Cut},
        {"noise: impossible length 33", Pending(9, 33), Plausible(48), Verdict::Whole},
        {"noise after the short last packet", EndedBy(8, Pending(9, 20, 5)), Plausible(24), Verdict::Whole},
        {"device lost after whole packets", {.deviceLost = true}, Plausible(48), Verdict::Cut},
        {"device lost after the short last packet", EndedBy(8, {.deviceLost = true}), Plausible(24), Verdict::Whole},
        {"device lost before any byte", {.deviceLost = true}, {}, Verdict::NoDive},
        {"overlong", Flags(true, false, false), Plausible(48), Verdict::Overlong},
        {"damaged", Flags(false, true, false), Plausible(48), Verdict::Damaged},
        {"endless wins over damaged", Flags(false, true, true), Plausible(48), Verdict::Endless},
        {"endless without any packet", Flags(false, false, true), {}, Verdict::Endless},
    };
    for (const auto& c : cases) {
        DiveAnswerFacts facts = c.facts;
        facts.payloadCount = static_cast<int32_t>(c.payload.size());
        EXPECT_EQ(JudgeDiveAnswer(facts, c.payload), c.verdict) << c.name;
    }
}

TEST(DiveAnswerCheck, AHeaderIsPlausibleOnlyWithinTheCalendarAndTheClock) {
    const struct {
        int year, month, day, hour, minute;
        bool plausible;
    } cases[] = {
        {24, 1, 1, 0, 0, true},      {24, 0, 15, 12, 30, false},  {24, 12, 15, 12, 30, true},
        {24, 13, 15, 12, 30, false}, {24, 6, 0, 12, 30, false},   {24, 6, 31, 12, 30, true},
        {24, 6, 32, 12, 30, false},  {24, 6, 15, 23, 30, true},   {24, 6, 15, 24, 30, false},
        {24, 6, 15, 12, 59, true},   {24, 6, 15, 12, 60, false},  {99, 6, 15, 12, 30, true},
        {100, 6, 15, 12, 30, false},
    };
    for (const auto& c : cases) {
        const DiveHeaderBytes h{.year = c.year, .month = c.month, .day = c.day, .hour = c.hour, .minute = c.minute};
        EXPECT_EQ(PlausibleDiveHeader(DiveAnswer(h, {})), c.plausible)
            << c.year << "-" << c.month << "-" << c.day << " " << c.hour << ":" << c.minute;
    }
    std::vector<int32_t> fifteen = DiveAnswer({}, {});
    fifteen.erase(fifteen.begin());
    EXPECT_FALSE(PlausibleDiveHeader(fifteen));
}

TEST(EchoCheck, TellsTheCableFromItsFirstBytes) {
    const QByteArray start = Bytes({0x08, 0xA5, 0xAD});
    const QByteArray packet = Packets(QByteArray(20, '\x02'), 0x09);
    const QByteArray spoilt = Packets(QByteArray(20, '\x02'), 0x09, 0);
    const QByteArray twoPackets = Packets(QByteArray(50, '\x02'), 0x09);
    const QByteArray read = Bytes({0x05, 0x00, 0x00, 0x20, 0x25});
    const QByteArray reply = WithChecksum(Bytes({0x05, 0x00, 0x00, 0x20}) + QByteArray(32, '\x07'));
    const QByteArray noise = Bytes({0x55, 0x31, 0x0C, 0x7E});
    const struct {
        const char* name;
        QByteArray sent, head;
        int16_t interfaceType;
        bool lineQuiet;
        EchoVerdict verdict;
    } cases[] = {
        {"original chosen, cable echoes", start, start + packet, 1, false, EchoVerdict::CableEchoes},
        // A silent device behind an echoing cable: the echo is all that comes back.
        {"original chosen, cable echoes, nothing behind the echo", start, start, 1, true, EchoVerdict::CableEchoes},
        {"original chosen, cable echoes, line still busy", start, start, 1, false, EchoVerdict::CableEchoes},
        {"original chosen, no echo", start, packet, 1, true, EchoVerdict::AsChosen},
        {"self-built chosen, cable echoes", start, start + packet, 2, true, EchoVerdict::AsChosen},
        {"self-built chosen, one short good packet without echo, then quiet", start, packet, 2, true,
         EchoVerdict::CableDoesNotEcho},
        {"self-built chosen, two good packets without echo", start, twoPackets, 2, false, EchoVerdict::CableDoesNotEcho},
        // Noise on the line passes one checksum now and then; only what follows tells.
        {"self-built chosen, one good packet, line still busy", start, packet, 2, false, EchoVerdict::AsChosen},
        {"self-built chosen, one good full packet, then noise", start, twoPackets.left(35) + noise, 2, true,
         EchoVerdict::AsChosen},
        {"self-built chosen, spoilt packet without echo", start, spoilt, 2, true, EchoVerdict::AsChosen},
        {"original chosen, noise before the echo", start, Bytes({0x55}) + start + packet, 1, false, EchoVerdict::AsChosen},
        {"self-built chosen, noise before the echo", start, Bytes({0x55}) + start + packet, 2, true, EchoVerdict::AsChosen},
        {"original chosen, too few bytes", start, start.left(2), 1, false, EchoVerdict::Undecided},
        {"self-built chosen, too few bytes", start, packet.left(2), 2, false, EchoVerdict::Undecided},
        {"memory read, original chosen, cable echoes", read, read + reply, 1, false, EchoVerdict::CableEchoes},
        {"memory read, original chosen, only the echo", read, read, 1, true, EchoVerdict::CableEchoes},
        {"memory read, original chosen, too few bytes", read, read.left(4), 1, true, EchoVerdict::Undecided},
        {"memory read, original chosen, no echo", read, reply, 1, true, EchoVerdict::AsChosen},
        {"memory read, self-built chosen, cable echoes", read, read + reply, 2, true, EchoVerdict::AsChosen},
        {"memory read, self-built chosen, no echo, then quiet", read, reply, 2, true, EchoVerdict::CableDoesNotEcho},
        {"memory read, self-built chosen, good reply, line still busy", read, reply, 2, false, EchoVerdict::AsChosen},
        {"memory read, self-built chosen, good reply, then noise", read, reply + noise, 2, true, EchoVerdict::AsChosen},
    };
    for (const auto& c : cases) EXPECT_EQ(JudgeEcho(c.sent, c.head, c.interfaceType, c.lineQuiet), c.verdict) << c.name;
}

// A download exchange whose answer has a spoilt packet, first, in the middle or last: the
// profile command goes out through the real command procedure, the answer comes back (behind
// the echo of the self-built interface) and is converted. The dive is a failed exchange,
// nothing of it is stored, and it is asked for again. (Whole dives, also with noise behind
// them, are stored in the end-to-end tests and the fault matrix.)
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

// The echo is what comes back of the command in front of everything else; an answer that
// starts like the command by chance stops counting where it differs.
TEST(EchoCheck, EchoLengthCountsTheCommandComingBack) {
    const QByteArray read = Bytes({0x05, 0x00, 0x20, 0x20, 0x05});
    const struct {
        const char* name;
        QByteArray head;
        qsizetype echo;
    } cases[] = {
        {"nothing came", {}, 0},
        {"the whole echo, then the answer", read + Bytes({0x05, 0x00, 0x20}), 5},
        {"the echo still coming", Bytes({0x05, 0x00}), 2},
        {"an answer without echo", Bytes({0x09, 0x20, 0x01}), 0},
        {"an echo spoilt in its third byte", Bytes({0x05, 0x00, 0x21, 0x20, 0x05}), 2},
    };
    for (const auto& c : cases) EXPECT_EQ(EchoLength(read, c.head), c.echo) << c.name;
}
