#include "platform/PosixSerialControl.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace vyper {

namespace {

// How long the reader gathers bytes after the first one before it passes them on.
constexpr int kGatherMs = 15;

speed_t SpeedFor(int baud) {
    switch (baud) {
    case 300: return B300;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return 0;
    }
}

QString SystemText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// Another program may announce its use of the port by a UUCP lock file holding its pid.
bool HeldByLockFile(const QString& devicePath) {
    const QString name = QFileInfo(devicePath).fileName();
    for (const char* dir : {"/run/lock", "/var/lock"}) {
        QFile lock(QString::fromLatin1(dir) + QStringLiteral("/LCK..") + name);
        if (!lock.open(QIODevice::ReadOnly)) continue;
        const long pid = LockFileOwner(lock.readAll());
        if (pid > 0 && pid != static_cast<long>(getpid()) &&
            (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)) {
            return true;
        }
    }
    return false;
}

// Unix98 pseudo-terminal slaves have the major device numbers 136 to 143.
bool IsPseudoTerminal(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    return major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

}  // namespace

long LockFileOwner(const QByteArray& contents) {
    const QList<QByteArray> fields = contents.simplified().split(' ');
    bool ok = false;
    const long pid = fields.value(0).toLong(&ok);
    return ok && pid > 0 ? pid : 0;
}

PosixSerialControl::PosixSerialControl(PathForPort pathForPort)
    : pathForPort_(std::move(pathForPort)), notifier_(new QObject) {}

PosixSerialControl::~PosixSerialControl() {
    CloseDevice();
    delete notifier_;
}

void PosixSerialControl::OpenDevice() {
    const QString path = DevicePath();
    const QByteArray native = QFile::encodeName(path);
    if (HeldByLockFile(path)) {
        throw SerialFailure(SerialFailureKind::PortBusy, path, QStringLiteral("Gerät belegt: %1").arg(path));
    }
    const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        SerialFailureKind kind = SerialFailureKind::Other;
        if (err == ENOENT || err == ENXIO || err == ENODEV) kind = SerialFailureKind::PortMissing;
        else if (err == EACCES || err == EPERM || err == EROFS) kind = SerialFailureKind::NoPermission;
        else if (err == EBUSY) kind = SerialFailureKind::PortBusy;
        throw SerialFailure(kind, path, QStringLiteral("%1: %2").arg(path, SystemText(err)));
    }
    auto fail = [&](SerialFailureKind kind, const QString& text) {
        ::close(fd);
        throw SerialFailure(kind, path, text);
    };
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        fail(SerialFailureKind::PortBusy, QStringLiteral("Gerät belegt: %1").arg(path));
    }
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        fail(SerialFailureKind::Other, QStringLiteral("%1 ist keine serielle Schnittstelle.").arg(path));
    }
    // Ask the system to refuse further opens of the device while we hold it.
    ioctl(fd, TIOCEXCL);
    cfmakeraw(&tio);
    const speed_t speed = SpeedFor(line_.baud);
    if (speed == 0) fail(SerialFailureKind::Other, QStringLiteral("Baudrate %1 wird nicht unterstützt.").arg(line_.baud));
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag |= line_.dataBits == 5 ? CS5 : line_.dataBits == 6 ? CS6 : line_.dataBits == 7 ? CS7 : CS8;
    if (line_.parity == 'o') tio.c_cflag |= PARENB | PARODD;
    if (line_.parity == 'e') tio.c_cflag |= PARENB;
    if (line_.stopBits == 2) tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    int applied = tcsetattr(fd, TCSANOW, &tio);
    if (applied != 0 && errno == EINVAL && IsPseudoTerminal(fd)) {
        // A pseudo-terminal has no parity; the C library may then report the settings as refused.
        tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
        applied = tcsetattr(fd, TCSANOW, &tio);
    }
    if (applied != 0) {
        fail(SerialFailureKind::Other, QStringLiteral("%1: %2").arg(path, SystemText(errno)));
    }
    tcflush(fd, TCIOFLUSH);
    if (pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        fail(SerialFailureKind::Other, QStringLiteral("%1: %2").arg(path, SystemText(errno)));
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.clear();
    }
    fd_ = fd;
    stop_ = false;
    hungUp_ = false;
    reader_ = std::thread([this] { ReaderLoop(); });
}

void PosixSerialControl::CloseDevice() {
    if (fd_ < 0) return;
    stop_ = true;
    const char wake = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakePipe_[1], &wake, 1);
    if (reader_.joinable()) reader_.join();
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    wakePipe_[0] = wakePipe_[1] = -1;
    ioctl(fd_, TIOCNXCL);
    flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
}

void PosixSerialControl::ApplyModemLines() {
    if (fd_ < 0) return;
    // Pseudo-terminals and some adapters have no modem lines; their refusal is no failure.
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    ioctl(fd_, DTREnable() ? TIOCMBIS : TIOCMBIC, &dtr);
    ioctl(fd_, RTSEnable() ? TIOCMBIS : TIOCMBIC, &rts);
}

