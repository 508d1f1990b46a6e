#include "platform/FileTransferLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/AppInfo.h"

namespace vyper {

namespace {

constexpr int kBytesPerLine = 48;  // a packet with its echo, or a memory block's reply
constexpr int64_t kGroupGapMs = 50;
constexpr int64_t kWriteEveryMs = 1000;
constexpr std::size_t kWriteAtBytes = 64 * 1024;
constexpr int kMostAttempts = 99;  // files of one second

int64_t SystemClockMs() { return QDateTime::currentMSecsSinceEpoch(); }

QString ErrorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

void AppendUtf8(std::string& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    for (char c : utf8) out += c == '\n' || c == '\r' ? ' ' : c;
}

}  // namespace

std::unique_ptr<FileTransferLog> FileTransferLog::InStateFolder() {
    return InFolder(TransferLogFolder(qEnvironmentVariable("XDG_STATE_HOME"), QDir::homePath()));
}

std::unique_ptr<FileTransferLog> FileTransferLog::InFolder(const QString& folder, int keep, Clock clock) {
    return std::unique_ptr<FileTransferLog>(new FileTransferLog(Place::Folder, folder, keep, std::move(clock)));
}

std::unique_ptr<FileTransferLog> FileTransferLog::AtPath(const QString& path, Clock clock) {
    return std::unique_ptr<FileTransferLog>(new FileTransferLog(Place::File, path, 0, std::move(clock)));
}

FileTransferLog::FileTransferLog(Place place, QString where, int keep, Clock clock)
    : place_(place),
      where_(std::move(where)),
      keep_(keep),
      clock_(clock ? std::move(clock) : Clock(SystemClockMs)) {}

FileTransferLog::~FileTransferLog() {
    if (begun_) End(QStringLiteral("nicht abgeschlossen (Programm beendet)"));
}

ssize_t FileTransferLog::WriteSome(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }

void FileTransferLog::OpenFile(int64_t now) {
    if (place_ == Place::File) {
        const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (appendNext_ ? O_APPEND : O_TRUNC);
        fd_ = ::open(QFile::encodeName(where_).constData(), flags, 0666);
        if (fd_ < 0) {
            problem_ = QStringLiteral("%1: %2").arg(where_, ErrorText(errno));
            return;
        }
        path_ = where_;
        return;
    }
    if (where_.isEmpty()) {
        problem_ = QStringLiteral("kein Ordner für Protokolle ($XDG_STATE_HOME und $HOME fehlen)");
        return;
    }
    if (!QDir().mkpath(where_)) {
        problem_ = QStringLiteral("Ordner %1 kann nicht angelegt werden").arg(where_);
        return;
    }
    const QDir dir(where_);
    for (const QString& old : TransferLogsToDelete(dir.entryList(QDir::Files | QDir::Hidden), keep_)) {
        QFile::remove(dir.filePath(old));
    }
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(now);
    for (int attempt = 1; attempt <= kMostAttempts; ++attempt) {
        const QString path = JoinPath(where_, TransferLogName(start, attempt));
        fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            path_ = path;
            return;
        }
        if (errno != EEXIST) {
            problem_ = QStringLiteral("%1: %2").arg(path, ErrorText(errno));
            return;
        }
    }
    problem_ = QStringLiteral("%1: zu viele Übertragungen in einer Sekunde").arg(where_);
}

void FileTransferLog::Begin(const QString& title) {
    if (begun_) End(QStringLiteral("nicht abgeschlossen (nächste Übertragung begonnen)"));
    begun_ = true;
    path_.clear();
    problem_.clear();
    buffer_.clear();
    lineOpen_ = false;
    lineDirection_ = Direction::None;
    const int64_t now = clock_();
    const bool afterEarlier = place_ == Place::File && appendNext_;
    OpenFile(now);
    if (fd_ < 0) return;
    appendNext_ = true;
    buffer_.reserve(kWriteAtBytes + 4096);
    if (afterEarlier) buffer_ += '\n';
    AppendUtf8(buffer_, QDateTime::fromMSecsSinceEpoch(now).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")));
    AppendUtf8(buffer_, title);
    buffer_ += '\n';
    Flush(now);
}

void FileTransferLog::StartLine(int64_t now) {
    if (lineOpen_) buffer_ += '\n';
    const int64_t second = now >= 0 ? now / 1000 : (now - 999) / 1000;
    if (second != cachedSecond_) {
        cachedSecond_ = second;
        cachedTime_ = QDateTime::fromMSecsSinceEpoch(second * 1000).toString(QStringLiteral("HH:mm:ss")).toStdString();
    }
    const int ms = static_cast<int>(now - second * 1000);
    buffer_ += cachedTime_;
    buffer_ += '.';
    buffer_ += static_cast<char>('0' + ms / 100);
    buffer_ += static_cast<char>('0' + ms / 10 % 10);
    buffer_ += static_cast<char>('0' + ms % 10);
    buffer_ += ' ';
    lineOpen_ = true;
    lineDirection_ = Direction::None;
}

void FileTransferLog::Bytes(Direction direction, QByteArrayView bytes) {
    if (fd_ < 0 || bytes.isEmpty()) return;
    static constexpr char kHex[] = "0123456789ABCDEF";
    const int64_t now = clock_();
    for (char c : bytes) {
        if (lineDirection_ != direction || lineBytes_ >= kBytesPerLine || now - lastByteMs_ >= kGroupGapMs) {
            StartLine(now);
            buffer_ += direction == Direction::Sent ? "→" : "←";
            lineDirection_ = direction;
            lineBytes_ = 0;
        }
        const auto b = static_cast<unsigned char>(c);
        buffer_ += ' ';
        buffer_ += kHex[b >> 4];
        buffer_ += kHex[b & 0x0F];
        ++lineBytes_;
        lastByteMs_ = now;
    }
    if (buffer_.size() >= kWriteAtBytes || now - lastFlushMs_ >= kWriteEveryMs) Flush(now);
}

void FileTransferLog::Sent(QByteArrayView bytes) { Bytes(Direction::Sent, bytes); }

void FileTransferLog::Received(QByteArrayView bytes) { Bytes(Direction::Received, bytes); }

void FileTransferLog::Note(const QString& line) {
    if (fd_ < 0) return;
    const int64_t now = clock_();
    StartLine(now);
    buffer_ += "· ";
    AppendUtf8(buffer_, line);
    buffer_ += '\n';
    lineOpen_ = false;
    Flush(now);
}

void FileTransferLog::End(const QString& outcome) {
    if (!begun_) return;
    begun_ = false;
    if (fd_ < 0) return;
    const int64_t now = clock_();
    StartLine(now);
    buffer_ += "Ende: ";
    AppendUtf8(buffer_, outcome);
    buffer_ += '\n';
    lineOpen_ = false;
    Flush(now);
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void FileTransferLog::Flush(int64_t now) {
    lastFlushMs_ = now;
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t written = WriteSome(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            Fail(written < 0 ? errno : ENOSPC);
            return;
        }
        done += static_cast<std::size_t>(written);
    }
    buffer_.clear();
}

void FileTransferLog::Fail(int error) {
    problem_ = QStringLiteral("%1: %2").arg(path_, ErrorText(error));
    ::close(fd_);
    fd_ = -1;
    // A file of the state folder is this log's own; half of it helps nobody. A file the user
    // named stays as far as it got.
    if (place_ == Place::Folder) ::unlink(QFile::encodeName(path_).constData());
    path_.clear();
    buffer_.clear();
    lineOpen_ = false;
}

}  // namespace vyper
