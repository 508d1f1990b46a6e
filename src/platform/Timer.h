#pragma once
#include <QObject>
#include <QTimer>
#include <functional>

#include "platform/IntervalTimer.h"

namespace vyper {

// A repeating timer of the event loop: interval 0 stops it, any other (re)starts it, and
// every expiry calls OnTimer. Needs Qt Core only, so that the windows and the command line
// drive the core with the same timers.
class Timer : public QObject, public IntervalTimer {
public:
    explicit Timer(QObject* parent = nullptr);
    int Interval() const override { return interval_; }
    void SetInterval(int ms) override;
    std::function<void()> OnTimer;

private:
    QTimer timer_;
    int interval_ = 0;
};

}  // namespace vyper
