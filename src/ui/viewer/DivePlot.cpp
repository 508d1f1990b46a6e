#include "ui/viewer/DivePlot.h"

#include <algorithm>
#include <cmath>

#include "logbook/ProfileEvents.h"
#include "ui/viewer/MarkerStyles.h"
#include "ui/viewer/PlotPlacement.h"
#include "ui/viewer/TimeAxis.h"

namespace vyper {

namespace {

constexpr int kDepthTickEnd = 600;
constexpr int kDepthLabelX = 10;
constexpr int kTimeLabelDrop = 10;
constexpr int kTimeTickHeight = 100;

// Sizes in pixels, the same at every size of the box.
constexpr int kSymbolPixels = 9;
constexpr int kSymbolGapPixels = 3;
constexpr int kPaddingPixels = 4;
constexpr int kReadoutColour = 96 | (96 << 8) | (96 << 16);

// The viewer's long-standing 16-bit arithmetic for a box whose size fits 16 bits; 32 bits
// beyond, where every coordinate stays within a few times the box's size.
struct Arithmetic {
    bool sixteenBit;
    int Mul(int a, int b) const { return sixteenBit ? Multiply16(a, b) : a * b; }
    int Add(int a, int b) const { return sixteenBit ? Add16(a, b) : a + b; }
};

bool FitsSixteenBits(int heightTwips, int widthTwips) { return heightTwips <= 32767 && widthTwips <= 32767; }

struct Measure {
    const TextSizes& sizes;
    int Width(const QString& text) const {
        return sizes.width ? sizes.width(text) : static_cast<int>(std::lround(7 * sizes.twipsPerPixel * text.size()));
    }
    int Height() const { return sizes.height; }
    int Pixels(double pixels) const { return static_cast<int>(std::lround(pixels * sizes.twipsPerPixel)); }
};

// 10 m between depth labels, or 20, 50, 100 ... m where the labels would overlap.
int DepthGridStep(const PlotScales& scales, const Measure& measure) {
    if (scales.depthScale <= 0) return 10;
    for (int step : {10, 20, 50, 100, 200, 500, 1000, 2000, 5000}) {
        if (static_cast<long long>(step) * scales.depthScale >= measure.Height()) return step;
    }
    return 10000;
}

void AddDepthGrid(Plot& plot, const DiveProfile& profile, const PlotScales& scales, const Arithmetic& a,
                  const Measure& measure) {
    const int step = DepthGridStep(scales, measure);
    for (int d = 0; d <= profile.maxDepth; d += step) {
        const int y = a.Add(a.Mul(d, scales.depthScale), kTopMargin);
        plot.texts.push_back({kDepthLabelX, y, QStringLiteral(" %1m").arg(d)});
        plot.lines.push_back({kLeftMargin, y, kDepthTickEnd, y, std::nullopt, 1});
    }
}

void AddTimeTicks(Plot& plot, const DiveProfile& profile, const SampleAxis& axis, const TimeSpan& shown,
                  int heightTwips, int widthTwips, const Arithmetic& a, const Measure& measure) {
    const int axisY = a.Add(heightTwips, -kBottomMargin);
    const int labelY = a.Add(axisY, kTimeLabelDrop);
    const int tickTop = a.Add(axisY, -kTimeTickHeight);
    const auto width = [&](const QString& text) { return measure.Width(text); };
    for (const TimeTick& tick : TimeTicks(profile, axis, shown, widthTwips, width)) {
        if (!tick.label.isEmpty()) plot.texts.push_back({tick.labelX, labelY, tick.label});
        plot.lines.push_back({tick.x, axisY, tick.x, tickTop, std::nullopt, 1});
    }
}

int DepthY(const DiveProfile& profile, int entry, const PlotScales& scales, const Arithmetic& a) {
    return a.Add(a.Mul(profile.depth[entry], scales.depthScale), kTopMargin);
}

// The profile line from entry j to entry j − 1 for every j. The whole dive is drawn as
// it always was, at j × sample step + 500; a part of it stretched and cut at the plot's edges.
std::vector<PlotLine> ProfileLines(const DiveProfile& profile, const PlotScales& scales, const SampleAxis& axis,
                                   bool whole, const Arithmetic& a) {
    std::vector<PlotLine> lines;
    for (int j = 1; j <= profile.sampleCount - 1; ++j) {
        const int y = DepthY(profile, j, scales, a);
        const int previousY = DepthY(profile, j - 1, scales, a);
        if (whole) {
            const int x = a.Add(a.Mul(j, scales.sampleStep), kLeftMargin);
            const int previousX = a.Add(a.Mul(j - 1, scales.sampleStep), kLeftMargin);
            lines.push_back({x, y, previousX, previousY, kProfileColour, kProfileLineWidth});
            continue;
        }
        if (j <= axis.first || j - 1 >= axis.last) continue;
        // Cut the segment at the entries of the plot's edges.
        const double from = std::max<double>(j - 1, axis.first);
        const double to = std::min<double>(j, axis.last);
        const auto yAt = [&](double entry) { return previousY + (entry - (j - 1)) * (y - previousY); };
        lines.push_back({static_cast<int>(std::lround(axis.X(to))), static_cast<int>(std::lround(yAt(to))),
                         static_cast<int>(std::lround(axis.X(from))), static_cast<int>(std::lround(yAt(from))),
                         kProfileColour, kProfileLineWidth});
    }
    return lines;
}

bool Overlaps(const PlaceRect& a, const PlaceRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// The markers shown, each a symbol just above its sample's point on the line (below it where
// above leaves the box; several at one sample stacked a line of text apart), with its text
// beside the symbol where that covers no other marker's symbol or text. Returns the kinds
// shown.
std::vector<QString> AddMarkers(Plot& plot, const DiveProfile& profile, const std::vector<PlotMarker>& markers,
                                const PlotScales& scales, const SampleAxis& axis, int heightTwips, int widthTwips,
                                const Arithmetic& a, const Measure& measure) {
    std::vector<QString> kinds;
    std::vector<std::pair<const PlotMarker*, PlotSymbol>> shown;
    std::vector<int> stacked(static_cast<std::size_t>(std::max<int>(profile.sampleCount, 1)), 0);
    const int half = measure.Pixels(kSymbolPixels / 2.0);
    for (const PlotMarker& marker : markers) {
        if (marker.sample < 1 || marker.sample > profile.sampleCount - 1) continue;
        if (marker.sample < axis.first || marker.sample > axis.last) continue;
        const MarkerStyle style = StyleOfMarker(marker.text);
        const int x = static_cast<int>(std::lround(axis.X(marker.sample)));
        const int y = DepthY(profile, marker.sample, scales, a);
        const int level = stacked[static_cast<std::size_t>(marker.sample)]++;
        const int offset = measure.Pixels(kSymbolGapPixels + kSymbolPixels / 2.0) +
                           level * std::max(measure.Pixels(kSymbolPixels + 2), measure.Height());
        int centre = y - offset;
        if (centre - half < 0) centre = y + offset;
        shown.push_back({&marker, {x, centre, style.shape, style.colour, style.warning, kSymbolPixels}});
        plot.symbols.push_back(shown.back().second);
        if (std::find(kinds.begin(), kinds.end(), marker.text) == kinds.end()) kinds.push_back(marker.text);
    }

    std::vector<PlaceRect> taken;
    for (const auto& [marker, symbol] : shown) taken.push_back({symbol.x - half, symbol.y - half, 2 * half, 2 * half});
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto& [marker, symbol] = shown[i];
        if (marker->text.isEmpty()) continue;
        const int width = measure.Width(marker->text);
        const int gap = half + measure.Pixels(2);
        int left = symbol.x + gap;
        if (left + width > widthTwips) left = symbol.x - gap - width;
        const int top = std::clamp(symbol.y - measure.Height() / 2, 0, std::max(0, heightTwips - measure.Height()));
        const PlaceRect rect{left, top, width, measure.Height()};
        bool covers = left < 0;
        for (std::size_t k = 0; k < taken.size() && !covers; ++k) covers = k != i && Overlaps(taken[k], rect);
        if (covers) continue;
        taken.push_back(rect);
        plot.texts.push_back({left, top, marker->text, symbol.colour, true});
    }
    return kinds;
}

// The legend of the marker kinds shown: a framed box in a corner of the plot, the first of
// bottom right, top right, bottom left and top left that neither the profile line nor a
// marker crosses (else the one crossed least). A dive is mostly shallower towards its end,
// so the bottom right is mostly free; it ends at the surface, so the top right is not.
void AddLegend(Plot& plot, const std::vector<QString>& kinds, const std::vector<PlotLine>& profileLines,
               int heightTwips, int widthTwips, const Measure& measure) {
    if (kinds.empty()) return;
    const std::vector<QString> order = LegendOrder(kinds);
    const int pad = measure.Pixels(kPaddingPixels);
    const int symbol = measure.Pixels(kSymbolPixels);
    const int row = std::max(measure.Height(), measure.Pixels(kSymbolPixels + 2));
    int textWidth = 0;
    for (const QString& kind : order) textWidth = std::max(textWidth, measure.Width(StyleOfMarker(kind).legend));
    const int width = pad + symbol + pad + textWidth + pad;
    const int height = 2 * pad + row * static_cast<int>(order.size());

    const int left = kDepthTickEnd + pad, right = widthTwips - kRightMargin - pad;
    const int top = kTopMargin + pad, bottom = heightTwips - kBottomMargin - kTimeTickHeight - pad;
    if (width > right - left || height > bottom - top) return;  // a box too small for it
    const std::vector<PlaceRect> corners = {{right - width, bottom - height, width, height},
                                            {right - width, top, width, height},
                                            {left, bottom - height, width, height},
                                            {left, top, width, height}};
    std::vector<PlotLine> covered = profileLines;
    const int half = measure.Pixels(kSymbolPixels / 2.0);
    for (const PlotSymbol& s : plot.symbols) covered.push_back({s.x - half, s.y - half, s.x + half, s.y + half, 0, 1});
    const PlaceRect at = corners[static_cast<std::size_t>(LeastCrossedPlace(corners, covered))];

    plot.boxes.push_back({at.x, at.y, at.width, at.height});
    for (std::size_t i = 0; i < order.size(); ++i) {
        const MarkerStyle style = StyleOfMarker(order[i]);
        const int rowTop = at.y + pad + row * static_cast<int>(i);
        plot.symbols.push_back({at.x + pad + symbol / 2, rowTop + row / 2, style.shape, style.colour, style.warning,
                                kSymbolPixels, true});
        plot.texts.push_back({at.x + pad + symbol + pad, rowTop + (row - measure.Height()) / 2, style.legend});
    }
}

void AddReadout(Plot& plot, const DiveProfile& profile, int entry, const PlotScales& scales, const SampleAxis& axis,
                int heightTwips, int widthTwips, const Arithmetic& a, const Measure& measure) {
    if (entry < 1 || entry > profile.sampleCount - 1 || entry < axis.first || entry > axis.last) return;
    const int x = static_cast<int>(std::lround(axis.X(entry)));
    plot.lines.push_back({x, kTopMargin, x, heightTwips - kBottomMargin, kReadoutColour, 1, true});
    plot.symbols.push_back({x, DepthY(profile, entry, scales, a), SymbolShape::Circle, kReadoutColour, false,
                            kSymbolPixels, true});
    const QString text = ReadoutText(profile.time[entry], profile.depth[entry]);
    const int pad = measure.Pixels(kPaddingPixels / 2.0);
    const int width = measure.Width(text) + 2 * pad;
    const int height = measure.Height() + 2 * pad;
    const int left = BesideLine(x, width, measure.Pixels(kPaddingPixels), widthTwips);
    const int top = measure.Pixels(2);
    plot.boxes.push_back({left, top, width, height});
    plot.texts.push_back({left + pad, top + pad, text});
}

}  // namespace

std::vector<PlotMarker> PlotMarkersOf(const DiveProfile& profile, const DiveRecord& record) {
    std::vector<int> sampleTimes;
    for (const ProfileEntry& e : record.Entries) {
        if (!e.IsMarker()) sampleTimes.push_back(e.ElapsedSeconds);
    }
    std::vector<PlotMarker> markers;
    for (const ProfileEvent& event : ProfileEvents(record)) {
        const int seconds = sampleTimes[static_cast<std::size_t>(event.sample)];
        // The viewer's entry 1 is the first sample it took, mostly the file's first sample.
        int entry = event.sample + 1;
        if (entry >= profile.sampleCount || profile.time[entry] != seconds) {
            entry = 0;
            for (int j = 1; j < profile.sampleCount; ++j) {
                if (profile.time[j] == seconds) {
                    entry = j;
                    break;
                }
            }
        }
        if (entry > 0) markers.push_back({entry, event.text});
    }
    return markers;
}

TimeSpan WholeDive(const DiveProfile& profile) { return {0, profile.lastTime}; }

Plot PlotDive(const DiveProfile& profile, const std::vector<PlotMarker>& markers, int heightTwips, int widthTwips,
              const ViewOptions& options) {
    const Arithmetic a{FitsSixteenBits(heightTwips, widthTwips)};
    const Measure measure{options.text};
    Plot plot = AxesPlot(heightTwips, widthTwips);
    const PlotScales scales = ComputeScales(profile, heightTwips, widthTwips, a.sixteenBit);
    const TimeSpan whole = WholeDive(profile);
    const TimeSpan shown = options.shown ? ClampSpan(*options.shown, whole) : whole;
    const SampleAxis axis = AxisFor(profile, scales.sampleStep, shown);

    AddDepthGrid(plot, profile, scales, a, measure);
    AddTimeTicks(plot, profile, axis, shown, heightTwips, widthTwips, a, measure);
    const std::vector<PlotLine> line = ProfileLines(profile, scales, axis, shown == whole, a);
    std::vector<QString> kinds;
    // Markers before the line, so that the line is painted over their symbols.
    if (options.markers) kinds = AddMarkers(plot, profile, markers, scales, axis, heightTwips, widthTwips, a, measure);
    plot.lines.insert(plot.lines.end(), line.begin(), line.end());
    if (options.markers) AddLegend(plot, kinds, line, heightTwips, widthTwips, measure);
    if (options.readoutSample) {
        AddReadout(plot, profile, *options.readoutSample, scales, axis, heightTwips, widthTwips, a, measure);
    }
    return plot;
}

int NearestSample(const DiveProfile& profile, int xTwips, int heightTwips, int widthTwips,
                  const ViewOptions& options) {
    if (profile.sampleCount <= 1) return 0;
    const Arithmetic a{FitsSixteenBits(heightTwips, widthTwips)};
    const TimeSpan whole = WholeDive(profile);
    const TimeSpan shown = options.shown ? ClampSpan(*options.shown, whole) : whole;
    const SampleAxis axis = AxisFor(profile, SampleStep(profile, widthTwips, a.sixteenBit), shown);
    const int last = profile.sampleCount - 1;
    int lo = std::max(1, static_cast<int>(std::ceil(axis.first)));
    int hi = std::min(last, static_cast<int>(std::floor(axis.last)));
    if (lo > hi) lo = 1, hi = last;  // the span lies between two samples
    return std::clamp(static_cast<int>(std::lround(axis.EntryAt(xTwips))), lo, hi);
}

int TimeAtX(const DiveProfile& profile, int xTwips, int heightTwips, int widthTwips, const ViewOptions& options) {
    const Arithmetic a{FitsSixteenBits(heightTwips, widthTwips)};
    const TimeSpan whole = WholeDive(profile);
    const TimeSpan shown = options.shown ? ClampSpan(*options.shown, whole) : whole;
    const SampleAxis axis = AxisFor(profile, SampleStep(profile, widthTwips, a.sixteenBit), shown);
    const double entry = std::clamp(axis.EntryAt(xTwips), axis.first, axis.last);
    return std::clamp(static_cast<int>(std::lround(TimeAtEntry(profile, entry))), shown.first, shown.last);
}

QString ReadoutText(int seconds, int depthMetres) {
    return QStringLiteral("%1:%2, %3 m").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0')).arg(depthMetres);
}

}  // namespace vyper

namespace vyper {

Plot PlotProfile(const DiveProfile& profile, int height, int width) {
    return PlotDive(profile, {}, height, width, ViewOptions{});
}

}  // namespace vyper
