#include "ui/viewer/ProfilePlot.h"

#include <cmath>
#include <limits>

#include "profiles/ProfileDecoding.h"
#include "profiles/ProfileReadFailures.h"
#include "text/NumberText.h"

namespace vyper {

namespace {


int16_t Checked16(long long value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
        throw OverflowFailure();
    }
    return static_cast<int16_t>(value);
}

int Floor(float value, bool sixteenBit) {
    const float f = std::floor(value);
    if (!sixteenBit) return static_cast<int>(f);
    if (!(f >= std::numeric_limits<int16_t>::min() && f <= std::numeric_limits<int16_t>::max())) {
        throw OverflowFailure();
    }
    return static_cast<int16_t>(f);
}

PlotLine DrawingLine(int x1, int y1, int x2, int y2) { return {x1, y1, x2, y2, std::nullopt, 1}; }

}  // namespace

int16_t Multiply16(int a, int b) { return Checked16(static_cast<long long>(a) * b); }
int16_t Add16(int a, int b) { return Checked16(static_cast<long long>(a) + b); }

Plot AxesPlot(int height, int width) {
    Plot plot;
    const int timeAxisY = height - kBottomMargin;
    plot.lines.push_back(DrawingLine(kLeftMargin, kTopMargin, kLeftMargin, timeAxisY));
    plot.lines.push_back(DrawingLine(kLeftMargin, timeAxisY, width - kRightMargin, timeAxisY));
    return plot;
}

int SampleStep(const DiveProfile& profile, int width, bool sixteenBit) {
    // The sample count is at least 1: the next free entry after entry 0.
    return Floor(static_cast<float>(width - kLeftMargin) / static_cast<float>(profile.sampleCount), sixteenBit);
}

PlotScales ComputeScales(const DiveProfile& profile, int height, int width, bool sixteenBit) {
    // The depth axis's height less the left margin too, as the picture was always drawn.
    const float plotHeight = static_cast<float>(height - kLeftMargin - kTopMargin - kBottomMargin);
    const float plotWidth = static_cast<float>(width - kLeftMargin);
    PlotScales scales{};
    if (profile.maxDepth == 0) throw DivisionByZero();
    scales.depthScale = Floor(plotHeight / static_cast<float>(profile.maxDepth), sixteenBit);
    scales.sampleStep = SampleStep(profile, width, sixteenBit);
    if (profile.lastTime == 0) throw DivisionByZero();
    const float timeStep = plotWidth / static_cast<float>(profile.lastTime);
    scales.timeStep = sixteenBit ? RoundToInt16(timeStep) : static_cast<int>(std::nearbyint(timeStep));
    return scales;
}

QString InfoCaption(const DiveProfile& profile) {
    // Rounded as the file's "Dauer:" line: a begun minute counts (BegunMinutes).
    return QStringLiteral("Max.Tauchtiefe: %1m. Tauchzeit: %2min.")
        .arg(profile.maxDepth)
        .arg(BegunMinutes(profile.lastTime));
}

}  // namespace vyper
