#include "ui/viewer/PlotPlacement.h"

#include <algorithm>

namespace vyper {

bool LineCrossesRect(const PlotLine& line, const PlaceRect& rect) {
    // Clip the line's parameter range to the rectangle's slabs (Liang-Barsky).
    const double left = rect.x, right = rect.x + rect.width, top = rect.y, bottom = rect.y + rect.height;
    const double dx = line.x2 - line.x1, dy = line.y2 - line.y1;
    double t0 = 0, t1 = 1;
    const auto clip = [&](double p, double q) {
        if (p == 0) return q >= 0;
        const double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    return clip(-dx, line.x1 - left) && clip(dx, right - line.x1) && clip(-dy, line.y1 - top) &&
           clip(dy, bottom - line.y1) && t0 <= t1;
}

int LeastCrossedPlace(const std::vector<PlaceRect>& candidates, const std::vector<PlotLine>& lines) {
    int best = -1;
    long bestCount = 0;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const long count = std::count_if(lines.begin(), lines.end(),
                                         [&](const PlotLine& l) { return LineCrossesRect(l, candidates[i]); });
        if (best < 0 || count < bestCount) {
            best = static_cast<int>(i);
            bestCount = count;
        }
        if (count == 0) break;
    }
    return best;
}

int BesideLine(int lineX, int width, int gap, int boxWidth) {
    int left = lineX + gap;
    if (left + width > boxWidth) left = lineX - gap - width;
    return std::max(0, left);
}

}  // namespace vyper
