#include "PtyServer.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <optional>
#include <thread>
#include <unistd.h>

namespace vyemu {

using Clock = std::chrono::steady_clock;

namespace {

Clock::duration millis(double ms)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(ms));
}

}  // namespace

void ConversationLog::line(const char* direction, const std::string& text)
{
    if (!out_)
        return;
    const double t = std::chrono::duration<double>(Clock::now() - start_).count();
    std::fprintf(out_, "[%9.3f] %s %s\n", t, direction, text.c_str());
    std::fflush(out_);
}

void ConversationLog::received(const Bytes& bytes) { line("<-", hexText(bytes)); }

void ConversationLog::sent(const Bytes& bytes, const std::string& what)
{
    line("->", hexText(bytes) + (what.empty() ? "" : "  (" + what + ")"));
}

std::unique_ptr<PtyServer> PtyServer::open(std::string& error)
{
    std::unique_ptr<PtyServer> s(new PtyServer);
    s->master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (s->master_ < 0) {
        error = std::string("posix_openpt: ") + std::strerror(errno);
        return nullptr;
    }
    char name[256];
    if (grantpt(s->master_) != 0 || unlockpt(s->master_) != 0 ||
        ptsname_r(s->master_, name, sizeof name) != 0) {
        error = std::string("pseudo-terminal set-up: ") + std::strerror(errno);
        return nullptr;
    }
    s->path_ = name;
    s->device_ = ::open(name, O_RDWR | O_NOCTTY);
    if (s->device_ < 0) {
        error = s->path_ + ": " + std::strerror(errno);
        return nullptr;
    }
    // Raw 2400 baud 8O1, like the dive computer's line; the program sets its own mode.
    termios t{};
    if (tcgetattr(s->device_, &t) == 0) {
        cfmakeraw(&t);
        cfsetispeed(&t, B2400);
        cfsetospeed(&t, B2400);
        t.c_cflag |= CLOCAL | CREAD | PARENB | PARODD;
        t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
        tcsetattr(s->device_, TCSANOW, &t);
    }
    const int flags = fcntl(s->master_, F_GETFL);
    if (flags < 0 || fcntl(s->master_, F_SETFL, flags | O_NONBLOCK) < 0) {
        error = std::string("fcntl: ") + std::strerror(errno);
        return nullptr;
    }
    return s;
}

PtyServer::~PtyServer() { closeAll(); }

void PtyServer::closeAll()
{
    if (master_ >= 0)
        ::close(master_);
    if (device_ >= 0)
        ::close(device_);
    master_ = device_ = -1;
}

bool PtyServer::sleepUntil(Clock::time_point when, const std::atomic<bool>& stop)
{
    while (!stop.load()) {
        const auto now = Clock::now();
        if (now >= when)
            return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(when - now, std::chrono::milliseconds(50)));
    }
    return false;
}

bool PtyServer::writeAll(const std::uint8_t* data, std::size_t size, const std::atomic<bool>& stop)
{
    while (size > 0) {
        const ssize_t n = ::write(master_, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (stop.load())
            return false;
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, 100);  // nobody reads the device right now: wait for room
    }
    return true;
}

void PtyServer::checkPortMode(ConversationLog& log)
{
    termios t{};
    if (device_ < 0 || tcgetattr(device_, &t) != 0)
        return;
    std::string mode;
    const speed_t speed = cfgetispeed(&t);
    mode += speed == B2400 ? "2400 baud" : "not 2400 baud";
    mode += (t.c_cflag & CSIZE) == CS8 ? ", 8 data bits" : ", not 8 data bits";
    mode += (t.c_cflag & PARENB) ? ((t.c_cflag & PARODD) ? ", odd parity" : ", even parity")
                                 : ", no parity";
    const bool raw = !(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) &&
                     !(t.c_iflag & (ICRNL | INLCR | IGNCR | IXON | ISTRIP)) && !(t.c_oflag & OPOST);
    mode += raw ? ", raw" : ", NOT raw (bytes may be changed or echoed by the terminal layer)";
    if (mode != lastPortMode_) {
        lastPortMode_ = mode;
        log.note("port settings: " + mode);
    }
}

