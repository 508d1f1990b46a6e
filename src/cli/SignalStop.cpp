#include "cli/SignalStop.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "cli/ExitStatus.h"

namespace vyper::cli {

namespace {

// The handler may touch only these: lock-free atomics and the pipe's descriptor.
int wakePipe[2] = {-1, -1};
std::atomic<int> signalsSeen{0};
std::atomic<int> writesRunning{0};
std::atomic<bool> endAfterWrite{false};
struct sigaction previousInt {}, previousTerm {};

constexpr char kEndedAtOnce[] = "\nSofort beendet.\n";

[[noreturn]] void EndAtOnce() {
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, kEndedAtOnce, sizeof kEndedAtOnce - 1);
    // The kernel closes the port and releases its lock with the process.
    ::_exit(exit_status::Interrupted);
}

void OnSignal(int) {
    const int savedErrno = errno;
    if (signalsSeen.fetch_add(1) >= 1) {
        if (writesRunning.load() == 0) EndAtOnce();
        endAfterWrite.store(true);
    } else {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakePipe[1], &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

SignalStop::SignalStop() {
    signalsSeen.store(0);
    endAfterWrite.store(false);
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(wakePipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        char bytes[8];
        while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
        }
        if (OnFirst) OnFirst();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
}

SignalStop::~SignalStop() {
    if (wakePipe[0] < 0) return;
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
    notifier_.reset();
    ::close(wakePipe[0]);
    ::close(wakePipe[1]);
    wakePipe[0] = wakePipe[1] = -1;
    signalsSeen.store(0);
}

bool SignalStop::Requested() { return signalsSeen.load() > 0; }

FileWriteGuard::FileWriteGuard() { writesRunning.fetch_add(1); }

FileWriteGuard::~FileWriteGuard() {
    if (writesRunning.fetch_sub(1) == 1 && endAfterWrite.load()) EndAtOnce();
}

}  // namespace vyper::cli
