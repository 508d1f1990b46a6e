#pragma once

#include "Bytes.h"
#include "Dive.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vyemu {

// Device addresses of the settings area (the first 128 bytes of memory).
namespace addr {
inline constexpr int kMaxDepth = 30;        // 2 bytes, 1/128 ft, most significant first
inline constexpr int kTotalDiveTime = 32;   // 2 bytes, minutes
inline constexpr int kDiveCount = 34;       // 2 bytes
inline constexpr int kSampleInterval = 36;  // seconds
inline constexpr int kSerialNumber = 37;    // 4 bytes
inline constexpr int kUserText = 44;        // 20 characters
inline constexpr int kDiveDataBytes = 81;   // 2 bytes
inline constexpr int kPersonal = 96;
inline constexpr int kUnitSystem = 98;      // 1 = metric
inline constexpr int kComputerMode = 99;    // 0 air, 1 nitrox, 2 gauge
inline constexpr int kLight = 100;          // bit 7 light on, bits 0..6 duration
inline constexpr int kDepthAlarm = 101;     // 0 = off
inline constexpr int kAlarmTime = 103;      // minutes
inline constexpr int kAlarmDepth = 104;     // 2 bytes, 1/128 ft
}  // namespace addr

inline constexpr std::size_t kMemorySize = 256;  // addresses a memory read can reach
inline constexpr std::size_t kUserTextLength = 20;

using MemoryImage = std::array<std::uint8_t, kMemorySize>;

// The settings as the diver set them. Values left empty are derived from the dives.
struct DeviceSettings {
    std::array<std::uint8_t, 4> serialNumber{20, 4, 17, 93};
    std::string userText = "Grundelnetz Vyper";  // bytes in the 8-bit character set
    int sampleInterval = 20;
    int personal = 0;
    bool metric = true;
    int computerMode = 1;  // nitrox
    bool lightOn = true;
    int lightDuration = 10;  // 0..127
    int depthAlarm = 1;
    int alarmTime = 45;
    double alarmDepthFeet = 100.0;
    std::optional<double> maxDepthFeet;     // default: the deepest dive
    std::optional<int> totalDiveMinutes;    // default: sum over the dives
    std::optional<int> diveCount;           // default: number of dives
    std::optional<int> diveDataBytes;       // default: bytes of all dives
    std::vector<std::pair<int, int>> pokes;  // raw (address, value), applied last
};

// Checks ranges; empty when fine.
std::optional<std::string> validateSettings(const DeviceSettings& settings);

// Feet → 1/128 ft, truncated, limited to 16 bits.
int feetToRaw(double feet);

MemoryImage buildMemory(const DeviceSettings& settings, const std::vector<Dive>& dives);

}  // namespace vyemu
