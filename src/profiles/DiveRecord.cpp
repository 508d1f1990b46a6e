#include "profiles/DiveRecord.h"

#include "text/NumberText.h"

namespace vyper {

ProfileEntry ProfileEntry::Marker(const QString& text) {
    ProfileEntry e;
    e.kind = Kind::Marker;
    e.MarkerText = text;
    return e;
}

ProfileEntry ProfileEntry::Sample(int32_t elapsedSeconds, int16_t depth) {
    ProfileEntry e;
    e.kind = Kind::Sample;
    e.ElapsedSeconds = elapsedSeconds;
    e.Depth = depth;
    return e;
}

QString DateText(int year, int month, int day) {
    return ZeroPad(year, 2) + QLatin1Char('-') + ZeroPad(month, 2) + QLatin1Char('-') + ZeroPad(day, 2);
}

int CalendarYear(int diveYear) {
    if (diveYear >= 30 && diveYear <= 99) return 1900 + diveYear;
    return 2000 + diveYear;
}

}  // namespace vyper
