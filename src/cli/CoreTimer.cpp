#include "cli/CoreTimer.h"

namespace vyper::cli {

CoreTimer::CoreTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (OnTimer) OnTimer();
    });
}

void CoreTimer::SetInterval(int ms) {
    interval_ = ms;
    if (ms <= 0) {
        timer_.stop();
        return;
    }
    timer_.start(ms);
}

}  // namespace vyper::cli
