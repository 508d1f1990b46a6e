#pragma once
// The core on fakes that cost next to nothing per input: a serial control over a byte
// vector, files in memory, a clock that moves only by the pauses, and the recording seams
// of the tests. A FuzzCore is built afresh for every input, so nothing carries over.

#include <QByteArray>
#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "platform/SettingsStore.h"
#include "support/CoreRig.h"
#include "transfer/VyperComm.h"

namespace vyper::fuzzing {

class FuzzSerial : public SerialControl {
public:
    bool PortOpen() const override { return open_; }
    int InBufferCount() override { return open_ && !lost ? static_cast<int>(queue_.size() - head_) : 0; }
    QByteArray Input() override;
    // Without a byte array for every byte: most of an input's time would go into them.
    int InputByte() override;
    void Output(const QByteArray& bytes) override;
    bool DeviceLost() override { return open_ && lost; }
    QString DeviceName() const override { return QStringLiteral("/dev/fuzz"); }

    // Puts bytes into the receive queue.
    void Receive(const QByteArray& bytes);
    // Called after every write with the bytes written, and when RTS falls: a command has
    // gone out whole and the device answers.
    std::function<void(const QByteArray&)> onOutput;
    std::function<void()> onCommandSent;
    bool lost = false;
    bool failNextOpen = false;
    int writes = 0;

protected:
    void OpenDevice() override;
    void CloseDevice() override;
    void ApplyModemLines() override;

private:
    bool open_ = false;
    bool rtsRaised_ = false;
    std::vector<unsigned char> queue_;
    std::size_t head_ = 0;
};

// Files kept in memory; a write can be made to fail as a full disk would.
class MemoryFiles : public FileWriter {
public:
    void WriteWhole(const QString& path, const QByteArray& bytes) override;
    bool Exists(const QString& path) const override { return files.count(path) != 0; }
    std::map<QString, QByteArray> files;
    bool diskFull = false;
};

// A clock that moves only by the pauses; `onPause` and `onDoEvents` let the line deliver
// bytes and the user click while the core waits.
class FuzzWaits : public Waits {
public:
    bool Pause(int ms, const std::function<bool()>& cancelled) override;
    void DoEvents() override {
        if (onDoEvents) onDoEvents();
    }
    int64_t MonotonicMs() override { return now; }
    int64_t now = 0;
    int pauses = 0;
    std::function<void()> onPause;
    std::function<void()> onDoEvents;
};

// Answers the boxes from a bit pattern (1: Yes), Ok for the others; counts what it showed.
class ScriptedBoxes : public MessageBoxes {
public:
    int Show(const QString& text, int styleValue, const QString& title) override;
    uint32_t yesBits = 0;
    int questions = 0;
    int others = 0;
    QString lastText;
};

struct FuzzCore {
    FuzzCore();
    FuzzSerial serial;
    MemorySettingsStore settings;
    ScriptedBoxes boxes;
    FuzzWaits waits;
    MemoryFiles fileStore;
    testing::RecordingSink messages;
    testing::RecordingSink files;
    testing::RecordingCounters counters;
    testing::FixedChoices choices;
    testing::RecordingTimer control;
    testing::RecordingTimer poll;
    VyperComm m;
};

// The core of one input: built afresh in a place that every input reuses (its buffers are not
// allocated anew for each input) and torn down when the input ends, so that an input frees
// what it allocated. libFuzzer runs an input a second time, to look for a leak, whenever its
// allocations outnumber its frees.
class InputCore {
public:
    InputCore();
    ~InputCore();
    InputCore(const InputCore&) = delete;
    InputCore& operator=(const InputCore&) = delete;
    FuzzCore* operator->() const { return core_; }

private:
    FuzzCore* core_;
};

}  // namespace vyper::fuzzing
