#pragma once
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "profiles/ProfileReader.h"

namespace vyper {

// What the viewer draws into its picture box, in twips from the box's top-left corner,
// x to the right and y downwards. Painted in this order: the symbols and texts under the
// line (a marker's), the lines, the boxes, the other texts, the symbols over the boxes.
struct PlotLine {
    int x1, y1, x2, y2;
    std::optional<int> colour;  // platform colour value; none: the box's drawing colour
    int widthPixels;
    bool dashed = false;
    bool operator==(const PlotLine&) const = default;
};
struct PlotText {
    int x, y;  // top-left corner of the text
    QString text;
    std::optional<int> colour = std::nullopt;  // none: the box's drawing colour
    bool underLine = false;                     // painted before the lines, which stay whole
    bool operator==(const PlotText&) const = default;
};
enum class SymbolShape { Triangle, Circle };
// A marker's symbol, `sizePixels` across whatever the box's size, centred on (x, y).
struct PlotSymbol {
    int x, y;
    SymbolShape shape;
    int colour;
    bool filled;
    int sizePixels;
    bool overBoxes = false;  // in a legend: painted after the boxes; else before the lines
    bool operator==(const PlotSymbol&) const = default;
};
// A rectangle filled with the box's background and framed in the drawing colour (the
// legend, the readout's text).
struct PlotBox {
    int x, y, width, height;
    bool operator==(const PlotBox&) const = default;
};
struct Plot {
    std::vector<PlotLine> lines;
    std::vector<PlotText> texts;
    std::vector<PlotSymbol> symbols;
    std::vector<PlotBox> boxes;
    bool operator==(const Plot&) const = default;
};

// RGB(0, 0, 160), the dark blue of the profile line, and its width in pixels.
inline constexpr int kProfileColour = 160 << 16;
inline constexpr int kProfileLineWidth = 2;

// The plot's margins in twips: the depth axis and time 0 stand at the left margin, depth 0
// at the top margin; the time axis lies the bottom margin above the box's lower edge and
// ends the right margin short of its right edge.
inline constexpr int kLeftMargin = 500;
inline constexpr int kTopMargin = 200;
inline constexpr int kBottomMargin = 300;
inline constexpr int kRightMargin = 200;

// 16-bit integer arithmetic; a result outside -32768..32767 throws the overflow failure.
int16_t Multiply16(int a, int b);
int16_t Add16(int a, int b);

// The two axes for a box of `height` × `width` twips: depth axis (500, 200)-(500, H-300),
// time axis (500, H-300)-(W-200, H-300).
Plot AxesPlot(int height, int width);

struct PlotScales {
    int depthScale;  // twips per metre, rounded down
    int sampleStep;  // twips per sample, rounded down
    int timeStep;    // twips per second, rounded to nearest, halves to even
};
// The scales in single precision: depth scale (H − 1000) ÷ maximum depth, sample step
// (W − 500) ÷ sample count, time step (W − 500) ÷ last time. Throws the division-by-zero
// failure for a maximum depth or last time of 0; with `sixteenBit` the overflow failure when
// a scale does not fit 16 bits.
PlotScales ComputeScales(const DiveProfile& profile, int height, int width, bool sixteenBit = true);
// The sample step alone; never throws in 32 bits (the sample count is at least 1).
int SampleStep(const DiveProfile& profile, int width, bool sixteenBit);

// The drawing of the whole dive without markers (PlotDive with the default options, in
// DivePlot.h); throws what ComputeScales and the 16-bit arithmetic throw.
Plot PlotProfile(const DiveProfile& profile, int height, int width);

// "Max.Tauchtiefe: 23m. Tauchzeit: 46min." for 23 m and 2730 s: the minutes counted as the
// file's "Dauer:" line counts them, a begun minute as a whole one.
QString InfoCaption(const DiveProfile& profile);

}  // namespace vyper