int PosixSerialControl::PullFromDeviceLocked() {
    if (fd_ < 0 || hungUp_) return 0;
    int added = 0;
    unsigned char chunk[512];
    for (;;) {
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) {
            for (ssize_t i = 0; i < n; ++i) {
                // A full receive queue drops further bytes, as a real overrun would.
                if (static_cast<int>(queue_.size()) < InBufferSize()) {
                    queue_.push_back(chunk[i]);
                    ++added;
                }
            }
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) break;
        if (n == 0) {
            // With VMIN and VTIME 0 a terminal answers "nothing waits" with 0, not EAGAIN;
            // only a hang-up reported by poll means the device went away.
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 0) >= 0 && !(p.revents & (POLLHUP | POLLERR | POLLNVAL))) break;
        }
        // A hang-up or an I/O error: the device went away (a closed pseudo-terminal, an unplugged cable).
        hungUp_ = true;
        break;
    }
    return added;
}

void PosixSerialControl::PostReceiveEvents(int count) {
    // One receive event per byte, as the receive threshold of 1 asks for.
    for (int i = 0; i < count; ++i) {
        QMetaObject::invokeMethod(
            notifier_, [this] { if (OnComm) OnComm(); }, Qt::QueuedConnection);
    }
}

void PosixSerialControl::ReaderLoop() {
    while (!stop_) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        const int nfds = hungUp_ ? 1 : 2;
        pollfd* watched = hungUp_ ? &fds[1] : fds;
        const int r = ::poll(watched, static_cast<nfds_t>(nfds), -1);
        if (r < 0 && errno != EINTR) break;
        if (stop_) break;
        if (!hungUp_ && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            // At 2400 baud a byte comes every 4.6 ms: gathering a few before waking the
            // window's thread saves most of its wake-ups. The count asked for by the window
            // reads the device itself, so it never lags behind.
            std::this_thread::sleep_for(std::chrono::milliseconds(kGatherMs));
            if (stop_) break;
            int added = 0;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                added = PullFromDeviceLocked();
            }
            PostReceiveEvents(added);
        }
    }
}

int PosixSerialControl::InBufferCount() {
    if (fd_ < 0) return 0;
    // Nothing new in the device: one cheap look instead of a read and a poll. (The reader
    // thread notices a hang-up by itself.)
    int arrived = 0;
    if (!hungUp_ && ::ioctl(fd_, FIONREAD, &arrived) == 0 && arrived == 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<int>(queue_.size());
    }
    int added = 0;
    int size = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        added = PullFromDeviceLocked();
        size = static_cast<int>(queue_.size());
    }
    PostReceiveEvents(added);
    return size;
}

QByteArray PosixSerialControl::Input() {
    if (fd_ < 0) {
        throw SerialFailure(SerialFailureKind::NotOpen, DevicePath(),
                            QStringLiteral("Die Schnittstelle ist nicht geöffnet."));
    }
    QByteArray out;
    int added = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        added = PullFromDeviceLocked();
        const int take = InputLen() <= 0 ? static_cast<int>(queue_.size())
                                         : std::min(InputLen(), static_cast<int>(queue_.size()));
        out.reserve(take);
        for (int i = 0; i < take; ++i) {
            out.append(static_cast<char>(queue_.front()));
            queue_.pop_front();
        }
    }
    // Every byte that enters the queue is announced, also the ones this read found.
    PostReceiveEvents(added);
    return out;
}

void PosixSerialControl::Output(const QByteArray& bytes) {
    if (fd_ < 0) {
        throw SerialFailure(SerialFailureKind::NotOpen, DevicePath(),
                            QStringLiteral("Die Schnittstelle ist nicht geöffnet."));
    }
    if (hungUp_) {
        throw SerialFailure(SerialFailureKind::DeviceLost, DevicePath(),
                            QStringLiteral("%1: Verbindung unterbrochen").arg(DevicePath()));
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, 1000) > 0) continue;
        }
        const int err = n < 0 ? errno : EIO;
        // These mean that the device itself is gone, not that one write went wrong.
        const bool gone = err == EIO || err == ENXIO || err == ENODEV || err == EPIPE;
        if (gone) hungUp_ = true;
        throw SerialFailure(gone ? SerialFailureKind::DeviceLost : SerialFailureKind::Other, DevicePath(),
                            QStringLiteral("%1: %2").arg(DevicePath(), SystemText(err)));
    }
}

bool PosixSerialControl::DeviceLost() {
    if (fd_ < 0) return false;
    int added = 0;
    {
        // Look now as well: the reader thread may still be asleep in its poll.
        std::lock_guard<std::mutex> lock(mutex_);
        added = PullFromDeviceLocked();
    }
    PostReceiveEvents(added);
    return hungUp_;
}

}  // namespace vyper
