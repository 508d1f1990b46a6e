#pragma once
// Where a picture carries ink: pixels that stand out from the background. Pictures are
// taken at the device pixel ratio; positions are given and returned in logical pixels.

#include <QColor>
#include <QImage>
#include <QRectF>
#include <vector>

namespace vyper::testing {

struct InkSpan {
    double left, right;  // from the left edge of the first to the right edge of the last inked column
    double Width() const { return right - left; }
};

// The inked columns of `area` in `image`, joined into spans wherever less than `gap` logical
// pixels lie between them; left to right. A pixel is ink when it differs clearly from
// `background`.
std::vector<InkSpan> InkSpans(const QImage& image, const QRectF& area, const QColor& background, double gap);

// The span from the first to the last inked column of `area`; left > right when there is none.
InkSpan InkExtent(const QImage& image, const QRectF& area, const QColor& background);

}  // namespace vyper::testing
