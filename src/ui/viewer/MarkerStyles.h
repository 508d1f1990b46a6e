#pragma once
// How the viewer shows the markers of a profile: a colour and a symbol of its own per marker
// kind, and a line for the legend. The warnings (ascent too fast, ascent, ceiling broken,
// error) are red-toned filled triangles; the other markers open circles.
#include <QString>
#include <vector>

#include "ui/viewer/ProfilePlot.h"

namespace vyper {

struct MarkerStyle {
    int colour;  // platform colour value
    bool warning;
    SymbolShape shape;
    QString legend;  // "SLOW: Aufstieg zu schnell"
};

// The style of a marker by its text as the file states it; a text the dive computer does
// not write is shown like a marker without text, its legend line naming it.
MarkerStyle StyleOfMarker(const QString& text);

// The marker texts of `texts` once each, warnings first, in a fixed order (SLOW, ASC, CEIL,
// ERR, ATT, PLAN, SURF, no text, then others in order of appearance).
std::vector<QString> LegendOrder(const std::vector<QString>& texts);

}  // namespace vyper
