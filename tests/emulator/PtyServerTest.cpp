// The emulator on a real pseudo-terminal, talked to the way the program talks to a
// serial port: open the device, send a command, read the answer, close, reopen.

#include "core/Options.h"
#include "server/PtyServer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
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
Bytes readBytes(int fd, std::size_t n, int timeoutMs = kTimeoutMs)
{
    Bytes out;
    while (out.size() < n) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            break;
        std::uint8_t buffer[512];
        const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, n - out.size()));
        if (got <= 0)
            break;
        out.insert(out.end(), buffer, buffer + got);
    }
    return out;
}

Bytes expectedDiveAnswer(const Bytes& dive, std::uint8_t code)
{
    Bytes all;
    for (const Bytes& p : packetize(dive, code))
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

class ServerThread {
public:
    explicit ServerThread(SessionConfig config, std::vector<Dive> dives = defaultDives())
        : log_(nullptr)
    {
        std::string error;
        server_ = PtyServer::open(error);
        if (!server_)
            throw std::runtime_error(error);
        for (const Dive& d : dives)
            encoded_.push_back(encodeDive(d));
        memory_ = buildMemory(DeviceSettings{}, dives);
        session_ = std::make_unique<Session>(memory_, encoded_, std::move(config));
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
    const std::vector<Bytes>& dives() const { return encoded_; }
    const MemoryImage& memory() const { return memory_; }

private:
    std::unique_ptr<PtyServer> server_;
    std::vector<Bytes> encoded_;
    MemoryImage memory_{};
    std::unique_ptr<Session> session_;
    ConversationLog log_;
    std::atomic<bool> stop_{false};
    ServeResult result_ = ServeResult::Error;
    std::thread thread_;
};

TEST(PtyServer, SettingsReadAndDivesAcrossReopenedPorts)
{
    ServerThread server(SessionConfig{});

    // Settings read: four memory reads on one opening of the port.
    int fd = openPort(server.path());
    ASSERT_GE(fd, 0);
    for (std::uint8_t address : {0, 32, 64, 96}) {
        writeBytes(fd, {0x05, 0x00, address, 0x20, static_cast<std::uint8_t>(0x05 ^ address ^ 0x20)});
        EXPECT_EQ(readBytes(fd, 37), memoryAnswer(server.memory(), address, 32)) << int(address);
    }
    ::close(fd);

    // Each dive on a port opened afresh, as separate transfers would.
    for (std::size_t i = 0; i < 2; ++i) {
        fd = openPort(server.path());
        ASSERT_GE(fd, 0);
        const std::uint8_t code = i == 0 ? 0x08 : 0x09;
        writeBytes(fd, {code, 0xA5, static_cast<std::uint8_t>(code ^ 0xA5)});
        const Bytes expected = expectedDiveAnswer(server.dives()[i], code);
        EXPECT_EQ(readBytes(fd, expected.size()), expected) << "dive " << i + 1;
        ::close(fd);
    }
    EXPECT_EQ(server.finish(), ServeResult::Stopped);
}

TEST(PtyServer, VanishingDeviceClosesThePseudoTerminal)
{
    SessionConfig cfg;
    cfg.device.faults = {Fault{FaultKind::Vanish, Target{Target::Kind::Dive, 1}, 20}};
    ServerThread server(cfg);
    const int fd = openPort(server.path());
    ASSERT_GE(fd, 0);
    writeBytes(fd, {0x08, 0xA5, 0xAD});
    const Bytes expected = expectedDiveAnswer(server.dives()[0], 0x08);
    EXPECT_EQ(readBytes(fd, 20), Bytes(expected.begin(), expected.begin() + 20));
    EXPECT_EQ(server.finish(), ServeResult::Vanished);
    // The line is dead: reading ends at once instead of waiting.
    std::uint8_t b = 0;
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, kTimeoutMs), 1);
    EXPECT_LE(::read(fd, &b, 1), 0);
    ::close(fd);
}

#ifdef VYPER_EMULATOR_EXE
TEST(EmulatorProgram, PrintsItsDeviceAndServesUntilTerminated)
{
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const std::string pathFile = ::testing::TempDir() + "vyper-emulator-path.txt";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        const std::string pf = "--path-file=" + pathFile;
        ::execl(VYPER_EMULATOR_EXE, VYPER_EMULATOR_EXE, "--fast", "--quiet", "--echo", pf.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    struct KillOnExit {
        pid_t pid;
        ~KillOnExit()
        {
            if (pid > 0) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
            }
        }
    } guard{child};
    std::string line;
    char c = 0;
    pollfd p{out[0], POLLIN, 0};
    while (::poll(&p, 1, kTimeoutMs) == 1 && ::read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    ::close(out[0]);
    ASSERT_EQ(line.rfind("/dev/", 0), 0u) << line;

    std::FILE* f = std::fopen(pathFile.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char fromFile[256] = {};
    ASSERT_NE(std::fgets(fromFile, sizeof fromFile, f), nullptr);
    std::fclose(f);
    EXPECT_EQ(std::string(fromFile), line + "\n");

    const int fd = openPort(line);
    ASSERT_GE(fd, 0);
    writeBytes(fd, {0x05, 0x00, 0x60, 0x20, 0x45});
    const Bytes got = readBytes(fd, 5 + 37);  // the echo, then the answer
    ASSERT_EQ(got.size(), 42u);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 5), (Bytes{0x05, 0x00, 0x60, 0x20, 0x45}));
    EXPECT_EQ(got[5 + 4 + 2], 1);  // address 98: metric
    EXPECT_EQ(got.back(), xorOf(got, 5, got.size() - 1));
    ::close(fd);
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    guard.pid = 0;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::remove(pathFile.c_str());
}
#endif

}  // namespace
}  // namespace vyemu
