#pragma once

#include "DataFile.h"
#include "Device.h"
#include "Faults.h"

#include <optional>
#include <string>
#include <vector>

namespace vyemu {

struct EmulatorOptions {
    std::string dataFile;               // --data
    std::string diveSet = "default";    // --dives: default, large, none
    bool echo = false;                  // --echo
    EndOfMemory endOfMemory = EndOfMemory::Silent;  // --end
    int shortPacketBytes = 2;           // --end=short:N
    int baud = 2400;                    // --baud, 0 = no pacing
    int latencyMs = 50;                 // --latency
    int gapMs = 10;                     // --gap
    bool fast = false;                  // --fast
    std::vector<Fault> faults;
    bool faultsRepeat = false;          // --faults-repeat
    int noiseBytes = 0;                 // --noise
    std::uint32_t noiseSeed = 1;        // --noise-seed
    int noiseDelayMs = 30;              // --noise-delay
    int jamAfterCommands = -1;          // --jam: endless noise after N commands, -1 = never
    int pauseMs = 500;                  // --pause: a command not completed within it is dropped
    std::string logFile;                // --log
    bool quiet = false;                 // --quiet
    std::string pathFile;               // --path-file
    std::string link;                   // --link
    double maxSeconds = 0;              // --max-seconds, 0 = unlimited
    long maxCommands = 0;               // --max-commands, 0 = unlimited
    bool dump = false;                  // --dump
    bool help = false;                  // --help
};

// Parses the arguments after the program name; returns the reason on failure.
std::optional<std::string> parseOptions(const std::vector<std::string>& args, EmulatorOptions& out);

std::string usageText();

// The dives and settings the options ask for.
std::optional<std::string> buildScenario(const EmulatorOptions& options, Scenario& out);

// Milliseconds one byte takes on the line: start bit, 8 data bits, parity, stop bit.
double byteMilliseconds(int baud);

}  // namespace vyemu
