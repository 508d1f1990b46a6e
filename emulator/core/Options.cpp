#include "Options.h"

#include <algorithm>
#include <charconv>

namespace vyemu {

namespace {

bool toLong(const std::string& s, long low, long high, long& out)
{
    if (s.empty() || s.size() > 12)
        return false;
    long v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || v < low || v > high)
        return false;
    out = v;
    return true;
}

}  // namespace

double byteMilliseconds(int baud) { return baud > 0 ? 11000.0 / baud : 0.0; }

std::string usageText()
{
    return R"(vyper-emulator: an emulated Suunto Vyper/Cobra dive computer on a pseudo-terminal.

The first line on stdout is the device path of the pseudo-terminal (e.g. /dev/pts/5).
The emulator serves until SIGINT/SIGTERM or a limit below.

Memory contents:
  --dives=default|large|none  built-in dive set (default: 5 dives; large: 48 dives, >8 KB)
  --data=FILE                 dives (and settings) from a data file (see README.md)
  --dump                      print the memory image and every dive's bytes, then exit

Line:
  --echo                      self-built interface: every received byte is sent back at once
  --baud=N                    pace the answers at N baud, 11 bits a byte (default 2400; 0 = unpaced)
  --latency=MS                pause between a command and its answer (default 50)
  --gap=MS                    pause between two answer packets (default 10)
  --fast                      no pacing, latency or gap (same as --baud=0 --latency=0 --gap=0)
  --pause=MS                  a command not completed within MS is dropped (default 500)
  --end=silent|empty|short[:N]
                              answer after the oldest dive (default silent; short: N=1..15 bytes)

Faults (TARGET is a dive number, 1 = newest, or mADDR for the memory read at ADDR;
each fault hits the first matching answer only unless --faults-repeat is given;
options may be repeated):
  --bad-checksum=TARGET[:PACKET]  wrong checksum in packet PACKET (default 1)
  --drop-byte=TARGET[:INDEX]      leave out answer byte INDEX, 0 = first (default 10)
  --cut=TARGET:BYTES              stop the answer after BYTES bytes
  --silent=TARGET[:COUNT]         no answer to the first COUNT requests (default 1);
                                  the dive pointer does not move
  --vanish=TARGET[:BYTES]         close the pseudo-terminal after BYTES answer bytes (default 40)
                                  and exit with status 3
  --overlong=DIVE[:BYTES]         send the dive padded to BYTES payload bytes (default 8320, >8193)
  --faults-repeat                 faults hit every matching answer
  --noise=COUNT                   COUNT random bytes on the line after every exchange
  --noise-seed=N                  seed of the noise bytes (default 1)
  --noise-delay=MS                pause between an answer and its noise (default 30)
  --jam=N                         after N answered commands the line carries noise without
                                  a pause (a loose plug); the device hears nothing more

Running:
  --log=FILE                  write the conversation log to FILE instead of stderr
  --quiet                     no log
  --path-file=FILE            also write the device path (and a newline) to FILE
  --link=PATH                 create a symbolic link PATH to the device (removed at exit)
  --max-seconds=S             exit after S seconds
  --max-commands=N            exit after N recognised commands (once their answers are sent)
  --help                      this text
)";
}

