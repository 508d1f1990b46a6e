#pragma once
// The viewer's drawing of a dive at any size of its picture box, with the dive's markers,
// a readout at one sample and a zoom into a part of the dive.
//
// The profile is spread evenly by sample index: entry j of the profile's tables stands at
// x = j × sample step + 500 twips, the sample step being (W − 500) ÷ sample count rounded
// down. Time ticks stand where the profile line is at their time. At the designed size
// (4395 × 7275 twips) and with the whole dive shown, the axes, the depth grid and labels and
// the profile line are exactly the drawing the viewer has always made, its failures included.
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "profiles/DiveRecord.h"
#include "profiles/ProfileReader.h"
#include "ui/viewer/ProfilePlot.h"
#include "ui/viewer/ViewSpan.h"

namespace vyper {

// A marker of the profile file at the entry of the profile's tables it belongs to.
struct PlotMarker {
    int sample = 0;  // 1 .. sampleCount − 1
    QString text;    // "SLOW", "ATT", "PLAN", "SURF", "ASC", "CEIL", "ERR" or empty
    bool operator==(const PlotMarker&) const = default;
};

// The markers of `record` (a stored dive read with its entries) placed at the entries of
// `profile` (the same file as the viewer reads it): each at the sample the logbook puts it
// at (ProfileEvents), found in `profile` by that sample's time. A marker whose sample the
// viewer did not take is left out.
std::vector<PlotMarker> PlotMarkersOf(const DiveProfile& profile, const DiveRecord& record);

// How large the picture box's font writes texts at the box's current size, in twips; the
// window takes it from PictureBox::TextSizesAt. Symbols, gaps and texts keep their size in
// pixels whatever the box's size.
struct TextSizes {
    std::function<int(const QString&)> width;  // none: 7 pixels a character
    int height = 240;                          // of one line of text
    double twipsPerPixel = 15;                 // of the box at its current size
};

// What the window asks of the drawing besides the dive.
struct ViewOptions {
    std::optional<TimeSpan> shown;     // the seconds shown; none: the whole dive
    std::optional<int> readoutSample;  // entry with the readout line and text; none: no readout
    bool markers = true;               // the markers shown and a legend of their kinds
    TextSizes text;
};

// The whole drawing of `profile` for a box of `heightTwips` × `widthTwips`: axes, depth grid
// (10 m, or coarser where its labels would overlap), time ticks with minute labels
// (" 10min."; every 10, 5 or 1 minutes by the span's length, coarser where labels would
// overlap), the profile line, the markers with their legend, the readout. A box whose size
// fits 16 bits (the designed size included) computes in the viewer's 16-bit arithmetic and
// throws its failures (a maximum depth or last time of 0 is a division by zero, a coordinate
// outside 16 bits the overflow); a larger box computes in 32 bits. For a profile as read,
// every coordinate lies within the box, so neither can overflow. Texts, symbols and the
// legend are placed inside the box; a span shown is clamped to the dive (ClampSpan).
Plot PlotDive(const DiveProfile& profile, const std::vector<PlotMarker>& markers, int heightTwips, int widthTwips,
              const ViewOptions& options);

// The span of the whole dive: from 0 to the last time.
TimeSpan WholeDive(const DiveProfile& profile);

// The entry of the profile's tables (1 .. sampleCount − 1) whose point on the profile line is
// nearest to `xTwips` in the drawing PlotDive makes with the same size and options; among
// the entries shown. Returns 0 for a profile without samples.
int NearestSample(const DiveProfile& profile, int xTwips, int heightTwips, int widthTwips,
                  const ViewOptions& options);

// The time in seconds (between two samples interpolated) at which the profile line stands at
// `xTwips`, clamped to the span shown; what a zoom around the mouse keeps in place.
int TimeAtX(const DiveProfile& profile, int xTwips, int heightTwips, int widthTwips, const ViewOptions& options);

// The readout's text for a sample: minutes and seconds, then the depth: "12:30, 18 m".
QString ReadoutText(int seconds, int depthMetres);

}  // namespace vyper
