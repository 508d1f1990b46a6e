#pragma once

#include "core/Device.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace vyemu {

// Writes the conversation with a timestamp (seconds since start) and a direction:
//   [   1.234] <- 08 A5 AD          bytes received from the program
//   [   1.290] -> 08 20 ... (...)   bytes sent to the program
//   [   1.234]    command: ...      what the emulator made of it
class ConversationLog {
public:
    explicit ConversationLog(std::FILE* out) : out_(out) {}
    void line(const char* direction, const std::string& text);
    void received(const Bytes& bytes);
    void sent(const Bytes& bytes, const std::string& what);
    void note(const std::string& text) { line("  ", text); }

private:
    std::FILE* out_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

struct ServerConfig {
    double byteMs = 0;      // line time of one byte; 0 = unpaced
    int latencyMs = 0;      // before an answer
    int gapMs = 0;          // between answer packets
    int noiseDelayMs = 0;   // before the noise after an exchange
    int pauseMs = 500;      // a half-received command is dropped after this pause
    double maxSeconds = 0;  // 0 = unlimited
    long maxCommands = 0;   // 0 = unlimited
    long jamAfterCommands = -1;    // from then on endless noise, nothing heard; -1 = never
    std::uint32_t jamSeed = 1;     // seed of that noise
};

enum class ServeResult { Stopped = 0, Error = 1, Vanished = 3 };

// The emulator's end of a pseudo-terminal. It keeps the device side open itself, so
// the program can open, close and reopen the device between transfers without the
// emulator seeing a hang-up.
class PtyServer {
public:
    static std::unique_ptr<PtyServer> open(std::string& error);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    const std::string& devicePath() const { return path_; }

    // Serves until `stop` becomes true, a limit is reached, or the device vanishes.
    ServeResult serve(Session& session, const ServerConfig& config, ConversationLog& log,
                      const std::atomic<bool>& stop);

private:
    PtyServer() = default;
    bool writeAll(const std::uint8_t* data, std::size_t size, const std::atomic<bool>& stop);
    bool sleepUntil(std::chrono::steady_clock::time_point when, const std::atomic<bool>& stop);
    void checkPortMode(ConversationLog& log);
    void closeAll();

    int master_ = -1;
    int device_ = -1;
    std::string path_;
    std::string lastPortMode_;
};

}  // namespace vyemu
