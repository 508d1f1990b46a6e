#pragma once

namespace vyper {

// A repeating timer as the core drives it: interval 0 stops it, any other (re)starts it.
// The window's timers implement it; tests and fuzzers pass one that only records.
class IntervalTimer {
public:
    virtual ~IntervalTimer() = default;
    virtual int Interval() const = 0;
    virtual void SetInterval(int ms) = 0;
};

}  // namespace vyper
