#pragma once
// Where the viewer puts what it writes over the plot (legend, readout), in twips.
#include <vector>

#include "ui/viewer/ProfilePlot.h"

namespace vyper {

struct PlaceRect {
    int x, y, width, height;
    bool operator==(const PlaceRect&) const = default;
};

// Whether the straight line from (x1, y1) to (x2, y2) passes through `rect` (edges included).
bool LineCrossesRect(const PlotLine& line, const PlaceRect& rect);

// The index of the first of `candidates` that none of `lines` crosses; when every one is
// crossed, the one crossed by the fewest (the first of equals). -1 for no candidates.
int LeastCrossedPlace(const std::vector<PlaceRect>& candidates, const std::vector<PlotLine>& lines);

// The left edge of a text `width` wide that labels a vertical line at `lineX`: `gap` to the
// right of the line, or to its left where it would run past `boxWidth`, and never left of 0.
int BesideLine(int lineX, int width, int gap, int boxWidth);

}  // namespace vyper
