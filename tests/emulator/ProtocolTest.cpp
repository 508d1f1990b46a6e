// Command recognition, answer packets, memory reads and the settings area.

#include "core/Memory.h"
#include "core/Protocol.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vyemu {
namespace {

// Compact form of the events of feeding bytes: "first", "next", "read<address>/<length>",
// "bad" for a bad checksum, "D<n>" for a run of n discarded bytes.
std::string feedAll(CommandParser& p, const Bytes& bytes)
{
    std::string s;
    std::size_t discarded = 0;
    const auto flush = [&] {
        if (discarded)
            s += (s.empty() ? "D" : " D") + std::to_string(discarded);
        discarded = 0;
    };
    for (std::uint8_t b : bytes)
        for (const ParseEvent& e : p.feed(b)) {
            if (e.type == ParseEvent::Type::Discarded) {
                discarded += e.bytes.size();
                continue;
            }
            flush();
            const Command& c = e.command;
            s += s.empty() ? "" : " ";
            s += e.type == ParseEvent::Type::BadChecksum   ? "bad"
                 : c.kind == CommandKind::FirstDive        ? "first"
                 : c.kind == CommandKind::NextDive         ? "next"
                 : "read" + std::to_string(c.address) + "/" + std::to_string(c.length);
        }
    flush();
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
        {"read 96", {0x05, 0x00, 0x60, 0x20, 0x45}, "read96/32"},
        {"first dive, checksum of next", {0x08, 0xA5, 0xAC}, "bad D2"},
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
        EXPECT_EQ(feedAll(p, c.input), c.expected) << c.name;
    }
    CommandParser p;  // a reset forgets a half command
    feedAll(p, {0x08, 0xA5});
    EXPECT_EQ(p.reset(), (Bytes{0x08, 0xA5}));
    EXPECT_EQ(feedAll(p, {0xAD}), "D1");
    EXPECT_EQ(feedAll(p, {0x08, 0xA5, 0xAD}), "first");
}

TEST(Packets, SplitIntoFullPacketsAndOneShorterOne)
{
    const struct {
        std::size_t payload;
        std::vector<std::size_t> lengths;
    } cases[] = {{0, {}}, {1, {1}}, {32, {32}}, {33, {32, 1}}, {100, {32, 32, 32, 4}}};
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
            EXPECT_EQ(Bytes(p.begin(), p.begin() + 2), (Bytes{0x09, static_cast<std::uint8_t>(c.lengths[k])}));
            EXPECT_EQ(p.back(), xorOf(p, 0, p.size() - 1));
            joined.insert(joined.end(), p.begin() + 2, p.end() - 1);
        }
        EXPECT_EQ(joined, payload);
    }
    EXPECT_EQ(packetize(Bytes{0x01, 0x02, 0x04}, 0x08),
              std::vector<Bytes>{(Bytes{0x08, 0x03, 0x01, 0x02, 0x04, 0x08 ^ 0x03 ^ 0x01 ^ 0x02 ^ 0x04})});
}

TEST(MemoryRead, AnswersFromTheImageAndWrapsAtTheEnd)
{
    MemoryImage m{};
    for (std::size_t i = 0; i < m.size(); ++i)
        m[i] = static_cast<std::uint8_t>(255 - i);
    const Bytes a = memoryAnswer(m, 64, 32);
    ASSERT_EQ(a.size(), 37u);
    EXPECT_EQ(Bytes(a.begin(), a.begin() + 4), (Bytes{0x05, 0x00, 64, 32}));
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(a[static_cast<std::size_t>(4 + i)], 255 - (64 + i));
    EXPECT_EQ(a[36], xorOf(a, 0, 36));
    EXPECT_EQ(memoryAnswer(m, 255, 2), (Bytes{0x05, 0x00, 0xFF, 0x02, 0x00, 0xFF, 0x05 ^ 0x02}));
    EXPECT_EQ(memoryAnswer(m, 7, 0), (Bytes{0x05, 0x00, 0x07, 0x00, 0x05 ^ 0x07}));
}

TEST(SettingsMemory, FieldsAtTheirAddresses)
{
    DeviceSettings s;
    s.serialNumber = {1, 2, 30, 4};
    s.userText = "Abc";
    std::tie(s.sampleInterval, s.personal, s.metric, s.computerMode) = std::tuple(30, 7, true, 2);
    std::tie(s.lightOn, s.lightDuration, s.depthAlarm, s.alarmTime) = std::tuple(true, 72, 1, 40);
    std::tie(s.alarmDepthFeet, s.maxDepthFeet, s.totalDiveMinutes, s.diveCount) = std::tuple(100, 20, 300, 300);
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
        {36, 30}, {37, 1}, {38, 2}, {39, 30}, {40, 4},
        {44, 'A'}, {45, 'b'}, {46, 'c'}, {47, ' '}, {63, ' '}, {64, 0},
        {81, 0x12}, {82, 0x34}, {96, 7}, {98, 1}, {99, 2},
        {100, 0x80 | 72}, {101, 1}, {103, 40},
        {104, 0x32}, {105, 0x00},  // 100 ft × 128 = 12800
        {120, 0xEE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(m[static_cast<std::size_t>(c.address)], c.value) << "address " << c.address;
}

TEST(SettingsMemory, DerivedFromTheDivesAndValidated)
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

    EXPECT_FALSE(validateSettings(DeviceSettings{}));
    DeviceSettings s;
    s.userText = std::string(21, 'x');
    EXPECT_NE(validateSettings(s).value_or("").find("20 characters"), std::string::npos);
    s = DeviceSettings{};
    s.pokes = {{256, 1}};
    EXPECT_NE(validateSettings(s).value_or("").find("poke address"), std::string::npos);
}

}  // namespace
}  // namespace vyemu
