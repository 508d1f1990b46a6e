// Command recognition, answer packets and memory reads.

#include "core/Memory.h"
#include "core/Protocol.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vyemu {
namespace {

std::vector<ParseEvent> feedAll(CommandParser& p, const Bytes& bytes)
{
    std::vector<ParseEvent> all;
    for (std::uint8_t b : bytes)
        for (ParseEvent& e : p.feed(b))
            all.push_back(std::move(e));
    return all;
}

// Compact form of the events: C<kind> for a command, B for a bad checksum, D for discarded.
std::string summary(const std::vector<ParseEvent>& events)
{
    std::string s;
    std::size_t discarded = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const ParseEvent& e = events[i];
        if (e.type == ParseEvent::Type::Discarded) {  // runs of discarded bytes count together
            discarded += e.bytes.size();
            if (i + 1 < events.size() && events[i + 1].type == ParseEvent::Type::Discarded)
                continue;
        }
        if (!s.empty())
            s += ' ';
        switch (e.type) {
        case ParseEvent::Type::Command:
            s += e.command.kind == CommandKind::FirstDive  ? "first"
                 : e.command.kind == CommandKind::NextDive ? "next"
                                                           : "read" + std::to_string(e.command.address) +
                                                                 "/" + std::to_string(e.command.length);
            break;
        case ParseEvent::Type::BadChecksum: s += "bad"; break;
        case ParseEvent::Type::Discarded:
            s += "D" + std::to_string(discarded);
            discarded = 0;
            break;
        }
    }
    return s;
}

TEST(CommandParser, RecognisesCommandsAndIgnoresBadOnes)
{
    const struct {
        const char* name;
        Bytes input;
        const char* expected;
    } cases[] = {
        {"first dive", {0x08, 0xA5, 0xAD}, "first"},
        {"next dive", {0x09, 0xA5, 0xAC}, "next"},
        {"read 0", {0x05, 0x00, 0x00, 0x20, 0x25}, "read0/32"},
        {"read 32", {0x05, 0x00, 0x20, 0x20, 0x05}, "read32/32"},
        {"read 64", {0x05, 0x00, 0x40, 0x20, 0x65}, "read64/32"},
        {"read 96", {0x05, 0x00, 0x60, 0x20, 0x45}, "read96/32"},
        {"first dive, checksum of next", {0x08, 0xA5, 0xAC}, "bad D2"},
        {"next dive, checksum of first", {0x09, 0xA5, 0xAD}, "bad D2"},
        {"read with wrong checksum", {0x05, 0x00, 0x20, 0x20, 0x25}, "bad D4"},
        {"noise before a command", {0x00, 0xFF, 0x08, 0xA5, 0xAD}, "D2 first"},
        {"broken command, then a good one", {0x08, 0xA5, 0x08, 0xA5, 0xAD}, "bad D1 first"},
        {"second byte wrong", {0x08, 0x00, 0x09, 0xA5, 0xAC}, "D2 next"},
        {"read with non-zero second byte", {0x05, 0x01, 0x05, 0x00, 0x01, 0x02, 0x06}, "D2 read1/2"},
        {"two commands back to back", {0x08, 0xA5, 0xAD, 0x09, 0xA5, 0xAC}, "first next"},
        {"incomplete command", {0x09, 0xA5}, ""},
    };
    for (const auto& c : cases) {
        CommandParser p;
        EXPECT_EQ(summary(feedAll(p, c.input)), c.expected) << c.name;
    }
}

TEST(CommandParser, ResetForgetsAHalfCommand)
{
    CommandParser p;
    feedAll(p, {0x08, 0xA5});
    EXPECT_EQ(p.reset(), (Bytes{0x08, 0xA5}));
    EXPECT_EQ(summary(feedAll(p, {0xAD})), "D1");
    EXPECT_EQ(summary(feedAll(p, {0x08, 0xA5, 0xAD})), "first");
}

TEST(Packets, SplitIntoFullPacketsAndOneShorterOne)
{
    const struct {
        std::size_t payload;
        std::vector<std::size_t> lengths;
    } cases[] = {
        {0, {}}, {1, {1}}, {31, {31}}, {32, {32}}, {33, {32, 1}}, {100, {32, 32, 32, 4}}, {128, {32, 32, 32, 32}},
    };
    for (const auto& c : cases) {
        Bytes payload(c.payload);
        for (std::size_t i = 0; i < payload.size(); ++i)
            payload[i] = static_cast<std::uint8_t>(i * 7 + 3);
        const auto packets = packetize(payload, 0x09);
        ASSERT_EQ(packets.size(), c.lengths.size()) << c.payload;
        Bytes joined;
        for (std::size_t k = 0; k < packets.size(); ++k) {
            const Bytes& p = packets[k];
            ASSERT_EQ(p.size(), c.lengths[k] + 3);
            EXPECT_EQ(p[0], 0x09);
            EXPECT_EQ(p[1], c.lengths[k]);
            EXPECT_EQ(p.back(), xorOf(p, 0, p.size() - 1));
            joined.insert(joined.end(), p.begin() + 2, p.end() - 1);
        }
        EXPECT_EQ(joined, payload);
    }
}

