#pragma once
#include <QTimer>
#include <functional>

#include "platform/IntervalTimer.h"

namespace vyper::cli {

// A repeating timer of the event loop as the core drives it: interval 0 stops it, any other
// (re)starts it, and every expiry calls OnTimer. The window's timers do the same over
// widgets; this one needs only Qt Core.
class CoreTimer : public IntervalTimer {
public:
    CoreTimer();
    int Interval() const override { return interval_; }
    void SetInterval(int ms) override;
    std::function<void()> OnTimer;

private:
    QTimer timer_;
    int interval_ = 0;
};

}  // namespace vyper::cli
