#include "ui/viewer/ViewSpan.h"

#include <algorithm>
#include <cmath>

namespace vyper {

TimeSpan ClampSpan(TimeSpan span, const TimeSpan& whole) {
    if (span.last < span.first) std::swap(span.first, span.last);
    const int shortest = std::min(kShortestSpanSeconds, whole.Length());
    if (span.Length() >= whole.Length()) return whole;
    if (span.Length() < shortest) {
        // Widened around its middle; the halves in whole seconds keep the length exact.
        const int middle = span.first + span.Length() / 2;
        span.first = middle - shortest / 2;
        span.last = span.first + shortest;
    }
    if (span.first < whole.first) span = {whole.first, whole.first + span.Length()};
    if (span.last > whole.last) span = {whole.last - span.Length(), whole.last};
    return span;
}

TimeSpan ZoomAround(const TimeSpan& shown, double factor, int around, const TimeSpan& whole) {
    if (!(factor > 0) || !std::isfinite(factor) || shown.Length() <= 0) return ClampSpan(shown, whole);
    around = std::clamp(around, shown.first, shown.last);
    const double shortest = std::min(kShortestSpanSeconds, whole.Length());
    const double length = std::max(shown.Length() / factor, shortest);
    // `around` keeps its share of the span before it.
    const double before = length * (around - shown.first) / shown.Length();
    const int first = static_cast<int>(std::lround(around - before));
    return ClampSpan({first, first + static_cast<int>(std::lround(length))}, whole);
}

TimeSpan Pan(const TimeSpan& shown, int deltaSeconds, const TimeSpan& whole) {
    const TimeSpan span = ClampSpan(shown, whole);
    const int delta = std::clamp(deltaSeconds, whole.first - span.first, whole.last - span.last);
    return {span.first + delta, span.last + delta};
}

}  // namespace vyper
