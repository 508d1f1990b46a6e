#include "support/Pty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace vyper::testing {

Pty::Pty() {
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master_, &slaveKeeper_, name, &raw, nullptr) != 0) throw std::runtime_error("openpty failed");
    // The slave stays open here too, so the master never sees a hang-up between opens.
    slavePath_ = QString::fromLocal8Bit(name);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

Pty::~Pty() {
    CloseMaster();
    if (slaveKeeper_ >= 0) ::close(slaveKeeper_);
}

void Pty::Write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else {
            pollfd p{master_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        }
    }
}

QByteArray Pty::Read(int count, int timeoutMs) {
    QByteArray out;
    int waited = 0;
    while (out.size() < count && waited <= timeoutMs) {
        char buffer[256];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, n);
            continue;
        }
        pollfd p{master_, POLLIN, 0};
        ::poll(&p, 1, 10);
        waited += 10;
    }
    return out;
}

void Pty::CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

}  // namespace vyper::testing
