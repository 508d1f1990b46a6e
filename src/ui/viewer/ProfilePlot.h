#pragma once
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "profiles/ProfileReader.h"

namespace vyper {

// What the viewer draws into its picture box, in twips from the box's top-left corner,
// x to the right and y downwards.
struct PlotLine {
    int x1, y1, x2, y2;
    std::optional<int> colour;  // platform colour value; none: the box's drawing colour
    int widthPixels;
    bool operator==(const PlotLine&) const = default;
};
struct PlotText {
    int x, y;  // top-left corner of the text
    QString text;
    bool operator==(const PlotText&) const = default;
};
struct Plot {
    std::vector<PlotLine> lines;
    std::vector<PlotText> texts;
};

// RGB(0, 0, 160), the dark blue of the profile line, and its width in pixels.
inline constexpr int kProfileColour = 160 << 16;
inline constexpr int kProfileLineWidth = 2;

// 16-bit integer arithmetic; a result outside -32768..32767 throws the overflow failure.
int16_t Multiply16(int a, int b);
int16_t Add16(int a, int b);

// The two axes for a box of `height` × `width` twips: depth axis (500, 200)-(500, H-300),
// time axis (500, H-300)-(W-200, H-300).
Plot AxesPlot(int height, int width);

struct PlotScales {
    int16_t depthScale;  // twips per metre, rounded down
    int16_t sampleStep;  // twips per sample, rounded down
    int16_t timeStep;    // twips per second, rounded to nearest, halves to even
};
// The scales in single precision; throws the division-by-zero failure for a maximum depth
// or last time of 0, the overflow failure when a scale does not fit 16 bits.
PlotScales ComputeScales(const DiveProfile& profile, int height, int width);

// Appends the depth labels and ticks (every 10 m up to the maximum depth).
void AddDepthGrid(Plot& plot, const DiveProfile& profile, const PlotScales& scales);
// Appends the time labels and ticks (every 10 minutes from 0 to the last time).
void AddTimeGrid(Plot& plot, const DiveProfile& profile, const PlotScales& scales, int height);
// Appends the profile line, samples spaced evenly by index, starting at (500, 200).
void AddProfileLine(Plot& plot, const DiveProfile& profile, const PlotScales& scales);

// The axes, grids and profile line for `profile`; throws what ComputeScales and the
// 16-bit arithmetic throw.
Plot PlotProfile(const DiveProfile& profile, int height, int width);

// "Max.Tauchtiefe: 23m. Tauchzeit: 46min." for 23 m and 2730 s: the minutes counted as the
// file's "Dauer:" line counts them, a begun minute as a whole one.
QString InfoCaption(const DiveProfile& profile);

}  // namespace vyper
