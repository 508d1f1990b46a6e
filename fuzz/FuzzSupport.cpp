#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>

namespace vyper::fuzzing {

uint8_t InputReader::Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

uint16_t InputReader::Word() {
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | (Byte() << 8));
}

uint32_t InputReader::Dword() {
    const uint32_t low = Word();
    return low | (static_cast<uint32_t>(Word()) << 16);
}

QByteArray InputReader::Rest() {
    QByteArray out(reinterpret_cast<const char*>(data_ + pos_), static_cast<qsizetype>(size_ - pos_));
    pos_ = size_;
    return out;
}

void Finding(const char* what) {
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::abort();
}

}  // namespace vyper::fuzzing
