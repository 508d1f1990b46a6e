#pragma once
#include <cstdint>

namespace vyper {

// The counters under the message list as the core updates them: bytes received, dives read,
// failed exchanges, and whether failures are marked. The main window implements it.
class CountersDisplay {
public:
    virtual ~CountersDisplay() = default;
    // Shows the byte count and has it drawn with the next pass of the message loop.
    virtual void ShowBytes(int32_t total) = 0;
    virtual void ShowDives(int32_t number) = 0;
    virtual void ShowErrors(int16_t count) = 0;
    // Marks the error count and its caption as failures (red) or as quiet (grey).
    virtual void MarkErrors(bool failed) = 0;
    // Has the error count drawn with the next pass of the message loop.
    virtual void RefreshErrors() = 0;
};

}  // namespace vyper
