#include "Device.h"

namespace vyemu {

std::optional<EndOfMemory> endOfMemoryFromName(std::string_view name)
{
    if (name == "silent")
        return EndOfMemory::Silent;
    if (name == "empty")
        return EndOfMemory::EmptyPacket;
    if (name == "short")
        return EndOfMemory::ShortPacket;
    return std::nullopt;
}

std::string_view endOfMemoryName(EndOfMemory mode)
{
    switch (mode) {
    case EndOfMemory::Silent: return "silent";
    case EndOfMemory::EmptyPacket: return "empty";
    case EndOfMemory::ShortPacket: return "short";
    }
    return "?";
}

Device::Device(MemoryImage memory, std::vector<Bytes> dives, DeviceConfig config)
    : memory_(memory), dives_(std::move(dives)), config_(std::move(config)),
      faultUses_(config_.faults.size(), 0)
{
}

bool Device::faultDue(std::size_t index)
{
    const Fault& f = config_.faults[index];
    const int allowed = f.kind == FaultKind::Silence ? f.value : 1;
    if (!config_.faultsRepeat && faultUses_[index] >= allowed)
        return false;
    ++faultUses_[index];
    return true;
}

std::optional<Transmission> Device::answer(const Command& c, std::vector<std::string>& log)
{
    if (c.kind == CommandKind::MemoryRead) {
        const Target target{Target::Kind::Memory, c.address};
        for (std::size_t i = 0; i < config_.faults.size(); ++i) {
            const Fault& f = config_.faults[i];
            if (f.kind == FaultKind::Silence && f.target == target && faultDue(i)) {
                log.push_back("fault: " + describeFault(f));
                return std::nullopt;
            }
        }
        Transmission t;
        t.what = "memory " + std::to_string(c.address) + ".." +
                 std::to_string(c.address + c.length - 1);
        t.packets.push_back(memoryAnswer(memory_, c.address, c.length));
        for (std::size_t i = 0; i < config_.faults.size(); ++i)
            if (config_.faults[i].target == target && faultDue(i))
                applyFault(t, config_.faults[i]);
        return t;
    }
    // "08 165" starts again at the newest dive; "09 165" moves on to the next older one.
    const int index = c.kind == CommandKind::FirstDive ? 0 : position_ + 1;
    return diveAnswer(index, c.raw.empty() ? kCmdFirstDive : c.raw[0], log);
}

std::optional<Transmission> Device::diveAnswer(int index, std::uint8_t code,
                                               std::vector<std::string>& log)
{
    const Target target{Target::Kind::Dive, index + 1};
    // Silence models a request the device did not hear: its pointer stays where it was.
    for (std::size_t i = 0; i < config_.faults.size(); ++i) {
        const Fault& f = config_.faults[i];
        if (f.kind == FaultKind::Silence && f.target == target && faultDue(i)) {
            log.push_back("fault: " + describeFault(f) + "; dive pointer not moved");
            return std::nullopt;
        }
    }

    const int count = static_cast<int>(dives_.size());
    if (index >= count) {
        position_ = count;  // stays at the end: every further request is end of memory
        switch (config_.endOfMemory) {
        case EndOfMemory::Silent:
            log.push_back("end of memory: no answer");
            return std::nullopt;
        case EndOfMemory::EmptyPacket: {
            Transmission t;
            t.what = "end of memory (empty packet)";
            t.packets.push_back(Bytes{code, 0x00, code});
            return t;
        }
        case EndOfMemory::ShortPacket: {
            Transmission t;
            t.what = "end of memory (short packet)";
            t.packets = packetize(Bytes(static_cast<std::size_t>(config_.shortPacketBytes), 0x00), code);
            return t;
        }
        }
        return std::nullopt;
    }

    position_ = index;
    Bytes payload = dives_[static_cast<std::size_t>(index)];
    Transmission t;
    t.what = "dive " + std::to_string(index + 1) + " of " + std::to_string(count);
    for (std::size_t i = 0; i < config_.faults.size(); ++i) {
        const Fault& f = config_.faults[i];
        if (f.kind == FaultKind::Overlong && f.target == target && faultDue(i)) {
            // Filler samples of "no depth change" in front, so the dive itself stays intact.
            const std::size_t total = static_cast<std::size_t>(f.value);
            if (total > payload.size())
                payload.insert(payload.begin(), total - payload.size(), 0x00);
            t.notes.push_back(describeFault(f));
        }
    }
    t.packets = packetize(payload, code);
    for (std::size_t i = 0; i < config_.faults.size(); ++i) {
        const Fault& f = config_.faults[i];
        if (f.kind != FaultKind::Silence && f.kind != FaultKind::Overlong && f.target == target &&
            faultDue(i))
            applyFault(t, f);
    }
    return t;
}

Session::Session(MemoryImage memory, std::vector<Bytes> dives, SessionConfig config)
    : config_(std::move(config)),
      device_(memory, std::move(dives), config_.device),
      noiseState_(config_.noiseSeed)
{
}

Reaction Session::receive(std::uint8_t byte)
{
    Reaction r;
    if (config_.echo)
        r.echo.push_back(byte);
    for (ParseEvent& e : parser_.feed(byte)) {
        switch (e.type) {
        case ParseEvent::Type::Discarded:
            r.log.push_back("ignored bytes: " + hexText(e.bytes));
            break;
        case ParseEvent::Type::BadChecksum:
            r.log.push_back("wrong command checksum, ignored: " + hexText(e.bytes) + " (expected " +
                            hexText(Bytes{xorOf(e.bytes, 0, e.bytes.size() - 1)}) + ")");
            break;
        case ParseEvent::Type::Command: {
            r.command = true;
            r.log.push_back("command: " + commandName(e.command));
            r.answer = device_.answer(e.command, r.log);
            if (config_.noiseBytes > 0)
                r.noise = noiseBytes(static_cast<std::size_t>(config_.noiseBytes), noiseState_);
            break;
        }
        }
    }
    return r;
}

std::vector<std::string> Session::linePause()
{
    std::vector<std::string> log;
    const Bytes left = parser_.reset();
    if (!left.empty())
        log.push_back("incomplete command dropped after a pause: " + hexText(left));
    return log;
}

}  // namespace vyemu
