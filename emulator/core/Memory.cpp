#include "Memory.h"

#include <algorithm>
#include <cmath>

namespace vyemu {

namespace {

void put16(MemoryImage& m, int address, int value)
{
    value = std::clamp(value, 0, 0xFFFF);
    m[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>(value >> 8);
    m[static_cast<std::size_t>(address + 1)] = static_cast<std::uint8_t>(value & 0xFF);
}

void put8(MemoryImage& m, int address, int value)
{
    m[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>(value);
}

}  // namespace

int feetToRaw(double feet)
{
    if (!(feet > 0))
        return 0;
    return static_cast<int>(std::min(65535.0, std::floor(feet * 128.0)));
}

std::optional<std::string> validateSettings(const DeviceSettings& s)
{
    auto bad = [](const char* what, long low, long high, long v) -> std::optional<std::string> {
        if (v < low || v > high)
            return std::string(what) + " must lie in " + std::to_string(low) + ".." +
                   std::to_string(high) + " (is " + std::to_string(v) + ")";
        return std::nullopt;
    };
    if (s.userText.size() > kUserTextLength)
        return "user text is longer than 20 characters (" + std::to_string(s.userText.size()) + ")";
    const std::optional<std::string> checks[] = {
        bad("sample interval", 0, 255, s.sampleInterval),
        bad("personal settings", 0, 255, s.personal),
        bad("computer mode", 0, 255, s.computerMode),
        bad("light duration", 0, 127, s.lightDuration),
        bad("depth alarm", 0, 255, s.depthAlarm),
        bad("alarm time", 0, 255, s.alarmTime),
        bad("total dive time", 0, 65535, s.totalDiveMinutes.value_or(0)),
        bad("dive count", 0, 65535, s.diveCount.value_or(0)),
        bad("bytes of dive data", 0, 65535, s.diveDataBytes.value_or(0)),
    };
    for (const auto& c : checks)
        if (c)
            return c;
    if (!(s.alarmDepthFeet >= 0 && s.alarmDepthFeet < 512))
        return std::string("alarm depth must lie in 0..511 ft");
    if (s.maxDepthFeet && !(*s.maxDepthFeet >= 0 && *s.maxDepthFeet < 512))
        return std::string("maximum depth must lie in 0..511 ft");
    for (const auto& [a, v] : s.pokes) {
        if (auto e = bad("poke address", 0, static_cast<long>(kMemorySize) - 1, a))
            return e;
        if (auto e = bad("poke value", 0, 255, v))
            return e;
    }
    return std::nullopt;
}

MemoryImage buildMemory(const DeviceSettings& s, const std::vector<Dive>& dives)
{
    MemoryImage m{};
    int deepest = 0;
    int minutes = 0;
    int bytes = 0;
    for (const Dive& d : dives) {
        deepest = std::max(deepest, maxDepthFeet(d));
        minutes += diveMinutes(d);
        bytes += static_cast<int>(encodeDive(d).size());
    }
    put16(m, addr::kMaxDepth, feetToRaw(s.maxDepthFeet.value_or(deepest)));
    put16(m, addr::kTotalDiveTime, s.totalDiveMinutes.value_or(minutes));
    put16(m, addr::kDiveCount, s.diveCount.value_or(static_cast<int>(dives.size())));
    put8(m, addr::kSampleInterval, s.sampleInterval);
    for (std::size_t i = 0; i < 4; ++i)
        m[addr::kSerialNumber + i] = s.serialNumber[i];
    for (std::size_t i = 0; i < kUserTextLength; ++i)
        m[addr::kUserText + i] =
            i < s.userText.size() ? static_cast<std::uint8_t>(s.userText[i]) : std::uint8_t{' '};
    put16(m, addr::kDiveDataBytes, s.diveDataBytes.value_or(bytes));
    put8(m, addr::kPersonal, s.personal);
    put8(m, addr::kUnitSystem, s.metric ? 1 : 0);
    put8(m, addr::kComputerMode, s.computerMode);
    put8(m, addr::kLight, (s.lightOn ? 0x80 : 0) | (s.lightDuration & 0x7F));
    put8(m, addr::kDepthAlarm, s.depthAlarm);
    put8(m, addr::kAlarmTime, s.alarmTime);
    put16(m, addr::kAlarmDepth, feetToRaw(s.alarmDepthFeet));
    for (const auto& [a, v] : s.pokes)
        put8(m, a, v);
    return m;
}

}  // namespace vyemu
