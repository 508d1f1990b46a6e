#include "platform/Waits.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

namespace vyper {

void SystemWaits::Sleep(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool SystemWaits::Pause(int ms, const std::function<bool()>& cancelled) {
    if (cancelled()) return false;
    if (ms <= 0) return true;
    constexpr int kCancelCheckMs = 20;
    QEventLoop loop;
    QTimer end;
    end.setSingleShot(true);
    end.setTimerType(Qt::PreciseTimer);  // the pauses on the line are part of the protocol
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer check;
    check.setInterval(kCancelCheckMs);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (cancelled()) loop.quit();
    });
    end.start(ms);
    check.start();
    loop.exec();
    return !cancelled();
}

void SystemWaits::DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int64_t SystemWaits::MonotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace vyper
