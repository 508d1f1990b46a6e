// The dives the emulated dive computer holds when no data file is given.

#include "Dive.h"

namespace vyemu {

namespace {

Dive makeDive(int year, int month, int day, int hour, int minute, int surfaceH, int surfaceM,
              int interval, int o2, int air, int water,
              const std::vector<std::pair<double, double>>& waypoints)
{
    Dive d;
    d.year = year;
    d.month = month;
    d.day = day;
    d.hour = hour;
    d.minute = minute;
    d.surfaceHours = surfaceH;
    d.surfaceMinutes = surfaceM;
    d.intervalSeconds = interval;
    d.oxygenPercent = o2;
    d.airTemperature = air;
    d.maxDepthTemperature = water;
    d.profile = profileFromWaypoints(interval, waypoints);
    return d;
}

// Puts a marker in front of the sample period `index` (clamped to the profile's end).
void addMarker(Dive& d, std::size_t index, const char* name)
{
    const auto byte = markerByteForName(name);
    index = std::min(index, d.profile.size());
    d.profile.insert(d.profile.begin() + static_cast<std::ptrdiff_t>(index), Step::marker(*byte));
}

}  // namespace

std::vector<Dive> defaultDives()
{
    std::vector<Dive> dives;

    // Reef dive, 18 m, 20 s samples, a too-fast ascent near the end.
    Dive reef = makeDive(2024, 8, 17, 10, 42, 2, 15, 20, 21, 26, 19,
                         {{0, 0}, {2, 45}, {4, 60}, {20, 58}, {28, 40}, {30, 15}, {33, 15}, {35, 0}});
    addMarker(reef, 87, "SLOW");
    dives.push_back(reef);

    // Nitrox dive with 32 % O2, 28 m, 30 s samples.
    Dive nitrox = makeDive(2024, 8, 17, 7, 55, 18, 40, 30, 32, 24, 17,
                           {{0, 0}, {3, 92}, {18, 88}, {30, 60}, {38, 20}, {41, 15}, {45, 15}, {47, 0}});
    addMarker(nitrox, 50, "ATT");
    addMarker(nitrox, 78, "ASC");
    dives.push_back(nitrox);

    // Deep wall dive, 40 m, one sample a minute, a decompression ceiling.
    Dive deep = makeDive(2024, 8, 15, 14, 10, 3, 5, 60, 21, 23, 11,
                         {{0, 0}, {4, 131}, {12, 128}, {22, 70}, {30, 20}, {34, 15}, {37, 10}, {40, 0}});
    addMarker(deep, 12, "CEIL");
    addMarker(deep, 30, "PLAN");
    dives.push_back(deep);

    // Shallow training dive whose profile was not closed by the end marker.
    Dive shallow = makeDive(2024, 6, 2, 11, 30, 0, 45, 20, 21, 21, 22,
                            {{0, 0}, {2, 20}, {10, 26}, {20, 24}, {24, 10}, {25, 0}});
    shallow.endMarker = false;
    dives.push_back(shallow);

    // Lake dive with an attention signal, a surfacing and an error marker.
    Dive lake = makeDive(2024, 5, 20, 9, 5, 48, 0, 30, 21, 14, 6,
                         {{0, 0}, {3, 65}, {20, 60}, {27, 20}, {30, 15}, {32, 0}});
    addMarker(lake, 30, "ATT");
    addMarker(lake, 62, "SURF");
    addMarker(lake, 40, "ERR");
    dives.push_back(lake);

    return dives;
}

std::vector<Dive> largeDives()
{
    std::vector<Dive> dives;
    unsigned state = 20240930u;
    auto next = [&state](unsigned range) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % range);
    };
    const int intervals[] = {20, 20, 30, 20, 60, 20};
    int month = 9, day = 30;
    for (int i = 0; i < 48; ++i) {
        const int interval = intervals[i % 6];
        const bool afternoon = (i % 2) == 0;  // newest first: the afternoon dive of a day comes first
        const int hour = afternoon ? 14 + next(3) : 8 + next(3);
        const int depth = 40 + next(90);
        const int minutes = 50 + next(30);
        const int o2 = (i % 5 == 3) ? 32 : 21;
        Dive d = makeDive(2024, month, day, hour, next(60), afternoon ? 2 + next(3) : 14 + next(5),
                          next(60), interval, o2, 20 + next(10), 10 + next(12),
                          {{0, 0},
                           {3, depth},
                           {minutes * 0.45, depth - 5},
                           {minutes * 0.8, depth * 0.4},
                           {minutes - 5.0, 15},
                           {minutes - 2.0, 15},
                           {static_cast<double>(minutes), 0}});
        if (i % 4 == 1)
            addMarker(d, d.profile.size() / 2, "SLOW");
        if (i % 7 == 2)
            addMarker(d, d.profile.size() / 3, "CEIL");
        if (i % 9 == 5)
            d.endMarker = false;
        dives.push_back(d);
        if (!afternoon && --day == 0) {
            day = 31;
            --month;
        }
    }
    return dives;
}

}  // namespace vyemu
