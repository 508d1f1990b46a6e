#pragma once
#include <QString>
#include <cstdint>
#include <vector>

namespace vyper {

// One line of a dive's profile: either an event marker or a depth sample.
struct ProfileEntry {
    enum class Kind { Marker, Sample };
    Kind kind = Kind::Sample;
    QString MarkerText;          // markers only: "SLOW", "ATT", ... or empty
    int32_t ElapsedSeconds = 0;  // samples only: seconds since the dive's start
    int16_t Depth = 0;           // samples only: whole metres, negative below the surface

    static ProfileEntry Marker(const QString& text);
    static ProfileEntry Sample(int32_t elapsedSeconds, int16_t depth);
    bool IsMarker() const { return kind == Kind::Marker; }
    bool operator==(const ProfileEntry&) const = default;
};

// One decoded dive. The header fields are set before the storage decision; Entries,
// MaxDepth, EndedByMarker and DurationMinutes only for a dive that is to be stored.
struct DiveRecord {
    uint8_t DiveYear = 0;  // two digits as the dive computer stores them
    uint8_t DiveMonth = 0;
    uint8_t DiveDay = 0;
    uint8_t DiveHour = 0;
    uint8_t DiveMinute = 0;
    QString DateText;      // "yy-mm-dd", see DateText()
    int16_t SurfaceHours = 0;
    int16_t SurfaceMinutes = 0;
    int16_t SampleInterval = 20;  // seconds, at least 20
    int16_t OxygenPercent = 0;
    int16_t AirTemperature = 0;
    int16_t MaxDepthTemperature = 0;
    int16_t MaxDepth = 9999;      // positive metres; 9999 when no profile byte was walked
    int16_t DurationMinutes = 0;
    bool EndedByMarker = false;
    std::vector<ProfileEntry> Entries;
};

// Year, month and day each padded to two digits and joined by "-" (99, 5, 12 -> "99-05-12";
// values are kept as they are, so a month of 13 stays "13").
QString DateText(int year, int month, int day);

// The calendar year of a two-digit dive year: 0..29 -> 2000..2029, 30..99 -> 1930..1999.
// A byte above 99 cannot come from the dive computer's year counter; it is taken as
// 2000 + year (2100..2255) so that it never looks like a genuine date.
int CalendarYear(int diveYear);

}  // namespace vyper
