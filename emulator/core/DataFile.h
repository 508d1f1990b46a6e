#pragma once

#include "Dive.h"
#include "Memory.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vyemu {

// What the emulated dive computer holds: its settings and its dives, newest first.
struct Scenario {
    DeviceSettings settings;
    std::vector<Dive> dives;
};

inline constexpr std::size_t kMaxDataFileBytes = 4 * 1024 * 1024;

// Parses a data file (format: emulator/README.md). Settings not named in the file keep
// the values of `defaults`; the file's dives replace all dives. On failure returns
// "line N: reason" and leaves `out` untouched.
std::optional<std::string> parseDataFile(std::string_view text, const DeviceSettings& defaults,
                                         Scenario& out);

// Reads and parses a file; the error names the file.
std::optional<std::string> loadDataFile(const std::string& path, const DeviceSettings& defaults,
                                        Scenario& out);

// UTF-8 text → bytes of the 8-bit character set (code points up to 255 only).
std::optional<std::string> utf8ToLatin1(std::string_view text);

}  // namespace vyemu
