#pragma once
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace vyper::cli {

// Ctrl+C (SIGINT) and SIGTERM while the command line runs. The first one is brought onto the
// event loop (the handler only writes a byte into a pipe that the loop watches), where
// OnFirst stops what runs as the window's "Stop" does. A second one ends the process at
// once with the interrupted status, but never while a file is being written: then it ends
// as soon as that file is whole (see FileWriteGuard). One object at a time; it restores the
// previous handlers when it goes.
class SignalStop {
public:
    SignalStop();
    ~SignalStop();
    SignalStop(const SignalStop&) = delete;
    SignalStop& operator=(const SignalStop&) = delete;

    // True once a signal has come while the object lives (also before the event loop has
    // seen it).
    static bool Requested();
    // Called on the event loop after the first signal.
    std::function<void()> OnFirst;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

// Marks a file write in progress for as long as it lives: a second signal meanwhile waits
// until the write is over, then ends the process.
class FileWriteGuard {
public:
    FileWriteGuard();
    ~FileWriteGuard();
    FileWriteGuard(const FileWriteGuard&) = delete;
    FileWriteGuard& operator=(const FileWriteGuard&) = delete;
};

}  // namespace vyper::cli
