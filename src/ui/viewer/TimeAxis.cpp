#include "ui/viewer/TimeAxis.h"

#include <algorithm>
#include <cmath>

#include "ui/viewer/ProfilePlot.h"

namespace vyper {

namespace {

int LastEntry(const DiveProfile& profile) { return std::max(0, profile.sampleCount - 1); }

}  // namespace

double EntryAtTime(const DiveProfile& profile, double seconds) {
    const int last = LastEntry(profile);
    if (seconds <= 0) return 0;
    for (int j = 1; j <= last; ++j) {
        if (profile.time[j] < seconds) continue;
        const double before = profile.time[j - 1];
        const double span = profile.time[j] - before;
        if (span <= 0) return j;
        return std::clamp(j - 1 + (seconds - before) / span, j - 1.0, static_cast<double>(j));
    }
    return last;
}

double TimeAtEntry(const DiveProfile& profile, double entry) {
    const int last = LastEntry(profile);
    entry = std::clamp(entry, 0.0, static_cast<double>(last));
    const int j = std::min(static_cast<int>(std::floor(entry)), std::max(0, last - 1));
    if (j >= last) return profile.time[last];
    return profile.time[j] + (entry - j) * (profile.time[j + 1] - profile.time[j]);
}

double SampleAxis::X(double entry) const {
    if (last <= first) return left;
    return left + (entry - first) * (right - left) / (last - first);
}

double SampleAxis::EntryAt(double x) const {
    if (right <= left) return first;
    return first + (x - left) * (last - first) / (right - left);
}

SampleAxis AxisFor(const DiveProfile& profile, int sampleStep, const TimeSpan& shown) {
    SampleAxis axis;
    const int last = LastEntry(profile);
    axis.left = kLeftMargin;
    axis.right = kLeftMargin + static_cast<double>(sampleStep) * last;
    if (shown == TimeSpan{0, profile.lastTime}) {
        axis.first = 0;
        axis.last = last;
    } else {
        axis.first = EntryAtTime(profile, shown.first);
        axis.last = EntryAtTime(profile, shown.last);
    }
    return axis;
}

QString TickLabel(int seconds) { return QStringLiteral(" %1min.").arg(seconds / 60); }

std::vector<int> TickSteps(int spanSeconds) {
    std::vector<int> steps;
    // Three ticks or more: the span covers two steps.
    if (spanSeconds < 2 * 300) steps.push_back(60);
    if (spanSeconds < 2 * 600) steps.push_back(300);
    for (int minutes : {10, 20, 30, 60}) steps.push_back(minutes * 60);
    for (int minutes = 120; minutes <= 32768 / 60 * 2; minutes *= 2) steps.push_back(minutes * 60);
    return steps;
}

namespace {

// The ticks of one step; `overlapped` tells whether a label had to be left out. The last
// label, moved left to end at the box's edge, may alone be left out where it would cover
// the one before: the step is kept for it.
std::vector<TimeTick> TicksAt(const DiveProfile& profile, const SampleAxis& axis, const TimeSpan& shown, int step,
                              int boxWidth, const std::function<int(const QString&)>& labelWidth,
                              bool& overlapped) {
    std::vector<TimeTick> ticks;
    overlapped = false;
    double labelsEnd = -1;  // where the last label shown ends
    const int firstTick = (std::max(shown.first, 0) + step - 1) / step * step;
    for (int t = firstTick; t <= shown.last; t += step) {
        const int x = static_cast<int>(std::lround(axis.X(EntryAtTime(profile, t))));
        TimeTick tick{t, x, TickLabel(t), x};
        const int width = labelWidth(tick.label);
        const bool atEdge = tick.labelX + width > boxWidth;
        if (atEdge) tick.labelX = boxWidth - width;
        if (tick.labelX < labelsEnd || tick.labelX < 0) {
            const bool last = t + step > shown.last;
            if (!(last && atEdge)) overlapped = true;
            tick.label.clear();
        } else {
            labelsEnd = tick.labelX + width;
        }
        ticks.push_back(tick);
    }
    return ticks;
}

}  // namespace

std::vector<TimeTick> TimeTicks(const DiveProfile& profile, const SampleAxis& axis, const TimeSpan& shown,
                                int boxWidth, const std::function<int(const QString&)>& labelWidth) {
    const std::vector<int> steps = TickSteps(shown.Length());
    std::vector<TimeTick> ticks;
    for (int step : steps) {
        bool overlapped = false;
        ticks = TicksAt(profile, axis, shown, step, boxWidth, labelWidth, overlapped);
        if (!overlapped) break;
    }
    return ticks;
}

}  // namespace vyper