TEST(Packets, ChecksumOfAKnownPacket)
{
    const auto packets = packetize(Bytes{0x01, 0x02, 0x04}, 0x08);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], (Bytes{0x08, 0x03, 0x01, 0x02, 0x04, 0x08 ^ 0x03 ^ 0x01 ^ 0x02 ^ 0x04}));
}

TEST(MemoryRead, AnswersAtTheFourSettingsBlocks)
{
    MemoryImage m{};
    for (std::size_t i = 0; i < m.size(); ++i)
        m[i] = static_cast<std::uint8_t>(255 - i);
    for (int address : {0, 32, 64, 96}) {
        const Bytes a = memoryAnswer(m, static_cast<std::uint8_t>(address), 32);
        ASSERT_EQ(a.size(), 37u);
        EXPECT_EQ(a[0], 0x05);
        EXPECT_EQ(a[1], 0x00);
        EXPECT_EQ(a[2], address);
        EXPECT_EQ(a[3], 32);
        for (int i = 0; i < 32; ++i)
            EXPECT_EQ(a[static_cast<std::size_t>(4 + i)], 255 - (address + i));
        EXPECT_EQ(a[36], xorOf(a, 0, 36));
    }
}

TEST(MemoryRead, WrapsAroundAtTheEndOfTheAddressRange)
{
    MemoryImage m{};
    m[255] = 0x11;
    m[0] = 0x22;
    const Bytes a = memoryAnswer(m, 255, 2);
    EXPECT_EQ(a, (Bytes{0x05, 0x00, 0xFF, 0x02, 0x11, 0x22, 0x05 ^ 0xFF ^ 0x02 ^ 0x11 ^ 0x22}));
    EXPECT_EQ(memoryAnswer(m, 7, 0), (Bytes{0x05, 0x00, 0x07, 0x00, 0x05 ^ 0x07}));
}

TEST(SettingsMemory, FieldsAtTheirAddresses)
{
    DeviceSettings s;
    s.serialNumber = {1, 2, 30, 4};
    s.userText = "Abc";
    s.sampleInterval = 30;
    s.personal = 7;
    s.metric = true;
    s.computerMode = 2;
    s.lightOn = true;
    s.lightDuration = 72;
    s.depthAlarm = 1;
    s.alarmTime = 40;
    s.alarmDepthFeet = 100;
    s.maxDepthFeet = 20;
    s.totalDiveMinutes = 300;
    s.diveCount = 300;
    s.diveDataBytes = 0x1234;
    s.pokes = {{120, 0xEE}};
    const MemoryImage m = buildMemory(s, {});
    const struct {
        int address;
        int value;
    } cases[] = {
        {30, 0x0A}, {31, 0x00},   // 20 ft × 128 = 2560
        {32, 0x01}, {33, 0x2C},   // 300 min
        {34, 0x01}, {35, 0x2C},   // 300 dives
        {36, 30},
        {37, 1}, {38, 2}, {39, 30}, {40, 4},
        {44, 'A'}, {45, 'b'}, {46, 'c'}, {47, ' '}, {63, ' '}, {64, 0},
        {81, 0x12}, {82, 0x34},
        {96, 7}, {98, 1}, {99, 2},
        {100, 0x80 | 72},
        {101, 1}, {103, 40},
        {104, 0x32}, {105, 0x00},  // 100 ft × 128 = 12800
        {120, 0xEE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(m[static_cast<std::size_t>(c.address)], c.value) << "address " << c.address;
}

TEST(SettingsMemory, DerivedFromTheDives)
{
    const auto dives = defaultDives();
    const MemoryImage m = buildMemory(DeviceSettings{}, dives);
    int deepest = 0, minutes = 0;
    std::size_t bytes = 0;
    for (const Dive& d : dives) {
        deepest = std::max(deepest, maxDepthFeet(d));
        minutes += diveMinutes(d);
        bytes += encodeDive(d).size();
    }
    EXPECT_EQ(m[30] * 256 + m[31], deepest * 128);
    EXPECT_EQ(m[32] * 256 + m[33], minutes);
    EXPECT_EQ(m[34] * 256 + m[35], static_cast<int>(dives.size()));
    EXPECT_EQ(static_cast<std::size_t>(m[81] * 256 + m[82]), bytes);
}

TEST(SettingsMemory, ValidationNamesTheBadValue)
{
    DeviceSettings s;
    s.userText = std::string(21, 'x');
    ASSERT_TRUE(validateSettings(s));
    EXPECT_NE(validateSettings(s)->find("20 characters"), std::string::npos);
    s = DeviceSettings{};
    s.pokes = {{256, 1}};
    ASSERT_TRUE(validateSettings(s));
    EXPECT_NE(validateSettings(s)->find("poke address"), std::string::npos);
    EXPECT_FALSE(validateSettings(DeviceSettings{}));
}

}  // namespace
}  // namespace vyemu
