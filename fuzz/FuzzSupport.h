#pragma once
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "support/Fakes.h"
#include "ui/main/frmVyper.h"

namespace vyper::fuzzing {

// Creates the one application object of the process on Qt's offscreen platform; later
// calls do nothing. Every target's LLVMFuzzerInitialize (defined here) calls it.
void EnsureApplication();

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

// One main window on fakes, created once and put back into its start-up state per input,
// because building a window for every input would cost more than the input's work.
struct MainWindowRig {
    MainWindowRig();
    // Clears what the last input left behind: lists, counters, the receive state, the
    // fakes' records and every file in the profile folder. Opens the fake port.
    void Reset();
    testing::TestPlatform platform;
    std::unique_ptr<frmVyper> window;
    VyperComm& m() { return window->Module(); }
};

// The one rig of the process, created at first use and kept to the end.
MainWindowRig& SharedRig();
// The shared rig, put back into its start-up state for the next input.
MainWindowRig& FreshRig();

// Stops the process in a way the fuzzer reports as a finding.
[[noreturn]] void Finding(const char* what);

}  // namespace vyper::fuzzing
