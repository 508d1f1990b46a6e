#pragma once
#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace vyper::fuzzing {

// Reads the fuzz input front to back: fixed-size choices first, the rest as data.
// Reading past the end gives zeros, so every input is a valid choice sequence.
class InputReader {
public:
    InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte();
    uint16_t Word();
    uint32_t Dword();
    // Everything not yet read.
    QByteArray Rest();
    size_t Remaining() const { return size_ - pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Stops the process in a way the fuzzer reports as a finding.
[[noreturn]] void Finding(const char* what);

}  // namespace vyper::fuzzing
