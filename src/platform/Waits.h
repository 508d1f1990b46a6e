#pragma once
#include <cstdint>
#include <functional>
#include <vector>

class QEventLoop;

namespace vyper {

// Pauses and the yield to the message loop; replaceable so tests never wait.
class Waits {
public:
    virtual ~Waits() = default;
    // Waits `ms` milliseconds while the message loop goes on (the window paints, clicks and
    // serial events are handled). Ends early once `cancelled` says so, which is asked after
    // InterruptPauses and at least every 100 ms; returns true when the whole time has passed
    // without that.
    virtual bool Pause(int ms, const std::function<bool()>& cancelled) = 0;
    // Makes every running Pause ask its `cancelled` now (a Stop, the window closing).
    virtual void InterruptPauses() {}
    // Dispatches all pending events of the message loop once and returns.
    virtual void DoEvents() = 0;
    // Milliseconds on a clock that only moves forward (its zero is arbitrary).
    virtual int64_t MonotonicMs() = 0;
    // Runs `work` to its end and rethrows what it throws. The system's waits run it on a
    // thread of its own while the message loop goes on without input: the window paints and
    // timers run, but clicks, keys and socket notifiers of the window's thread (bytes on
    // the serial line, a signal) wait until the work is done. So a slow disk never freezes
    // the window, and no input is acted on in the middle of the caller's steps. `work` must
    // touch nothing that the loop's timers touch. Not cut short by InterruptPauses. This
    // default runs it right here.
    virtual void RunAside(const std::function<void()>& work) { work(); }
};

class SystemWaits : public Waits {
public:
    bool Pause(int ms, const std::function<bool()>& cancelled) override;
    void InterruptPauses() override;
    void DoEvents() override;
    int64_t MonotonicMs() override;
    void RunAside(const std::function<void()>& work) override;

private:
    std::vector<QEventLoop*> pauses_;  // running pauses, innermost last
};

}  // namespace vyper
