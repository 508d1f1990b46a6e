#pragma once

#include "Bytes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vyemu {

// Which answer a fault hits: the answer that delivers dive N (1 = newest, counted as the
// program counts its requests), or the answer to a memory read at an address.
struct Target {
    enum class Kind { Dive, Memory };
    Kind kind = Kind::Dive;
    int value = 1;
    bool operator==(const Target&) const = default;
};

enum class FaultKind {
    BadChecksum,  // value: packet number, 1 = first packet of the answer
    DropByte,     // value: index of the answer byte left out, 0 = first byte
    Cut,          // value: number of answer bytes sent before the answer stops
    Silence,      // value: how many requests for the target get no answer at all
    Vanish,       // value: answer bytes sent before the device disappears
    Overlong,     // value: payload bytes of the answer in total (dive targets only)
};

struct Fault {
    FaultKind kind = FaultKind::BadChecksum;
    Target target;
    int value = 0;
};

std::string_view faultOptionName(FaultKind kind);  // "bad-checksum", ...
std::string describeFault(const Fault& fault);

// Parses the value of a fault option, e.g. "3:2" or "m32" for --bad-checksum.
// Returns the reason on failure.
std::optional<std::string> parseFault(FaultKind kind, std::string_view text, Fault& out);

// An answer as the dive computer puts it on the line.
struct Transmission {
    std::string what;                        // for the log: "dive 2 of 5", ...
    std::vector<Bytes> packets;              // in sending order
    std::optional<std::size_t> vanishAfter;  // answer bytes sent before the device vanishes
    std::vector<std::string> notes;          // faults applied

    std::size_t byteCount() const;
    Bytes flat() const;
};

// Applies a fault that changes the bytes of an answer (not Silence or Overlong, which
// decide whether and what the device answers at all).
void applyFault(Transmission& answer, const Fault& fault);

// Deterministic noise bytes for the gap between exchanges.
Bytes noiseBytes(std::size_t count, std::uint32_t& state);

}  // namespace vyemu
