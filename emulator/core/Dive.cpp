#include "Dive.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vyemu {

namespace {

struct NamedMarker {
    std::string_view name;
    std::uint8_t byte;
};

constexpr std::array<NamedMarker, 7> kNamedMarkers{{
    {"SLOW", 122}, {"ATT", 123}, {"PLAN", 124}, {"SURF", 125},
    {"ASC", 126},  {"CEIL", 127}, {"ERR", 129},
}};

bool inRange(int value, int low, int high) { return value >= low && value <= high; }

std::string rangeText(const char* what, int low, int high, int value)
{
    return std::string(what) + " must lie in " + std::to_string(low) + ".." + std::to_string(high) +
           " (is " + std::to_string(value) + ")";
}

}  // namespace

std::optional<std::uint8_t> markerByteForName(std::string_view name)
{
    for (const auto& m : kNamedMarkers)
        if (m.name == name)
            return m.byte;
    return std::nullopt;
}

std::string_view markerNameForByte(std::uint8_t byte)
{
    for (const auto& m : kNamedMarkers)
        if (m.byte == byte)
            return m.name;
    return {};
}

std::optional<std::string> validateDive(const Dive& d)
{
    struct Check {
        const char* what;
        int value, low, high;
    };
    const Check checks[] = {
        {"year", d.year, 1930, 2029},
        {"month", d.month, 1, 12},
        {"day", d.day, 1, 31},
        {"hour", d.hour, 0, 23},
        {"minute", d.minute, 0, 59},
        {"surface interval hours", d.surfaceHours, 0, 255},
        {"surface interval minutes", d.surfaceMinutes, 0, 59},
        {"sample interval", d.intervalSeconds, 1, 255},
        {"O2 percent", d.oxygenPercent, 0, 100},
        {"air temperature", d.airTemperature, 0, 255},
        {"temperature at maximum depth", d.maxDepthTemperature, 0, 255},
        {"lead byte", d.leadByte, 0, 255},
    };
    for (const auto& c : checks)
        if (!inRange(c.value, c.low, c.high))
            return rangeText(c.what, c.low, c.high, c.value);
    // Either byte equal to the end marker would be taken for one by the temperature search.
    if (d.maxDepthTemperature == kEndOfProfile)
        return std::string("temperature at maximum depth must not be 128 (the end marker)");
    if (d.leadByte == kEndOfProfile)
        return std::string("lead byte must not be 128 (the end marker)");
    for (std::size_t i = 0; i < d.profile.size(); ++i) {
        const Step& s = d.profile[i];
        if (s.isMarker) {
            if (s.markerByte < 121 || s.markerByte > 135 || s.markerByte == kEndOfProfile)
                return "profile step " + std::to_string(i + 1) + ": marker byte " +
                       std::to_string(s.markerByte) + " is not 121..135 without 128";
        } else if (!inRange(s.feet, -kMaxStepFeet, kMaxStepFeet)) {
            return "profile step " + std::to_string(i + 1) + ": " +
                   rangeText("depth change", -kMaxStepFeet, kMaxStepFeet, s.feet);
        }
    }
    if (d.profile.size() > 60000)
        return std::string("profile has more than 60000 sample periods");
    return std::nullopt;
}

std::uint8_t stepByte(const Step& step)
{
    if (step.isMarker)
        return step.markerByte;
    // Descent by b feet is the byte b, ascent by a feet the byte 256 - a.
    return step.feet >= 0 ? static_cast<std::uint8_t>(step.feet)
                          : static_cast<std::uint8_t>(256 + step.feet);
}

Bytes encodeDive(const Dive& d)
{
    Bytes out;
    out.reserve(d.profile.size() + 3 + kHeaderBytes);
    out.push_back(static_cast<std::uint8_t>(d.leadByte));
    out.push_back(static_cast<std::uint8_t>(d.maxDepthTemperature));
    if (d.endMarker)
        out.push_back(kEndOfProfile);
    for (auto it = d.profile.rbegin(); it != d.profile.rend(); ++it)
        out.push_back(stepByte(*it));
    const int header[kHeaderBytes] = {
        d.minute, d.hour, d.year % 100, d.month, d.day, d.airTemperature, 0,
        d.oxygenPercent, 0, 0, d.intervalSeconds, 0, d.surfaceHours, d.surfaceMinutes,
    };
    for (int v : header)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

int maxDepthFeet(const Dive& dive)
{
    int depth = 0;
    int deepest = 0;
    for (const Step& s : dive.profile) {
        if (s.isMarker)
            continue;
        depth += s.feet;
        deepest = std::max(deepest, depth);
    }
    return deepest;
}

int diveMinutes(const Dive& dive)
{
    const long seconds = static_cast<long>(dive.profile.size()) * dive.intervalSeconds;
    return static_cast<int>((seconds + 59) / 60);
}

std::vector<Step> profileFromWaypoints(int intervalSeconds,
                                       const std::vector<std::pair<double, double>>& waypoints)
{
    std::vector<Step> steps;
    if (waypoints.size() < 2 || intervalSeconds <= 0)
        return steps;
    const double endMinute = waypoints.back().first;
    int current = 0;
    for (int i = 1;; ++i) {
        const double t = i * intervalSeconds / 60.0;
        if (t > endMinute + 1e-9)
            break;
        std::size_t k = 1;
        while (k + 1 < waypoints.size() && waypoints[k].first < t)
            ++k;
        const auto [t0, d0] = waypoints[k - 1];
        const auto [t1, d1] = waypoints[k];
        const double f = t1 > t0 ? std::clamp((t - t0) / (t1 - t0), 0.0, 1.0) : 1.0;
        const int target = static_cast<int>(std::lround(d0 + (d1 - d0) * f));
        const int change = std::clamp(target - current, -kMaxStepFeet, kMaxStepFeet);
        current += change;
        steps.push_back(Step::depth(change));
    }
    return steps;
}

}  // namespace vyemu
