// The emulated device's answers: dive order, end of memory, bad commands and injected faults.

#include "core/Device.h"

#include <gtest/gtest.h>


namespace vyemu {
namespace {

const Bytes kFirst{0x08, 0xA5, 0xAD};
const Bytes kNext{0x09, 0xA5, 0xAC};

std::vector<Bytes> testDives()
{
    // Three dives of 70, 33 and 20 bytes: 3, 2 and 1 packets.
    std::vector<Bytes> dives;
    for (std::size_t size : {70u, 33u, 20u}) {
        Bytes d(size);
        for (std::size_t i = 0; i < size; ++i)
            d[i] = static_cast<std::uint8_t>(size + i);
        dives.push_back(d);
    }
    return dives;
}

// Everything the session wants to send back for a command sent byte by byte.
struct Exchange {
    std::optional<Transmission> answer;
    std::vector<std::string> log;
};

Exchange send(Session& s, const Bytes& command)
{
    Exchange x;
    for (std::uint8_t b : command) {
        Reaction r = s.receive(b);
        x.log.insert(x.log.end(), r.log.begin(), r.log.end());
        if (r.answer)
            x.answer = r.answer;
    }
    return x;
}

Bytes payloadOf(const Transmission& t)
{
    Bytes all;
    for (const Bytes& p : t.packets)
        all.insert(all.end(), p.begin() + 2, p.end() - 1);
    return all;
}

Session makeSession(SessionConfig config = {}) { return Session(MemoryImage{}, testDives(), config); }

TEST(Device, DivesNewestFirstThenSilence)
{
    Session s = makeSession();
    const auto dives = testDives();
    const struct {
        const Bytes* command;
        int dive;  // index, -1 = no answer
    } steps[] = {{&kFirst, 0}, {&kNext, 1}, {&kNext, 2}, {&kNext, -1}, {&kNext, -1},
                 {&kFirst, 0}, {&kNext, 1}};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Exchange x = send(s, *steps[i].command);
        if (steps[i].dive < 0) {
            EXPECT_FALSE(x.answer) << "step " << i;
            continue;
        }
        ASSERT_TRUE(x.answer) << "step " << i;
        EXPECT_EQ(payloadOf(*x.answer), dives[static_cast<std::size_t>(steps[i].dive)]) << "step " << i;
        for (const Bytes& p : x.answer->packets) {
            EXPECT_EQ(p[0], (*steps[i].command)[0]);  // code byte repeats the command
            EXPECT_EQ(p.back(), xorOf(p, 0, p.size() - 1));
        }
    }
}

TEST(Device, EndOfMemoryModes)
{
    const struct {
        EndOfMemory mode;
        int shortBytes;
        std::optional<Bytes> expected;
    } cases[] = {
        {EndOfMemory::Silent, 2, std::nullopt},
        {EndOfMemory::EmptyPacket, 2, Bytes{0x09, 0x00, 0x09}},
        {EndOfMemory::ShortPacket, 2, Bytes{0x09, 0x02, 0x00, 0x00, 0x0B}},
    };
    for (const auto& c : cases) {
        SessionConfig cfg;
        cfg.device.endOfMemory = c.mode;
        cfg.device.shortPacketBytes = c.shortBytes;
        Session s = makeSession(cfg);
        send(s, kFirst);
        send(s, kNext);
        send(s, kNext);
        for (int repeat = 0; repeat < 2; ++repeat) {
            const Exchange x = send(s, kNext);
            ASSERT_EQ(x.answer.has_value(), c.expected.has_value()) << endOfMemoryName(c.mode);
            if (c.expected) {
                EXPECT_EQ(x.answer->flat(), *c.expected) << endOfMemoryName(c.mode);
            }
        }
    }
    SessionConfig cfg;  // an empty memory answers the first request as the end
    cfg.device.endOfMemory = EndOfMemory::EmptyPacket;
    Session empty(MemoryImage{}, {}, cfg);
    EXPECT_EQ(send(empty, kFirst).answer.value_or(Transmission{}).flat(), (Bytes{0x08, 0x00, 0x08}));
}

TEST(Device, CommandsWithWrongChecksumAreIgnoredAndLogged)
{
    Session s = makeSession();
    send(s, kFirst);
    for (const Bytes& bad : {Bytes{0x09, 0xA5, 0xAD}, Bytes{0x05, 0x00, 0x20, 0x20, 0x25}}) {
        const Exchange x = send(s, bad);
        EXPECT_FALSE(x.answer);
        ASSERT_FALSE(x.log.empty());
        EXPECT_NE(x.log.front().find("wrong command checksum"), std::string::npos) << x.log.front();
    }
    // The ignored "next" did not move the pointer.
    const Exchange x = send(s, kNext);
    ASSERT_TRUE(x.answer);
    EXPECT_EQ(payloadOf(*x.answer), testDives()[1]);
}

Fault fault(FaultKind kind, int dive, int value)
{
    return Fault{kind, Target{Target::Kind::Dive, dive}, value};
}

// Each fault's effect on the answer for dive 1 (70 bytes: packets of 32, 32 and 6), on the
// first matching answer only.
TEST(Device, FaultsChangeTheAnswerAsDescribed)
{
    Session plain = makeSession();
    const Bytes clean = send(plain, kFirst).answer->flat();
    ASSERT_EQ(clean.size(), 79u);
    Bytes flipped = clean;
    flipped[69] ^= 0xFF;  // the checksum of packet 2
    Bytes dropped = clean;
    dropped.erase(dropped.begin() + 40);

    const struct {
        const char* name;
        Fault fault;
        Bytes flat;                       // empty: not compared
        std::vector<std::size_t> sizes;   // of the packets; empty: not compared
        std::optional<std::size_t> vanishAfter;
    } cases[] = {
        {"bad checksum in packet 2", fault(FaultKind::BadChecksum, 1, 2), flipped, {35, 35, 9}, {}},
        {"byte 40 dropped", fault(FaultKind::DropByte, 1, 40), dropped, {}, {}},
        {"cut after 50 bytes", fault(FaultKind::Cut, 1, 50), Bytes(clean.begin(), clean.begin() + 50), {35, 15}, {}},
        {"vanish after 40 bytes", fault(FaultKind::Vanish, 1, 40), clean, {}, 40},  // the server stops at the mark
        {"overlong", fault(FaultKind::Overlong, 1, 8320), {}, std::vector<std::size_t>(260, 35), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionConfig cfg;
        cfg.device.faults = {c.fault};
        Session s = makeSession(cfg);
        const Exchange x = send(s, kFirst);
        ASSERT_TRUE(x.answer);
        if (!c.flat.empty()) {
            EXPECT_EQ(x.answer->flat(), c.flat);
        }
        std::vector<std::size_t> sizes;
        for (const Bytes& p : x.answer->packets)
            sizes.push_back(p.size());
        if (!c.sizes.empty()) {
            EXPECT_EQ(sizes, c.sizes);
        }
        EXPECT_EQ(x.answer->vanishAfter, c.vanishAfter);
        EXPECT_FALSE(x.answer->notes.empty());
        const Exchange again = send(s, kFirst);
        ASSERT_TRUE(again.answer);
        EXPECT_EQ(again.answer->flat(), clean);
        EXPECT_FALSE(again.answer->vanishAfter);
    }
    // The overlong answer: good packets, the dive itself last and intact, filler in front.
    SessionConfig cfg;
    cfg.device.faults = {fault(FaultKind::Overlong, 1, 8320)};
    Session s = makeSession(cfg);
    const Transmission t = *send(s, kFirst).answer;
    for (const Bytes& p : t.packets)
        ASSERT_EQ(p.back(), xorOf(p, 0, p.size() - 1));
    const Bytes payload = payloadOf(t);
    ASSERT_EQ(payload.size(), 8320u);
    EXPECT_EQ(Bytes(payload.end() - 70, payload.end()), testDives()[0]);
    EXPECT_EQ(payload.front(), 0);
}

}  // namespace
}  // namespace vyemu
