#include "Faults.h"

#include <charconv>

namespace vyemu {

namespace {

bool parseInt(std::string_view text, int& out)
{
    if (text.empty() || text.size() > 9)
        return false;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && p == end;
}

std::string targetText(const Target& t)
{
    return t.kind == Target::Kind::Dive ? "dive " + std::to_string(t.value)
                                        : "memory read at " + std::to_string(t.value);
}

}  // namespace

std::string_view faultOptionName(FaultKind kind)
{
    switch (kind) {
    case FaultKind::BadChecksum: return "bad-checksum";
    case FaultKind::DropByte: return "drop-byte";
    case FaultKind::Cut: return "cut";
    case FaultKind::Silence: return "silent";
    case FaultKind::Vanish: return "vanish";
    case FaultKind::Overlong: return "overlong";
    }
    return "?";
}

std::string describeFault(const Fault& f)
{
    const std::string t = targetText(f.target);
    const std::string v = std::to_string(f.value);
    switch (f.kind) {
    case FaultKind::BadChecksum: return "wrong checksum in packet " + v + " of " + t;
    case FaultKind::DropByte: return "answer byte " + v + " of " + t + " left out";
    case FaultKind::Cut: return t + " cut short after " + v + " bytes";
    case FaultKind::Silence: return "no answer for " + t + " (" + v + " time(s))";
    case FaultKind::Vanish: return "device vanishes after " + v + " bytes of " + t;
    case FaultKind::Overlong: return t + " sent with " + v + " payload bytes";
    }
    return "?";
}

std::optional<std::string> parseFault(FaultKind kind, std::string_view text, Fault& out)
{
    Fault f;
    f.kind = kind;
    std::string_view targetPart = text;
    std::string_view valuePart;
    if (const auto colon = text.find(':'); colon != std::string_view::npos) {
        targetPart = text.substr(0, colon);
        valuePart = text.substr(colon + 1);
        if (valuePart.empty())
            return std::string("missing number after ':'");
    }
    if (!targetPart.empty() && targetPart[0] == 'm') {
        f.target.kind = Target::Kind::Memory;
        if (!parseInt(targetPart.substr(1), f.target.value) || f.target.value < 0 ||
            f.target.value > 255)
            return "memory address must be m0..m255, not '" + std::string(targetPart) + "'";
        if (kind == FaultKind::Overlong)
            return std::string("an overlong answer can only be given for a dive");
    } else if (!parseInt(targetPart, f.target.value) || f.target.value < 1) {
        return "dive number must be 1 or more (1 = newest), not '" + std::string(targetPart) + "'";
    }

    int defaultValue = 0;
    int minimum = 0;
    bool required = false;
    switch (kind) {
    case FaultKind::BadChecksum: defaultValue = 1; minimum = 1; break;
    case FaultKind::DropByte: defaultValue = 10; minimum = 0; break;
    case FaultKind::Cut: required = true; minimum = 0; break;
    case FaultKind::Silence: defaultValue = 1; minimum = 1; break;
    case FaultKind::Vanish: defaultValue = 40; minimum = 0; break;
    case FaultKind::Overlong: defaultValue = 8320; minimum = 8194; break;
    }
    if (valuePart.empty()) {
        if (required)
            return std::string("a byte count is required, e.g. 3:100");
        f.value = defaultValue;
    } else if (!parseInt(valuePart, f.value) || f.value < minimum || f.value > 1000000) {
        return "number after ':' must lie in " + std::to_string(minimum) + "..1000000, not '" +
               std::string(valuePart) + "'";
    }
    out = f;
    return std::nullopt;
}

std::size_t Transmission::byteCount() const
{
    std::size_t n = 0;
    for (const Bytes& p : packets)
        n += p.size();
    return n;
}

Bytes Transmission::flat() const
{
    Bytes all;
    for (const Bytes& p : packets)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

void applyFault(Transmission& t, const Fault& f)
{
    switch (f.kind) {
    case FaultKind::BadChecksum: {
        const std::size_t i = static_cast<std::size_t>(f.value) - 1;
        if (i < t.packets.size() && !t.packets[i].empty()) {
            t.packets[i].back() ^= 0xFF;
            t.notes.push_back(describeFault(f));
        } else {
            t.notes.push_back("no packet " + std::to_string(f.value) + " to spoil");
        }
        return;
    }
    case FaultKind::DropByte: {
        std::size_t index = static_cast<std::size_t>(f.value);
        for (Bytes& p : t.packets) {
            if (index < p.size()) {
                p.erase(p.begin() + static_cast<std::ptrdiff_t>(index));
                t.notes.push_back(describeFault(f));
                return;
            }
            index -= p.size();
        }
        t.notes.push_back("answer too short to leave out byte " + std::to_string(f.value));
        return;
    }
    case FaultKind::Cut: {
        std::size_t keep = static_cast<std::size_t>(f.value);
        std::vector<Bytes> kept;
        for (Bytes& p : t.packets) {
            if (keep == 0)
                break;
            if (p.size() > keep)
                p.resize(keep);
            keep -= p.size();
            kept.push_back(std::move(p));
        }
        t.packets = std::move(kept);
        t.notes.push_back(describeFault(f));
        return;
    }
    case FaultKind::Vanish:
        t.vanishAfter = static_cast<std::size_t>(f.value);
        t.notes.push_back(describeFault(f));
        return;
    case FaultKind::Silence:
    case FaultKind::Overlong:
        return;  // decided by the device before the answer is built
    }
}

Bytes noiseBytes(std::size_t count, std::uint32_t& state)
{
    Bytes out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;  // 32-bit wrap-around is intended
        out.push_back(static_cast<std::uint8_t>(state >> 24));
    }
    return out;
}

}  // namespace vyemu
