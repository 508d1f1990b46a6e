#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vyemu {

using Bytes = std::vector<std::uint8_t>;

// XOR of the bytes [begin, end) of a byte list; the dive computer's only checksum.
std::uint8_t xorOf(const Bytes& bytes, std::size_t begin, std::size_t end);
inline std::uint8_t xorOf(const Bytes& bytes) { return xorOf(bytes, 0, bytes.size()); }

// "08 A5 AD" — upper-case hex, blank separated.
std::string hexText(const Bytes& bytes, std::size_t begin = 0, std::size_t end = SIZE_MAX);

}  // namespace vyemu
