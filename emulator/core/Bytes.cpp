#include "Bytes.h"

#include <algorithm>

namespace vyemu {

std::uint8_t xorOf(const Bytes& bytes, std::size_t begin, std::size_t end)
{
    end = std::min(end, bytes.size());
    std::uint8_t x = 0;
    for (std::size_t i = begin; i < end; ++i)
        x = static_cast<std::uint8_t>(x ^ bytes[i]);
    return x;
}

std::string hexText(const Bytes& bytes, std::size_t begin, std::size_t end)
{
    static const char digits[] = "0123456789ABCDEF";
    end = std::min(end, bytes.size());
    std::string text;
    for (std::size_t i = begin; i < end; ++i) {
        if (i > begin)
            text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

}  // namespace vyemu
