#include "platform/Waits.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace vyper {

namespace {

// Holds the socket notifiers of the window's thread back while it lives: the first
// activation of each is swallowed and the notifier switched off; switched on again at the
// end, it fires then, as its descriptor is still ready. (Qt's flag to exclude socket
// notifiers from a loop is ignored by the GLib event dispatcher.)
class HeldSocketNotifiers : public QObject {
public:
    HeldSocketNotifiers() { QCoreApplication::instance()->installEventFilter(this); }
    ~HeldSocketNotifiers() override {
        QCoreApplication::instance()->removeEventFilter(this);
        for (const QPointer<QSocketNotifier>& notifier : held_) {
            if (notifier) notifier->setEnabled(true);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::SockAct) return false;
        auto* notifier = qobject_cast<QSocketNotifier*>(watched);
        if (notifier == nullptr) return false;
        notifier->setEnabled(false);
        held_.emplace_back(notifier);
        return true;
    }

private:
    std::vector<QPointer<QSocketNotifier>> held_;
};

}  // namespace

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
    // Without the application's loop in this thread there is nothing to keep going.
    const QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || app->thread() != QThread::currentThread()) {
        work();
        return;
    }
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
    {
        // Only the end of the work quits this loop, or the application's end, which quits
        // every loop: then the window is gone and waiting for the work without a loop is all
        // that is left.
        const HeldSocketNotifiers held;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    worker.join();
    if (failure) std::rethrow_exception(failure);
}

void SystemWaits::DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int64_t SystemWaits::MonotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace vyper