ServeResult PtyServer::serve(Session& session, const ServerConfig& cfg, ConversationLog& log,
                             const std::atomic<bool>& stop)
{
    const auto started = Clock::now();
    auto lastByte = started;
    bool partial = false;  // a command has been begun but not completed
    long commands = 0;
    std::uint8_t buffer[512];

    // Sends an answer; a result means the serving ends.
    auto sendAnswer = [&](const Transmission& t) -> std::optional<ServeResult> {
        for (const std::string& n : t.notes)
            log.note("fault: " + n);
        auto next = Clock::now() + millis(cfg.latencyMs);
        if (!sleepUntil(next, stop))
            return ServeResult::Stopped;
        std::size_t sent = 0;
        for (std::size_t k = 0; k < t.packets.size(); ++k) {
            const Bytes& p = t.packets[k];
            if (t.vanishAfter && sent >= *t.vanishAfter)
                break;
            if (k > 0 && cfg.gapMs > 0) {
                next = std::max(next, Clock::now()) + millis(cfg.gapMs);
                if (!sleepUntil(next, stop))
                    return ServeResult::Stopped;
            }
            std::size_t limit = p.size();
            if (t.vanishAfter)
                limit = std::min(limit, *t.vanishAfter - sent);
            if (cfg.byteMs <= 0) {
                if (!writeAll(p.data(), limit, stop))
                    return stop.load() ? ServeResult::Stopped : ServeResult::Error;
            } else {
                next = std::max(next, Clock::now());
                for (std::size_t i = 0; i < limit; ++i) {
                    if (!sleepUntil(next, stop) || !writeAll(&p[i], 1, stop))
                        return stop.load() ? ServeResult::Stopped : ServeResult::Error;
                    next += millis(cfg.byteMs);
                }
            }
            sent += limit;
            log.sent(Bytes(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(limit)),
                     t.what + ", packet " + std::to_string(k + 1) + "/" +
                         std::to_string(t.packets.size()) + (limit < p.size() ? ", cut" : ""));
        }
        if (t.vanishAfter && sent >= *t.vanishAfter) {
            if (cfg.byteMs > 0)
                sleepUntil(next, stop);  // let the last byte leave the line
            // Bytes already on the line still reach the program: closing the pseudo-terminal
            // would throw away what it has not read yet. Wait a moment for it to read them.
            // (The terminal layer passes written bytes on with a short delay, hence the
            // first pause before the device side's input queue is looked at.)
            const auto giveUp = Clock::now() + std::chrono::seconds(2);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            int waiting = 0;
            while (device_ >= 0 && ::ioctl(device_, TIOCINQ, &waiting) == 0 && waiting > 0 &&
                   Clock::now() < giveUp && !stop.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            log.note("the device vanishes: pseudo-terminal closed");
            closeAll();
            return ServeResult::Vanished;
        }
        return std::nullopt;
    };

    auto sendNoise = [&](const Bytes& noise) -> bool {
        if (!sleepUntil(Clock::now() + millis(cfg.noiseDelayMs), stop))
            return false;
        auto next = Clock::now();
        for (std::uint8_t b : noise) {
            if (!sleepUntil(next, stop) || !writeAll(&b, 1, stop))
                return false;
            next += millis(cfg.byteMs);
        }
        log.sent(noise, "noise");
        return true;
    };

    // A jammed line: noise without a pause, one byte per byte time, and the device hears
    // nothing of what the program sends (a loose plug, an adapter with a floating input).
    std::uint32_t jamState = cfg.jamSeed;
    std::size_t jamBytes = 0;
    auto jammed = [&] { return cfg.jamAfterCommands >= 0 && commands >= cfg.jamAfterCommands; };
    auto jam = [&]() -> bool {
        if (jamBytes == 0)
            log.note("the line is jammed: noise without a pause from now on");
        const Bytes noise = noiseBytes(1, jamState);
        if (!writeAll(noise.data(), 1, stop))
            return false;
        if (++jamBytes % 1000 == 0)
            log.note(std::to_string(jamBytes) + " noise bytes sent");
        return true;
    };

    while (!stop.load()) {
        const auto now = Clock::now();
        if (cfg.maxSeconds > 0 && now - started >= millis(cfg.maxSeconds * 1000.0)) {
            log.note("time limit reached");
            return ServeResult::Stopped;
        }
        if (partial && now - lastByte >= millis(cfg.pauseMs)) {
            for (const std::string& l : session.linePause())
                log.note(l);
            partial = false;
        }
        pollfd p{master_, POLLIN, 0};
        const bool jamming = jammed();
        const int rc = ::poll(&p, 1, jamming ? std::max(1, static_cast<int>(cfg.byteMs)) : 50);
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            log.note(std::string("poll: ") + std::strerror(errno));
            return ServeResult::Error;
        }
        if (rc == 0) {
            if (jamming && !jam())
                return stop.load() ? ServeResult::Stopped : ServeResult::Error;
            continue;
        }
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
                log.note(std::string("read: ") + std::strerror(errno));
                return ServeResult::Error;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        const auto arrived = Clock::now();
        if (partial && arrived - lastByte >= millis(cfg.pauseMs)) {
            for (const std::string& l : session.linePause())
                log.note(l);
        }
        lastByte = arrived;
        log.received(Bytes(buffer, buffer + n));
        if (jamming)
            continue;  // drowned in the noise: the device never hears it

        Bytes echoed;
        auto flushEcho = [&] {
            if (!echoed.empty()) {
                log.sent(echoed, "echo");
                echoed.clear();
            }
        };
        for (ssize_t i = 0; i < n; ++i) {
            Reaction r = session.receive(buffer[i]);
            if (!r.echo.empty()) {
                if (!writeAll(r.echo.data(), r.echo.size(), stop))
                    return stop.load() ? ServeResult::Stopped : ServeResult::Error;
                echoed.insert(echoed.end(), r.echo.begin(), r.echo.end());
            }
            for (const std::string& l : r.log)
                log.note(l);
            if (r.command) {
                flushEcho();
                checkPortMode(log);
                ++commands;
            }
            if (r.answer) {
                if (const auto end = sendAnswer(*r.answer))
                    return *end;
            }
            if (!r.noise.empty() && !sendNoise(r.noise))
                return stop.load() ? ServeResult::Stopped : ServeResult::Error;
            if (cfg.maxCommands > 0 && r.command && commands >= cfg.maxCommands) {
                flushEcho();
                log.note("command limit reached");
                return ServeResult::Stopped;
            }
        }
        flushEcho();
        partial = !session.parserIdle();
    }
    return ServeResult::Stopped;
}

}  // namespace vyemu
