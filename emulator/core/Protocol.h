#pragma once

#include "Bytes.h"
#include "Memory.h"

#include <string>
#include <vector>

namespace vyemu {

inline constexpr std::uint8_t kCmdFirstDive = 0x08;  // "08 165": newest dive
inline constexpr std::uint8_t kCmdNextDive = 0x09;   // "09 165": next older dive
inline constexpr std::uint8_t kCmdMemoryRead = 0x05; // "05 00 address length"
inline constexpr std::uint8_t kProfileSecondByte = 0xA5;
inline constexpr std::size_t kFullPacketPayload = 32;

enum class CommandKind { FirstDive, NextDive, MemoryRead };

struct Command {
    CommandKind kind = CommandKind::FirstDive;
    std::uint8_t address = 0;
    std::uint8_t length = 0;
    Bytes raw;  // the bytes as received, checksum included
};

std::string commandName(const Command& command);  // e.g. "memory read address 32 length 32"

// What the parser made of the bytes received so far.
struct ParseEvent {
    enum class Type { Command, BadChecksum, Discarded };
    Type type = Type::Command;
    Command command;  // for Type::Command
    Bytes bytes;      // the bytes concerned (all types)
};

// Recognises the commands in the byte stream from the program. A command whose checksum
// is wrong is reported and ignored; scanning then resumes one byte after its first byte,
// so a good command that follows a broken one is still found. Bytes that cannot start a
// command are discarded.
class CommandParser {
public:
    std::vector<ParseEvent> feed(std::uint8_t byte);
    // Forgets a partly received command (after a long pause on the line); returns its bytes.
    Bytes reset();
    const Bytes& pending() const { return pending_; }

private:
    Bytes pending_;
};

// Splits a dive's bytes into answer packets: code, length, up to 32 payload bytes,
// checksum (XOR of code, length and payload).
std::vector<Bytes> packetize(const Bytes& payload, std::uint8_t code);

// The answer to a memory read: 0x05 0x00 address length, the memory bytes (addresses
// wrap around at 256), checksum (XOR of everything before it).
Bytes memoryAnswer(const MemoryImage& memory, std::uint8_t address, std::uint8_t length);

}  // namespace vyemu
