#pragma once
// Where times stand on the viewer's x axis. The profile is spread evenly by sample index, so
// a time is first turned into a fractional entry of the profile's tables (between the two
// samples whose stored times bracket it) and that entry into an x.
#include <QString>
#include <functional>
#include <vector>

#include "profiles/ProfileReader.h"
#include "ui/viewer/ViewSpan.h"

namespace vyper {

// The fractional entry of `profile`'s tables at which the profile is at `seconds`: between
// the first entry whose time reaches `seconds` and the one before it, in proportion of their
// times; 0 at or before 0 s, sampleCount − 1 at or after the last sample's time.
double EntryAtTime(const DiveProfile& profile, double seconds);
// The time at a fractional entry, interpolated between the two entries around it.
double TimeAtEntry(const DiveProfile& profile, double entry);

// The x axis of the drawing: the fractional entries `first` .. `last` spread evenly from x
// `left` to x `right` (twips).
struct SampleAxis {
    double first = 0, last = 0;
    double left = 0, right = 0;
    double X(double entry) const;
    double EntryAt(double x) const;
};

// The axis of a box showing `shown` of `profile`: entries 0 .. sampleCount − 1 of the whole
// dive stand at j × sampleStep + 500; a shorter span is stretched over the same width.
SampleAxis AxisFor(const DiveProfile& profile, int sampleStep, const TimeSpan& shown);

// One time tick: where it stands, and where its label " 10min." starts (none: left out).
struct TimeTick {
    int seconds;
    int x;
    QString label;
    int labelX;
    bool operator==(const TimeTick&) const = default;
};

// The seconds between time ticks to try for a span of `spanSeconds`, in order: 10 minutes
// where that gives three ticks or more, else 5 minutes where that does, else 1 minute; then
// the longer steps 20, 30, 60, 120 ... minutes for when labels would overlap.
std::vector<int> TickSteps(int spanSeconds);

// The ticks for `shown` on `axis`, with the first step of TickSteps at which no label
// overlaps the next one and every label lies within 0 .. `boxWidth` (a label that would run
// past the right edge ends at it instead). `labelWidth` gives a label's width in twips. When
// no step lets every label stand, the longest is taken and overlapping labels left out.
std::vector<TimeTick> TimeTicks(const DiveProfile& profile, const SampleAxis& axis, const TimeSpan& shown,
                                int boxWidth, const std::function<int(const QString&)>& labelWidth);

// A tick's label: " 10min." for 600 s.
QString TickLabel(int seconds);

}  // namespace vyper
