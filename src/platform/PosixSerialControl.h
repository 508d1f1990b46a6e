#pragma once
#include <QObject>
#include <QPointer>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/SerialControl.h"

namespace vyper {

// Serial control over a serial device of the operating system (termios).
// A reader thread keeps the receive queue filled while the user-interface thread
// sleeps; InBufferCount also reads what the system holds at the moment of the call,
// so the count never lags behind the bytes that have arrived.
class PosixSerialControl : public SerialControl {
public:
    using PathForPort = std::function<QString(int port)>;
    explicit PosixSerialControl(PathForPort pathForPort);
    ~PosixSerialControl() override;
    PosixSerialControl(const PosixSerialControl&) = delete;
    PosixSerialControl& operator=(const PosixSerialControl&) = delete;

    bool PortOpen() const override { return fd_ >= 0; }
    int InBufferCount() override;
    QByteArray Input() override;
    void Output(const QByteArray& bytes) override;

    bool DeviceLost() override;
    QString DeviceName() const override { return DevicePath(); }

    // The device path of the port currently selected.
    QString DevicePath() const { return pathForPort_(CommPort()); }

protected:
    void OpenDevice() override;
    void CloseDevice() override;
    void ApplyModemLines() override;

private:
    void ReaderLoop();
    // Moves what the system holds into the queue; the caller holds mutex_. Returns bytes added.
    int PullFromDeviceLocked();
    void PostReceiveEvents(int count);

    PathForPort pathForPort_;
    int fd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::thread reader_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> hungUp_{false};
    std::mutex mutex_;
    std::deque<unsigned char> queue_;
    QObject* notifier_;
};

// The process that a lock file in /run/lock names as the holder of a device: the first field
// of its text (programs write the number alone, padded with blanks, or follow it with their
// name and user), 0 when that is no positive number.
long LockFileOwner(const QByteArray& contents);

}  // namespace vyper
