#include "platform/Waits.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

namespace vyper {

void SystemWaits::Sleep(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SystemWaits::DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int64_t SystemWaits::MonotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace vyper
