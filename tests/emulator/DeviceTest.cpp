// The emulated device's answers where the end-to-end tests cannot see them: each injected
// fault and each end of the memory that the fault matrix relies on changes the answer as
// described, and hits only the answers it names (a cell could otherwise pass for the wrong
// reason); a command with a wrong checksum gets no answer. Dive order, packets and memory
// reads of a fault-free device are in the end-to-end tests, against hand-checked files.

#include "core/Device.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace vyemu {
namespace {

using Answers = std::vector<std::optional<Bytes>>;

const Bytes kFirst{0x08, 0xA5, 0xAD};
const Bytes kNext{0x09, 0xA5, 0xAC};
const Bytes kRead32{0x05, 0x00, 0x20, 0x20, 0x05};

// A dive of `size` bytes: size, size + 1, ...
Bytes dive(std::size_t size)
{
    Bytes d(size);
    for (std::size_t i = 0; i < size; ++i)
        d[i] = static_cast<std::uint8_t>(size + i);
    return d;
}

// Three dives of 70, 33 and 20 bytes (3, 2 and 1 packets); memory byte i holds 255 - i.
Session makeSession(SessionConfig config)
{
    MemoryImage memory{};
    for (std::size_t i = 0; i < memory.size(); ++i)
        memory[i] = static_cast<std::uint8_t>(255 - i);
    return Session(memory, {dive(70), dive(33), dive(20)}, config);
}

// The answers to commands sent byte by byte, in order; the last transmission kept for a look.
Answers send(Session& s, const std::vector<Bytes>& commands, Transmission* last = nullptr)
{
    Answers answers;
    for (const Bytes& command : commands) {
        std::optional<Transmission> answer;
        for (std::uint8_t b : command)
            if (Reaction r = s.receive(b); r.answer)
                answer = r.answer;
        answers.push_back(answer ? std::optional(answer->flat()) : std::nullopt);
        if (answer && last)
            *last = *answer;
    }
    return answers;
}

SessionConfig withFault(FaultKind kind, Target target, int value, bool repeat = false)
{
    return SessionConfig{.device = {.faults = {{kind, target, value}}, .faultsRepeat = repeat}};
}

SessionConfig withEnd(EndOfMemory mode, int shortBytes = 2)
{
    return SessionConfig{.device = {.endOfMemory = mode, .shortPacketBytes = shortBytes, .faults = {}}};
}

TEST(Device, FaultsAndTheEndOfMemoryChangeTheAnswersAsDescribed)
{
    Session plain = makeSession({});
    const Answers clean = send(plain, {kFirst, kNext, kNext, kRead32});
    const Bytes a = *clean[0], b = *clean[1], m32 = *clean[3];
    ASSERT_EQ(a.size(), 79u);
    EXPECT_EQ(std::tuple(a[0], a[35], b[0]), std::tuple(0x08, 0x08, 0x09)) << "the code byte repeats the command";
    const auto edit = [](Bytes x, const std::function<void(Bytes&)>& change) {
        change(x);
        return x;
    };
    const Bytes flipped = edit(a, [](Bytes& x) { x[69] ^= 0xFF; });  // the checksum of packet 2
    const Bytes m32Flipped = edit(m32, [](Bytes& x) { x.back() ^= 0xFF; });
    const Bytes shortEnd = edit(Bytes(15 + 2, 0), [](Bytes& x) { x[0] = 0x09, x[1] = 15, x.push_back(0x09 ^ 15); });
    // An overlong answer: 8320 payload bytes in good packets, filler in front, the dive itself
    // last and intact.
    Bytes payload(8320 - 70, 0x00), overlong;
    const Bytes newest = dive(70);
    payload.insert(payload.end(), newest.begin(), newest.end());
    for (const Bytes& p : packetize(payload, 0x08))
        overlong.insert(overlong.end(), p.begin(), p.end());
    const Target dive1{Target::Kind::Dive, 1}, dive2{Target::Kind::Dive, 2}, memory32{Target::Kind::Memory, 32};
    const std::nullopt_t none = std::nullopt;
    const struct {
        const char* name;
        SessionConfig config;
        std::vector<Bytes> commands;
        Answers expected;
    } cases[] = {
        {"--bad-checksum=1:2, first answer only", withFault(FaultKind::BadChecksum, dive1, 2), {kFirst, kFirst},
         {flipped, a}},
        {"--bad-checksum=1:2 --faults-repeat", withFault(FaultKind::BadChecksum, dive1, 2, true), {kFirst, kFirst},
         {flipped, flipped}},
        {"--bad-checksum=m32", withFault(FaultKind::BadChecksum, memory32, 1), {kRead32, kRead32}, {m32Flipped, m32}},
        {"--drop-byte=1:40", withFault(FaultKind::DropByte, dive1, 40), {kFirst, kFirst},
         {edit(a, [](Bytes& x) { x.erase(x.begin() + 40); }), a}},
        {"--overlong=1:8320", withFault(FaultKind::Overlong, dive1, 8320), {kFirst, kFirst}, {overlong, a}},
        {"--cut=1:50", withFault(FaultKind::Cut, dive1, 50), {kFirst, kFirst}, {Bytes(a.begin(), a.begin() + 50), a}},
        {"--silent=2:2: the pointer stays", withFault(FaultKind::Silence, dive2, 2), {kFirst, kNext, kNext, kNext},
         {a, none, none, b}},
        {"--silent=m32", withFault(FaultKind::Silence, memory32, 1), {kRead32, kRead32}, {none, m32}},
        {"--end=silent", withEnd(EndOfMemory::Silent), {kFirst, kNext, kNext, kNext, kNext}, {a, b, *clean[2], none, none}},
        {"--end=empty", withEnd(EndOfMemory::EmptyPacket), {kFirst, kNext, kNext, kNext, kNext},
         {a, b, *clean[2], Bytes{0x09, 0x00, 0x09}, Bytes{0x09, 0x00, 0x09}}},
        {"--end=short:15", withEnd(EndOfMemory::ShortPacket, 15), {kFirst, kNext, kNext, kNext, kNext},
         {a, b, *clean[2], shortEnd, shortEnd}},
        {"wrong command checksums: ignored, the pointer stays", {},
         {kFirst, Bytes{0x09, 0xA5, 0xAD}, Bytes{0x05, 0x00, 0x20, 0x20, 0x25}, kNext}, {a, none, none, b}},
        {"a memory read past 255 wraps", {}, {Bytes{0x05, 0x00, 0xFF, 0x02, 0x05 ^ 0xFF ^ 0x02}},
         {Bytes{0x05, 0x00, 0xFF, 0x02, 0x00, 0xFF, 0x05 ^ 0x02}}},
    };
    for (const auto& c : cases) {
        Session s = makeSession(c.config);
        EXPECT_EQ(send(s, c.commands), c.expected) << c.name;
    }

    // A vanishing device sends the whole answer, marked to stop after the given bytes.
    Transmission t;
    Session vanishing = makeSession(withFault(FaultKind::Vanish, dive1, 40));
    EXPECT_EQ(send(vanishing, {kFirst}, &t), (Answers{a}));
    EXPECT_EQ(t.vanishAfter, 40u);
}

}  // namespace
}  // namespace vyemu
