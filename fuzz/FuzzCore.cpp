#include "FuzzCore.h"

#include <optional>

#include "platform/Failure.h"

namespace vyper::fuzzing {

QByteArray FuzzSerial::Input() {
    if (!open_) throw SerialFailure(SerialFailureKind::NotOpen, QString(), QStringLiteral("nicht geöffnet"));
    const std::size_t waiting = queue_.size() - head_;
    const std::size_t take = InputLen() <= 0 ? waiting : std::min<std::size_t>(waiting, InputLen());
    QByteArray out(reinterpret_cast<const char*>(queue_.data() + head_), static_cast<qsizetype>(take));
    head_ += take;
    return out;
}

int FuzzSerial::InputByte() {
    if (!open_ || InputLen() != 1) return SerialControl::InputByte();
    return head_ < queue_.size() ? queue_[head_++] : -1;
}

void FuzzSerial::Output(const QByteArray& bytes) {
    if (!open_) throw SerialFailure(SerialFailureKind::NotOpen, QString(), QStringLiteral("nicht geöffnet"));
    if (lost) throw SerialFailure(SerialFailureKind::DeviceLost, DeviceName(), QStringLiteral("weg"));
    ++writes;
    if (onOutput) onOutput(bytes);
}

void FuzzSerial::Receive(const QByteArray& bytes) {
    if (head_ == queue_.size()) {
        queue_.clear();
        head_ = 0;
    }
    queue_.insert(queue_.end(), bytes.begin(), bytes.end());
}

void FuzzSerial::OpenDevice() {
    if (failNextOpen) {
        failNextOpen = false;
        throw SerialFailure(SerialFailureKind::PortBusy, DeviceName(), QStringLiteral("belegt"));
    }
    open_ = true;
    queue_.clear();
    head_ = 0;
}

void FuzzSerial::CloseDevice() {
    open_ = false;
    rtsRaised_ = false;
    queue_.clear();
    head_ = 0;
}

void FuzzSerial::ApplyModemLines() {
    const bool fell = rtsRaised_ && !RTSEnable();
    rtsRaised_ = RTSEnable();
    if (fell && onCommandSent) onCommandSent();
}

void MemoryFiles::WriteWhole(const QString& path, const QByteArray& bytes) {
    if (diskFull) throw RuntimeFailure(61, QStringLiteral("Datenträger voll: ") + path);
    files[path] = bytes;
}

bool FuzzWaits::Pause(int ms, const std::function<bool()>& cancelled) {
    if (cancelled()) return false;
    ++pauses;
    now += ms;
    if (onPause) onPause();
    return !cancelled();
}

int ScriptedBoxes::Show(const QString& text, int styleValue, const QString&) {
    lastText = text;
    if ((styleValue & 7) == style::YesNo) {
        const bool yes = ((yesBits >> (questions % 32)) & 1) != 0;
        ++questions;
        return yes ? answer::Yes : answer::No;
    }
    ++others;
    return answer::Ok;
}

FuzzCore::FuzzCore()
    : m(Platform{serial, settings, boxes, waits, fileStore, AppInfo{QStringLiteral("/fuzz"), 0, 7},
                 [] { return std::vector<SerialDeviceChoice>{}; }},
        CoreSeams{messages, files, counters, choices, choices, choices, control, poll}) {
    m.ProfileFolder = QStringLiteral("/fuzz/Tauchprofile");
}

namespace {
std::optional<FuzzCore>& CorePlace() {
    static std::optional<FuzzCore> core;
    return core;
}
}  // namespace

InputCore::InputCore() : core_(&CorePlace().emplace()) {}

InputCore::~InputCore() { CorePlace().reset(); }

}  // namespace vyper::fuzzing
