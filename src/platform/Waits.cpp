#include "platform/Waits.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <exception>
#include <system_error>
#include <thread>

namespace vyper {

bool SystemWaits::Pause(int ms, const std::function<bool()>& cancelled) {
    // A Stop interrupts the pause at once; the slow check is only a safety net, since every
    // wake-up of the window's thread costs processor time.
    constexpr int kCancelCheckMs = 100;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (cancelled()) return false;
        const qint64 left = ms - clock.elapsed();
        if (left <= 0) return true;
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
        end.start(static_cast<int>(left));
        check.start();
        pauses_.push_back(&loop);
        loop.exec();
        pauses_.pop_back();
    }
}

void SystemWaits::InterruptPauses() {
    // Each pause's loop ends; its caller then asks whether it was cancelled and waits on if not.
    for (QEventLoop* loop : pauses_) loop->quit();
}

void SystemWaits::RunAside(const std::function<void()>& work) {
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker;
    try {
        worker = std::thread([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            // Posted, so the loop ends even when the work is over before it has begun.
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the work is done here, the window waits for it as it must.
        work();
        return;
    }
    // Only the end of the work quits this loop, or the application's end, which quits every
    // loop: then the window is gone and waiting for the work without a loop is all that is left.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (failure) std::rethrow_exception(failure);
}

void SystemWaits::DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int64_t SystemWaits::MonotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace vyper
