#pragma once
#include <cstdint>

namespace vyper {

// Blocking pauses and the yield to the message loop; replaceable so tests never wait.
class Waits {
public:
    virtual ~Waits() = default;
    // Blocks the calling thread for `ms` milliseconds; events are not delivered meanwhile.
    virtual void Sleep(int ms) = 0;
    // Dispatches all pending events of the message loop once and returns.
    virtual void DoEvents() = 0;
    // Milliseconds on a clock that only moves forward (its zero is arbitrary).
    virtual int64_t MonotonicMs() = 0;
};

class SystemWaits : public Waits {
public:
    void Sleep(int ms) override;
    void DoEvents() override;
    int64_t MonotonicMs() override;
};

}  // namespace vyper
