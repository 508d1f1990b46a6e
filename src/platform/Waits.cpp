#include "platform/Waits.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

namespace vyper {

void SystemWaits::Sleep(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SystemWaits::DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace vyper
