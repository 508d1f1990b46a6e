#pragma once

#include "Faults.h"
#include "Memory.h"
#include "Protocol.h"

#include <optional>
#include <string>
#include <vector>

namespace vyemu {

// What the dive computer does when asked for a dive beyond the oldest one.
enum class EndOfMemory {
    Silent,       // no answer at all (default)
    EmptyPacket,  // one packet announcing 0 payload bytes: code, 0, checksum
    ShortPacket,  // one packet with a few (1..15) zero bytes, too few for a dive
};

std::optional<EndOfMemory> endOfMemoryFromName(std::string_view name);
std::string_view endOfMemoryName(EndOfMemory mode);

struct DeviceConfig {
    EndOfMemory endOfMemory = EndOfMemory::Silent;
    int shortPacketBytes = 2;   // for EndOfMemory::ShortPacket, 1..15
    std::vector<Fault> faults;
    bool faultsRepeat = false;  // false: each fault hits its target's first answer only
};

// The dive computer's memory and its pointer into the dive list.
class Device {
public:
    Device(MemoryImage memory, std::vector<Bytes> dives, DeviceConfig config);

    // The answer to a command, or nothing when the device stays silent. Notes for the
    // log are appended to `log`.
    std::optional<Transmission> answer(const Command& command, std::vector<std::string>& log);

    // Index of the dive delivered last (-1 before the first).
    int position() const { return position_; }
    std::size_t diveCount() const { return dives_.size(); }

private:
    bool faultDue(std::size_t index);
    std::optional<Transmission> diveAnswer(int index, std::uint8_t code,
                                           std::vector<std::string>& log);

    MemoryImage memory_;
    std::vector<Bytes> dives_;
    DeviceConfig config_;
    std::vector<int> faultUses_;
    int position_ = -1;
};

struct SessionConfig {
    bool echo = false;  // the self-built interface returns every byte the program sends
    DeviceConfig device;
    int noiseBytes = 0;  // noise bytes on the line after each exchange
    std::uint32_t noiseSeed = 1;
};

// What the emulator does in response to one received byte.
struct Reaction {
    Bytes echo;                         // to be sent at once
    std::vector<std::string> log;
    std::optional<Transmission> answer; // to be sent after the answer latency
    Bytes noise;                        // to be sent after the answer (or the silence)
    bool command = false;               // a complete, good command was recognised
};

// The line between the program and the dive computer: echo, command recognition, answers.
class Session {
public:
    Session(MemoryImage memory, std::vector<Bytes> dives, SessionConfig config);

    Reaction receive(std::uint8_t byte);
    // A long pause on the line: a command left half-sent is forgotten.
    std::vector<std::string> linePause();
    const Device& device() const { return device_; }
    bool parserIdle() const { return parser_.pending().empty(); }

private:
    SessionConfig config_;
    CommandParser parser_;
    Device device_;
    std::uint32_t noiseState_;
};

}  // namespace vyemu