std::optional<std::string> parseOptions(const std::vector<std::string>& args, EmulatorOptions& out)
{
    EmulatorOptions o;
    const std::vector<std::string> flags{"--echo", "--fast", "--faults-repeat", "--quiet", "--dump",
                                         "--help", "-h"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = name.find('='); eq != std::string::npos && name.rfind("--", 0) == 0) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        const bool isFlag = std::find(flags.begin(), flags.end(), name) != flags.end();
        if (isFlag) {
            if (hasValue)
                return name + " takes no value";
        } else if (!hasValue) {
            if (name.rfind("--", 0) != 0)
                return "unexpected argument '" + name + "'";
            if (i + 1 >= args.size())
                return name + " needs a value";
            value = args[++i];
        }
        long n = 0;
        auto number = [&](long low, long high) -> std::optional<std::string> {
            if (!toLong(value, low, high, n))
                return name + " needs a whole number in " + std::to_string(low) + ".." +
                       std::to_string(high) + ", not '" + value + "'";
            return std::nullopt;
        };
        auto fault = [&](FaultKind kind) -> std::optional<std::string> {
            Fault f;
            if (auto e = parseFault(kind, value, f))
                return name + ": " + *e;
            o.faults.push_back(f);
            return std::nullopt;
        };
        std::optional<std::string> error;
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--echo") {
            o.echo = true;
        } else if (name == "--fast") {
            o.fast = true;
        } else if (name == "--faults-repeat") {
            o.faultsRepeat = true;
        } else if (name == "--quiet") {
            o.quiet = true;
        } else if (name == "--dump") {
            o.dump = true;
        } else if (name == "--dives") {
            if (value != "default" && value != "large" && value != "none")
                error = "--dives must be default, large or none";
            o.diveSet = value;
        } else if (name == "--data") {
            if (value.empty())
                error = "--data needs a file name";
            o.dataFile = value;
        } else if (name == "--baud") {
            error = number(0, 1000000);
            o.baud = static_cast<int>(n);
        } else if (name == "--latency") {
            error = number(0, 60000);
            o.latencyMs = static_cast<int>(n);
        } else if (name == "--gap") {
            error = number(0, 60000);
            o.gapMs = static_cast<int>(n);
        } else if (name == "--pause") {
            error = number(1, 600000);
            o.pauseMs = static_cast<int>(n);
        } else if (name == "--end") {
            std::string mode = value;
            if (const auto colon = value.find(':'); colon != std::string::npos) {
                mode = value.substr(0, colon);
                if (mode != "short" || !toLong(value.substr(colon + 1), 1, 15, n))
                    error = "--end=short:N needs N in 1..15";
                else
                    o.shortPacketBytes = static_cast<int>(n);
            }
            if (auto m = endOfMemoryFromName(mode))
                o.endOfMemory = *m;
            else
                error = "--end must be silent, empty or short[:N]";
        } else if (name == "--bad-checksum") {
            error = fault(FaultKind::BadChecksum);
        } else if (name == "--drop-byte") {
            error = fault(FaultKind::DropByte);
        } else if (name == "--cut") {
            error = fault(FaultKind::Cut);
        } else if (name == "--silent") {
            error = fault(FaultKind::Silence);
        } else if (name == "--vanish") {
            error = fault(FaultKind::Vanish);
        } else if (name == "--overlong") {
            error = fault(FaultKind::Overlong);
        } else if (name == "--noise") {
            error = number(0, 4096);
            o.noiseBytes = static_cast<int>(n);
        } else if (name == "--noise-seed") {
            error = number(0, 4294967295L);
            o.noiseSeed = static_cast<std::uint32_t>(n);
        } else if (name == "--noise-delay") {
            error = number(0, 60000);
            o.noiseDelayMs = static_cast<int>(n);
        } else if (name == "--jam") {
            error = number(0, 1000000);
            o.jamAfterCommands = static_cast<int>(n);
        } else if (name == "--log") {
            o.logFile = value;
        } else if (name == "--path-file") {
            o.pathFile = value;
        } else if (name == "--link") {
            o.link = value;
        } else if (name == "--max-seconds") {
            error = number(0, 86400 * 365);
            o.maxSeconds = static_cast<double>(n);
        } else if (name == "--max-commands") {
            error = number(0, 1000000000);
            o.maxCommands = n;
        } else {
            error = "unknown option '" + name + "' (see --help)";
        }
        if (error)
            return error;
    }
    if (!o.dataFile.empty() && o.diveSet != "default")
        return std::string("--data and --dives exclude each other");
    if (o.fast) {
        o.baud = 0;
        o.latencyMs = 0;
        o.gapMs = 0;
        o.noiseDelayMs = 0;
    }
    out = std::move(o);
    return std::nullopt;
}

std::optional<std::string> buildScenario(const EmulatorOptions& options, Scenario& out)
{
    Scenario s;
    if (!options.dataFile.empty()) {
        if (auto e = loadDataFile(options.dataFile, DeviceSettings{}, s))
            return e;
    } else if (options.diveSet == "large") {
        s.dives = largeDives();
    } else if (options.diveSet == "default") {
        s.dives = defaultDives();
    }
    out = std::move(s);
    return std::nullopt;
}

}  // namespace vyemu
