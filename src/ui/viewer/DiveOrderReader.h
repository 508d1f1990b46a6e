#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <thread>

namespace vyper {

// Reads the date order of a profile folder on a thread of its own, so that a folder of
// thousands of dives never holds the window that asked for it.
class DiveOrderReader {
public:
    // Starts reading `folder`; `done` then runs with the order on `receiver`'s thread,
    // through its event loop, unless the reader or the receiver is gone by then.
    DiveOrderReader(const QString& folder, QObject* receiver, std::function<void(QStringList)> done);
    // Asks the thread to stop (it stops between two files) and waits for it.
    ~DiveOrderReader();

    DiveOrderReader(const DiveOrderReader&) = delete;
    DiveOrderReader& operator=(const DiveOrderReader&) = delete;

private:
    std::jthread thread_;
};

}  // namespace vyper
