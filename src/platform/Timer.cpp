#include "platform/Timer.h"

namespace vyper {

Timer::Timer(QObject* parent) : QObject(parent) {
    QObject::connect(&timer_, &QTimer::timeout, this, [this] {
        if (OnTimer) OnTimer();
    });
}

void Timer::SetInterval(int ms) {
    interval_ = ms;
    if (ms <= 0) {
        timer_.stop();
        return;
    }
    timer_.start(ms);
}

}  // namespace vyper
