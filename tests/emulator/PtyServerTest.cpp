// The emulator on a real pseudo-terminal, talked to the way the program talks to a
// serial port: open the device, send a command, read the answer, close, reopen.

#include "server/PtyServer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace vyemu {
namespace {

constexpr int kTimeoutMs = 5000;  // only guards against hanging; nothing is timed

int openPort(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

void writeBytes(int fd, const Bytes& bytes)
{
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// Reads exactly n bytes, or fewer when the line stays quiet for the timeout.
Bytes readBytes(int fd, std::size_t n)
{
    Bytes out;
    while (out.size() < n) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kTimeoutMs) <= 0)
            break;
        std::uint8_t buffer[512];
        const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, n - out.size()));
        if (got <= 0)
            break;
        out.insert(out.end(), buffer, buffer + got);
    }
    return out;
}

// The emulator with its built-in dives, serving on a thread of its own until the end.
class ServerThread {
public:
    ServerThread()
    {
        std::string error;
        server_ = PtyServer::open(error);
        if (!server_)
            throw std::runtime_error(error);
        for (const Dive& d : defaultDives())
            dives.push_back(encodeDive(d));
        memory = buildMemory(DeviceSettings{}, defaultDives());
        session_ = std::make_unique<Session>(memory, dives, SessionConfig{});
        thread_ = std::thread([this] { result_ = server_->serve(*session_, ServerConfig{}, log_, stop_); });
    }
    ~ServerThread() { finish(); }
    ServeResult finish()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return result_;
    }
    const std::string& path() const { return server_->devicePath(); }
    std::vector<Bytes> dives;
    MemoryImage memory{};

private:
    std::unique_ptr<PtyServer> server_;
    std::unique_ptr<Session> session_;
    ConversationLog log_{nullptr};
    std::atomic<bool> stop_{false};
    ServeResult result_ = ServeResult::Error;
    std::thread thread_;
};

TEST(PtyServer, SettingsReadAndDivesAcrossReopenedPorts)
{
    ServerThread server;

    // Settings read: four memory reads on one opening of the port.
    int fd = openPort(server.path());
    ASSERT_GE(fd, 0);
    for (std::uint8_t address : {0, 32, 64, 96}) {
        writeBytes(fd, {0x05, 0x00, address, 0x20, static_cast<std::uint8_t>(0x05 ^ address ^ 0x20)});
        EXPECT_EQ(readBytes(fd, 37), memoryAnswer(server.memory, address, 32)) << int(address);
    }
    ::close(fd);

    // Each dive on a port opened afresh, as separate transfers would.
    for (std::size_t i = 0; i < 2; ++i) {
        fd = openPort(server.path());
        ASSERT_GE(fd, 0);
        const std::uint8_t code = i == 0 ? 0x08 : 0x09;
        writeBytes(fd, {code, 0xA5, static_cast<std::uint8_t>(code ^ 0xA5)});
        Bytes expected;
        for (const Bytes& p : packetize(server.dives[i], code))
            expected.insert(expected.end(), p.begin(), p.end());
        EXPECT_EQ(readBytes(fd, expected.size()), expected) << "dive " << i + 1;
        ::close(fd);
    }
    EXPECT_EQ(server.finish(), ServeResult::Stopped);
}

}  // namespace
}  // namespace vyemu
