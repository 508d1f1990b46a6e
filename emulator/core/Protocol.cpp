#include "Protocol.h"

#include <algorithm>

namespace vyemu {

std::string commandName(const Command& c)
{
    switch (c.kind) {
    case CommandKind::FirstDive:
        return "first dive (08 165)";
    case CommandKind::NextDive:
        return "next dive (09 165)";
    case CommandKind::MemoryRead:
        return "memory read address " + std::to_string(c.address) + " length " +
               std::to_string(c.length);
    }
    return "?";
}

std::vector<ParseEvent> CommandParser::feed(std::uint8_t byte)
{
    pending_.push_back(byte);
    std::vector<ParseEvent> events;
    Bytes discarded;
    auto flushDiscarded = [&] {
        if (!discarded.empty()) {
            events.push_back(ParseEvent{ParseEvent::Type::Discarded, {}, discarded});
            discarded.clear();
        }
    };
    auto dropFirst = [&] {
        discarded.push_back(pending_.front());
        pending_.erase(pending_.begin());
    };

    while (!pending_.empty()) {
        const std::uint8_t first = pending_[0];
        std::size_t need = 0;
        std::uint8_t second = 0;
        if (first == kCmdFirstDive || first == kCmdNextDive) {
            need = 3;
            second = kProfileSecondByte;
        } else if (first == kCmdMemoryRead) {
            need = 5;
            second = 0x00;
        } else {
            dropFirst();
            continue;
        }
        if (pending_.size() >= 2 && pending_[1] != second) {
            dropFirst();
            continue;
        }
        if (pending_.size() < need)
            break;

        Bytes raw(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(need));
        if (xorOf(raw, 0, need - 1) != raw[need - 1]) {
            flushDiscarded();
            events.push_back(ParseEvent{ParseEvent::Type::BadChecksum, {}, raw});
            pending_.erase(pending_.begin());  // resume behind the first byte
            continue;
        }
        flushDiscarded();
        Command c;
        c.kind = first == kCmdFirstDive  ? CommandKind::FirstDive
                 : first == kCmdNextDive ? CommandKind::NextDive
                                         : CommandKind::MemoryRead;
        if (c.kind == CommandKind::MemoryRead) {
            c.address = raw[2];
            c.length = raw[3];
        }
        c.raw = raw;
        events.push_back(ParseEvent{ParseEvent::Type::Command, c, raw});
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(need));
    }
    flushDiscarded();
    return events;
}

Bytes CommandParser::reset()
{
    Bytes old;
    old.swap(pending_);
    return old;
}

std::vector<Bytes> packetize(const Bytes& payload, std::uint8_t code)
{
    std::vector<Bytes> packets;
    for (std::size_t pos = 0; pos < payload.size(); pos += kFullPacketPayload) {
        const std::size_t n = std::min(kFullPacketPayload, payload.size() - pos);
        Bytes p;
        p.reserve(n + 3);
        p.push_back(code);
        p.push_back(static_cast<std::uint8_t>(n));
        p.insert(p.end(), payload.begin() + static_cast<std::ptrdiff_t>(pos),
                 payload.begin() + static_cast<std::ptrdiff_t>(pos + n));
        p.push_back(xorOf(p));
        packets.push_back(std::move(p));
    }
    return packets;
}

Bytes memoryAnswer(const MemoryImage& memory, std::uint8_t address, std::uint8_t length)
{
    Bytes a{kCmdMemoryRead, 0x00, address, length};
    for (std::size_t i = 0; i < length; ++i)
        a.push_back(memory[(address + i) % kMemorySize]);
    a.push_back(xorOf(a));
    return a;
}

}  // namespace vyemu
