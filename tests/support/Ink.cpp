#include "support/Ink.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vyper::testing {

namespace {

bool IsInk(QRgb pixel, const QColor& background) {
    const int distance = std::abs(qRed(pixel) - background.red()) + std::abs(qGreen(pixel) - background.green()) +
                         std::abs(qBlue(pixel) - background.blue());
    return distance > 120;
}

// Which device columns of `area` carry ink, and the device pixel ratio.
std::vector<bool> InkedColumns(const QImage& picture, const QRectF& area, const QColor& background, int& firstColumn,
                               double& ratio) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    ratio = picture.devicePixelRatio();
    const int x0 = std::max(0, static_cast<int>(std::floor(area.left() * ratio)));
    const int x1 = std::min(image.width(), static_cast<int>(std::ceil(area.right() * ratio)));
    const int y0 = std::max(0, static_cast<int>(std::floor(area.top() * ratio)));
    const int y1 = std::min(image.height(), static_cast<int>(std::ceil(area.bottom() * ratio)));
    firstColumn = x0;
    std::vector<bool> inked(static_cast<size_t>(std::max(0, x1 - x0)), false);
    for (int y = y0; y < y1; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = x0; x < x1; ++x) {
            if (IsInk(line[x], background)) inked[static_cast<size_t>(x - x0)] = true;
        }
    }
    return inked;
}

}  // namespace

std::vector<InkSpan> InkSpans(const QImage& image, const QRectF& area, const QColor& background, double gap) {
    int first = 0;
    double ratio = 1;
    const std::vector<bool> inked = InkedColumns(image, area, background, first, ratio);
    std::vector<InkSpan> spans;
    for (size_t i = 0; i < inked.size(); ++i) {
        if (!inked[i]) continue;
        const double left = (first + static_cast<double>(i)) / ratio;
        const double right = left + 1 / ratio;
        if (!spans.empty() && left - spans.back().right < gap) {
            spans.back().right = right;
        } else {
            spans.push_back({left, right});
        }
    }
    return spans;
}

InkSpan InkExtent(const QImage& image, const QRectF& area, const QColor& background) {
    const std::vector<InkSpan> spans = InkSpans(image, area, background, 1e9);
    if (spans.empty()) return {1, 0};
    return spans.front();
}

}  // namespace vyper::testing
