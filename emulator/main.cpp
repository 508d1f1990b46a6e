// vyper-emulator: an emulated Suunto Vyper/Cobra dive computer on a pseudo-terminal.

#include "core/Options.h"
#include "server/PtyServer.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <unistd.h>

namespace {

std::atomic<bool> g_stop{false};

extern "C" void onSignal(int) { g_stop.store(true); }

void dump(const vyemu::MemoryImage& memory, const std::vector<vyemu::Bytes>& dives)
{
    std::printf("memory 0..127:\n");
    for (std::size_t a = 0; a < 128; a += 16)
        std::printf("  %3zu: %s\n", a,
                    vyemu::hexText(vyemu::Bytes(memory.begin() + static_cast<std::ptrdiff_t>(a),
                                                memory.begin() + static_cast<std::ptrdiff_t>(a + 16)))
                        .c_str());
    for (std::size_t i = 0; i < dives.size(); ++i)
        std::printf("dive %zu (%zu bytes, in sending order): %s\n", i + 1, dives[i].size(),
                    vyemu::hexText(dives[i]).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vyemu;
    EmulatorOptions options;
    if (auto e = parseOptions(std::vector<std::string>(argv + 1, argv + argc), options)) {
        std::fprintf(stderr, "vyper-emulator: %s\n", e->c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    Scenario scenario;
    if (auto e = buildScenario(options, scenario)) {
        std::fprintf(stderr, "vyper-emulator: %s\n", e->c_str());
        return 2;
    }
    std::vector<Bytes> dives;
    for (const Dive& d : scenario.dives)
        dives.push_back(encodeDive(d));
    const MemoryImage memory = buildMemory(scenario.settings, scenario.dives);
    if (options.dump) {
        dump(memory, dives);
        return 0;
    }

    std::FILE* logFile = stderr;
    if (options.quiet) {
        logFile = nullptr;
    } else if (!options.logFile.empty()) {
        logFile = std::fopen(options.logFile.c_str(), "w");
        if (!logFile) {
            std::fprintf(stderr, "vyper-emulator: cannot write the log %s\n", options.logFile.c_str());
            return 2;
        }
    }

    std::string error;
    auto server = PtyServer::open(error);
    if (!server) {
        std::fprintf(stderr, "vyper-emulator: %s\n", error.c_str());
        return 1;
    }
    if (!options.pathFile.empty()) {
        std::ofstream f(options.pathFile);
        f << server->devicePath() << '\n';
        if (!f) {
            std::fprintf(stderr, "vyper-emulator: cannot write %s\n", options.pathFile.c_str());
            return 2;
        }
    }
    if (!options.link.empty()) {
        ::unlink(options.link.c_str());
        if (::symlink(server->devicePath().c_str(), options.link.c_str()) != 0) {
            std::fprintf(stderr, "vyper-emulator: cannot create the link %s\n", options.link.c_str());
            return 2;
        }
    }

    // The path goes to stdout last, so that a reader of stdout finds the file and link ready.
    std::printf("%s\n", server->devicePath().c_str());
    std::fflush(stdout);

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    SessionConfig sc;
    sc.echo = options.echo;
    sc.device.endOfMemory = options.endOfMemory;
    sc.device.shortPacketBytes = options.shortPacketBytes;
    sc.device.faults = options.faults;
    sc.device.faultsRepeat = options.faultsRepeat;
    sc.noiseBytes = options.noiseBytes;
    sc.noiseSeed = options.noiseSeed;
    Session session(memory, dives, sc);

    ServerConfig cfg;
    cfg.byteMs = byteMilliseconds(options.baud);
    cfg.latencyMs = options.latencyMs;
    cfg.gapMs = options.gapMs;
    cfg.noiseDelayMs = options.noiseDelayMs;
    cfg.pauseMs = options.pauseMs;
    cfg.maxSeconds = options.maxSeconds;
    cfg.maxCommands = options.maxCommands;
    cfg.jamAfterCommands = options.jamAfterCommands;
    cfg.jamSeed = options.noiseSeed;

    ConversationLog log(logFile);
    log.note("device " + server->devicePath() + ", " + std::to_string(dives.size()) + " dives, " +
             (options.echo ? "echo on" : "no echo") + ", end of memory: " +
             std::string(endOfMemoryName(options.endOfMemory)) +
             (options.baud > 0 ? ", " + std::to_string(options.baud) + " baud" : ", unpaced"));
    for (const Fault& f : options.faults)
        log.note("fault armed: " + describeFault(f));

    const ServeResult result = server->serve(session, cfg, log, g_stop);
    log.note(result == ServeResult::Vanished ? "exit: vanished"
             : result == ServeResult::Error  ? "exit: error"
                                             : "exit");
    if (!options.link.empty())
        ::unlink(options.link.c_str());
    if (logFile && logFile != stderr)
        std::fclose(logFile);
    return static_cast<int>(result);
}
