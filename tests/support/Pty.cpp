#include "support/Pty.h"

#include <fcntl.h>
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
    if (master_ >= 0) ::close(master_);
    if (slaveKeeper_ >= 0) ::close(slaveKeeper_);
}

void Pty::Write(const QByteArray& bytes) {
    // A few bytes always fit into the terminal's buffer.
    if (::write(master_, bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size()) {
        throw std::runtime_error("write to the pseudo-terminal failed");
    }
}

}  // namespace vyper::testing
