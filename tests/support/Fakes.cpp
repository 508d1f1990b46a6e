#include "support/Fakes.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

namespace vyper::testing {

int FakeSerialControl::InBufferCount() { return open_ && !deviceLost ? static_cast<int>(queue_.size()) : 0; }

QByteArray FakeSerialControl::Input() {
    if (!open_) throw SerialFailure(SerialFailureKind::NotOpen, QString(), QStringLiteral("nicht geöffnet"));
    QByteArray out;
    const int take = InputLen() <= 0 ? static_cast<int>(queue_.size()) : InputLen();
    while (!queue_.empty() && out.size() < take) {
        out.append(static_cast<char>(queue_.front()));
        queue_.pop_front();
    }
    return out;
}

void FakeSerialControl::Output(const QByteArray& bytes) {
    if (!open_) throw SerialFailure(SerialFailureKind::NotOpen, QString(), QStringLiteral("nicht geöffnet"));
    if (deviceLost) throw SerialFailure(SerialFailureKind::DeviceLost, deviceName, QStringLiteral("Verbindung unterbrochen"));
    sent.append(bytes);
    writes.push_back(bytes);
    if (onOutput) onOutput(bytes);
}

void FakeSerialControl::Receive(const QByteArray& bytes) {
    for (char c : bytes) queue_.push_back(static_cast<unsigned char>(c));
}

void FakeSerialControl::OpenDevice() {
    if (failNextOpen) {
        std::unique_ptr<SerialFailure> failure = std::move(failNextOpen);
        throw SerialFailure(*failure);
    }
    open_ = true;
    ++opens;
    queue_.clear();
}

void FakeSerialControl::CloseDevice() {
    open_ = false;
    ++closes;
    queue_.clear();
}

void FakeSerialControl::ApplyModemLines() { rtsHistory.push_back(RTSEnable()); }

int RecordingMessageBoxes::Show(const QString& text, int styleValue, const QString&) {
    shown.push_back({text, styleValue});
    if (!answers.empty()) {
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    return (styleValue & 0x0F) == style::YesNo ? answer::No : answer::Ok;
}

bool FakeWaits::Pause(int ms, const std::function<bool()>& cancelled) {
    if (cancelled()) return false;
    sleeps.push_back(ms);
    now += ms;
    if (onSleep) onSleep(ms);
    return !cancelled();
}

void FakeWaits::RunAside(const std::function<void()>& work) {
    ++asides;
    if (onAside) onAside();
    work();
}

void FakeWaits::DoEvents() {
    if (onDoEvents) onDoEvents();
    else QCoreApplication::processEvents();
}

ssize_t FaultyFileWriter::WriteSome(int fd, const char* data, std::size_t size) {
    steps.append(QStringLiteral("write"));
    if (bytesUntilFull < 0) return AtomicFileWriter::WriteSome(fd, data, size);
    if (bytesUntilFull == 0) {
        errno = ENOSPC;
        return -1;
    }
    const ssize_t written =
        AtomicFileWriter::WriteSome(fd, data, std::min(size, static_cast<std::size_t>(bytesUntilFull)));
    if (written > 0) bytesUntilFull -= written;
    return written;
}

int FaultyFileWriter::Sync(int fd) {
    steps.append(QStringLiteral("sync"));
    if (!syncFails) return AtomicFileWriter::Sync(fd);
    errno = EIO;
    return -1;
}

int FaultyFileWriter::Close(int fd) {
    steps.append(QStringLiteral("close"));
    // The descriptor goes whatever the result, as with close(2).
    const int result = AtomicFileWriter::Close(fd);
    if (!closeFails) return result;
    errno = EIO;
    return -1;
}

int FaultyFileWriter::Rename(const char* from, const char* to) {
    steps.append(QStringLiteral("rename ") + QFileInfo(QFile::decodeName(to)).fileName());
    if (!renameFails) return AtomicFileWriter::Rename(from, to);
    errno = EBUSY;
    return -1;
}

TestPlatform::TestPlatform() = default;

Platform TestPlatform::Services() {
    return Platform{serial, settings, boxes, waits, files, AppInfo{programFolder.path(), 0, 7}, [this] { return devices; }};
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing: ") + path.toUtf8() + ">";
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(path));
}

QByteArray Bytes(const std::vector<int32_t>& values) {
    QByteArray out;
    for (int32_t v : values) out.append(static_cast<char>(v));
    return out;
}

}  // namespace vyper::testing
