// Answer packets and memory reads.

#include "core/Memory.h"
#include "core/Protocol.h"

#include <gtest/gtest.h>

namespace vyemu {
namespace {

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

}  // namespace
}  // namespace vyemu
