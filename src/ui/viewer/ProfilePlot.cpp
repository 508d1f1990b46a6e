#include "ui/viewer/ProfilePlot.h"

#include <cmath>
#include <limits>

#include "profiles/ProfileDecoding.h"
#include "text/NumberText.h"
#include "profiles/ProfileReadFailures.h"

namespace vyper {

namespace {

constexpr int kLeftMargin = 500;
constexpr int kTopMargin = 200;
constexpr int kBottomMargin = 300;
constexpr int kRightMargin = 200;
constexpr int kDepthTickEnd = 600;
constexpr int kDepthLabelX = 10;
constexpr int kTimeLabelDrop = 10;
constexpr int kTimeTickHeight = 100;
constexpr int kDepthGridMetres = 10;
constexpr int kTimeGridSeconds = 600;

int16_t Checked16(long long value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
        throw OverflowFailure();
    }
    return static_cast<int16_t>(value);
}

int16_t FloorToInt16(float value) {
    const float f = std::floor(value);
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

PlotScales ComputeScales(const DiveProfile& profile, int height, int width) {
    const float plotHeight = static_cast<float>(height - kLeftMargin - kTopMargin - kBottomMargin);
    const float plotWidth = static_cast<float>(width - kLeftMargin);
    PlotScales scales{};
    if (profile.maxDepth == 0) throw DivisionByZero();
    scales.depthScale = FloorToInt16(plotHeight / static_cast<float>(profile.maxDepth));
    // The sample count is at least 1: the next free entry after entry 0.
    scales.sampleStep = FloorToInt16(plotWidth / static_cast<float>(profile.sampleCount));
    if (profile.lastTime == 0) throw DivisionByZero();
    scales.timeStep = RoundToInt16(plotWidth / static_cast<float>(profile.lastTime));
    return scales;
}

void AddDepthGrid(Plot& plot, const DiveProfile& profile, const PlotScales& scales) {
    for (int d = 0; d <= profile.maxDepth; d += kDepthGridMetres) {
        const int y = Add16(Multiply16(d, scales.depthScale), kTopMargin);
        plot.texts.push_back({kDepthLabelX, y, QStringLiteral(" %1m").arg(d)});
        plot.lines.push_back(DrawingLine(kLeftMargin, y, kDepthTickEnd, y));
    }
}

void AddTimeGrid(Plot& plot, const DiveProfile& profile, const PlotScales& scales, int height) {
    const int axisY = Add16(height, -kBottomMargin);
    const int labelY = Add16(axisY, kTimeLabelDrop);
    const int tickTop = Add16(axisY, -kTimeTickHeight);
    for (int t = 0; t <= profile.lastTime; ++t) {
        const float tens = static_cast<float>(t) / static_cast<float>(kTimeGridSeconds);
        if (tens != std::floor(tens)) continue;
        const int x = Add16(Multiply16(t, scales.timeStep), kLeftMargin);
        plot.texts.push_back({x, labelY, QStringLiteral(" %1min.").arg(t / 60)});
        plot.lines.push_back(DrawingLine(x, axisY, x, tickTop));
    }
}

void AddProfileLine(Plot& plot, const DiveProfile& profile, const PlotScales& scales) {
    for (int j = 1; j <= profile.sampleCount - 1; ++j) {
        const int x = Add16(Multiply16(j, scales.sampleStep), kLeftMargin);
        const int y = Add16(Multiply16(profile.depth[j], scales.depthScale), kTopMargin);
        const int previousX = Add16(Multiply16(j - 1, scales.sampleStep), kLeftMargin);
        const int previousY = Add16(Multiply16(profile.depth[j - 1], scales.depthScale), kTopMargin);
        plot.lines.push_back({x, y, previousX, previousY, kProfileColour, kProfileLineWidth});
    }
}

Plot PlotProfile(const DiveProfile& profile, int height, int width) {
    Plot plot = AxesPlot(height, width);
    const PlotScales scales = ComputeScales(profile, height, width);
    AddDepthGrid(plot, profile, scales);
    AddTimeGrid(plot, profile, scales, height);
    AddProfileLine(plot, profile, scales);
    return plot;
}

QString InfoCaption(const DiveProfile& profile) {
    // Rounded as the file's "Dauer:" line: a begun minute counts (BegunMinutes).
    return QStringLiteral("Max.Tauchtiefe: %1m. Tauchzeit: %2min.")
        .arg(profile.maxDepth)
        .arg(BegunMinutes(profile.lastTime));
}

}  // namespace vyper
