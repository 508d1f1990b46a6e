#pragma once
#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/FileWriter.h"
#include "platform/Platform.h"
#include "platform/SettingsStore.h"

namespace vyper::testing {

// A serial control without a device: tests feed the receive queue and read what was sent.
class FakeSerialControl : public SerialControl {
public:
    bool PortOpen() const override { return open_; }
    int InBufferCount() override;
    QByteArray Input() override;
    void Output(const QByteArray& bytes) override;
    bool DeviceLost() override { return open_ && deviceLost; }
    QString DeviceName() const override { return deviceName; }

    // Puts bytes into the receive queue (as if they had arrived).
    void Receive(const QByteArray& bytes);
    // Everything written by Output, in order.
    QByteArray sent;
    // Each Output call separately.
    std::vector<QByteArray> writes;
    // When set, the next open fails with this failure.
    std::unique_ptr<SerialFailure> failNextOpen;
    // Called after each Output with the bytes written (to script a peer's answer).
    std::function<void(const QByteArray&)> onOutput;
    // Modes of RTS after every change while open, in order.
    std::vector<bool> rtsHistory;
    int opens = 0;
    int closes = 0;
    // When set, the device has gone away: nothing more arrives, and every write fails.
    bool deviceLost = false;
    // What DeviceName reports.
    QString deviceName;

protected:
    void OpenDevice() override;
    void CloseDevice() override;
    void ApplyModemLines() override;

private:
    bool open_ = false;
    std::deque<unsigned char> queue_;
};

// A message box that records what it was asked and gives scripted answers.
class RecordingMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        QString text;
        int style;
    };
    int Show(const QString& text, int styleValue, const QString& title) override;
    std::vector<Shown> shown;
    // Answers given in order; when empty, Yes/No boxes are answered No and others Ok.
    std::deque<int> answers;
};

// Records sleeps instead of sleeping; DoEvents runs a hook (or Qt's event loop).
// Its clock moves only by the recorded sleeps (and by `now` set in a test).
class FakeWaits : public Waits {
public:
    // Records a pause of `ms` and moves the clock on by it; onSleep may cancel it (a click
    // during the pause).
    bool Pause(int ms, const std::function<bool()>& cancelled) override;
    void DoEvents() override;
    int64_t MonotonicMs() override { return now; }
    // Runs onAside first (what the message loop may do while the work runs aside), then the
    // work, right here; counts the calls.
    void RunAside(const std::function<void()>& work) override;
    int64_t now = 0;
    std::vector<int> sleeps;
    std::function<void(int)> onSleep;
    std::function<void()> onDoEvents;
    std::function<void()> onAside;
    int asides = 0;
};

// The program's own file writer, whose steps on the hidden file are recorded and can be made
// to fail: a disk that is full after some bytes, a medium that fails the sync or the close, a
// target that cannot be replaced. With no fault set it writes as the program does.
class FaultyFileWriter : public AtomicFileWriter {
public:
    // Bytes that still fit on the disk; the write after them fails with ENOSPC. Negative: no limit.
    qint64 bytesUntilFull = -1;
    // The sync fails with EIO (a medium that lost the bytes), the close with EIO (a network
    // folder that reports the failed write only then).
    bool syncFails = false;
    bool closeFails = false;
    // The rename over the target fails with EBUSY.
    bool renameFails = false;
    // Every step tried, in order: "write", "sync", "close", "rename <file name of the target>",
    // failed ones included.
    QStringList steps;

protected:
    ssize_t WriteSome(int fd, const char* data, std::size_t size) override;
    int Sync(int fd) override;
    int Close(int fd) override;
    int Rename(const char* from, const char* to) override;
};

// A complete set of platform fakes with a temporary program folder.
struct TestPlatform {
    TestPlatform();
    Platform Services();
    FakeSerialControl serial;
    MemorySettingsStore settings;
    RecordingMessageBoxes boxes;
    FakeWaits waits;
    FaultyFileWriter files;
    QTemporaryDir programFolder;
    // What the platform reports as the serial devices present.
    std::vector<SerialDeviceChoice> devices;
};

// A file's bytes, or a "<missing: path>" marker that equals no file; a file written whole.
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);

// Bytes from values, a braced list of them for readable expectations.
QByteArray Bytes(const std::vector<int32_t>& values);

}  // namespace vyper::testing
