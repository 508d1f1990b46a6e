#pragma once

namespace vyper {

// The part of a dive the viewer shows: the seconds from `first` to `last` since the start.
struct TimeSpan {
    int first = 0;
    int last = 0;
    int Length() const { return last - first; }
    bool operator==(const TimeSpan&) const = default;
};

// The shortest span a zoom shows (two minutes), or the whole dive when that is shorter.
inline constexpr int kShortestSpanSeconds = 120;

// `span` moved and cut to lie within `whole`: a span longer than the whole dive is the whole
// dive, one shorter than the shortest is widened around its middle, one that sticks out at
// an end is moved back inside keeping its length. `whole` must have first <= last.
TimeSpan ClampSpan(TimeSpan span, const TimeSpan& whole);

// Zooms `shown` by `factor` (2 shows half as many seconds, 0.5 twice as many) so that the
// second `around` stays where it is on the screen; clamped to `whole` as ClampSpan does.
// A factor of 0 or less, or not a number, leaves the span as it is (clamped).
TimeSpan ZoomAround(const TimeSpan& shown, double factor, int around, const TimeSpan& whole);

// Moves `shown` by `deltaSeconds` (positive: later), keeping its length, and stops at the
// dive's ends.
TimeSpan Pan(const TimeSpan& shown, int deltaSeconds, const TimeSpan& whole);

}  // namespace vyper
