#pragma once

#include "Bytes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vyemu {

// Byte values of the profile memory.
inline constexpr std::uint8_t kEndOfProfile = 128;
inline constexpr int kMaxStepFeet = 120;  // one profile byte moves at most 120 ft
inline constexpr std::size_t kHeaderBytes = 14;

// One sample period of a dive: either a depth change in feet (positive = deeper)
// or an event marker that occupies the period on its own.
struct Step {
    bool isMarker = false;
    int feet = 0;                 // depth change, -120..120, when !isMarker
    std::uint8_t markerByte = 0;  // 121..135 except 128, when isMarker

    static Step depth(int feet) { return Step{false, feet, 0}; }
    static Step marker(std::uint8_t byte) { return Step{true, 0, byte}; }
    bool operator==(const Step&) const = default;
};

// Marker names the diver sees on the display: SLOW ATT PLAN SURF ASC CEIL ERR.
std::optional<std::uint8_t> markerByteForName(std::string_view name);
std::string_view markerNameForByte(std::uint8_t byte);  // "" for markers without a name

// A dive as the diver recognises it.
struct Dive {
    int year = 2024;  // 1930..2029, stored as two digits
    int month = 1, day = 1, hour = 0, minute = 0;
    int surfaceHours = 0, surfaceMinutes = 0;
    int intervalSeconds = 20;
    int oxygenPercent = 21;
    int airTemperature = 20;       // °C, stored as an unsigned byte
    int maxDepthTemperature = 15;  // °C at the deepest point
    std::vector<Step> profile;     // in time order, first sample first
    bool endMarker = true;         // whether the profile is closed by the end marker
    int leadByte = 0;              // the very first byte sent, before the temperature

    bool operator==(const Dive&) const = default;
};

// Empty when the dive can be stored by the dive computer, else the reason why not.
std::optional<std::string> validateDive(const Dive& dive);

// The bytes of one dive in the order the dive computer sends them: the dive end first,
// the header last. Layout (arrival index):
//   0                lead byte
//   1                temperature at maximum depth
//   2                end marker 128 (only when the dive has one)
//   then             profile bytes, the last sample in time first, the first sample last
//   last 14 bytes    header: minute, hour, year, month, day, air temperature, 0,
//                    O2 %, 0, 0, sample interval, 0, surface hours, surface minutes
Bytes encodeDive(const Dive& dive);

std::uint8_t stepByte(const Step& step);
int maxDepthFeet(const Dive& dive);  // deepest point reached, in feet
int diveMinutes(const Dive& dive);   // sample periods × interval, rounded up to minutes

// Helper for the built-in dives: a profile from (minute, depth in feet) waypoints,
// interpolated per sample period, each step limited to the byte range.
std::vector<Step> profileFromWaypoints(int intervalSeconds,
                                       const std::vector<std::pair<double, double>>& waypoints);

// Built-in dive sets, newest first.
std::vector<Dive> defaultDives();
std::vector<Dive> largeDives();  // 48 dives, more than 8 KB of dive data

}  // namespace vyemu
