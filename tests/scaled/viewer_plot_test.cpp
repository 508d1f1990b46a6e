// The viewer's plot painted in its picture box at the scale factor this program runs at
// (registered once for each of 1, 1.25, 1.5 and 2), at the designed size and at twice it:
// time and depth labels whole, apart and inside the picture; the legend's texts inside
// their frame. Sizes are logical pixels; pictures are taken at the device pixel ratio.
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <vector>

#include "support/RegularProfile.h"
#include "ui/toolkit/Controls.h"
#include "ui/toolkit/WindowFonts.h"
#include "ui/viewer/DivePlot.h"
#include "ui/viewer/PictureBox.h"

using namespace vyper;

namespace {

struct InkRun {
    double from, to;  // logical pixels, `to` past the last inked pixel
};

// The runs of inked columns (or rows, `alongY`) of `area`, joined wherever less than `gap`
// lies between them.
std::vector<InkRun> InkRuns(const QImage& picture, const QRectF& area, const QColor& background, double gap,
                         bool alongY = false) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const double ratio = picture.devicePixelRatio();
    const int x0 = std::max(0, static_cast<int>(std::floor(area.left() * ratio)));
    const int x1 = std::min(image.width(), static_cast<int>(std::ceil(area.right() * ratio)));
    const int y0 = std::max(0, static_cast<int>(std::floor(area.top() * ratio)));
    const int y1 = std::min(image.height(), static_cast<int>(std::ceil(area.bottom() * ratio)));
    const auto inked = [&](int x, int y) {
        const QRgb p = image.pixel(x, y);
        return std::abs(qRed(p) - background.red()) + std::abs(qGreen(p) - background.green()) +
                   std::abs(qBlue(p) - background.blue()) > 120;
    };
    std::vector<InkRun> runs;
    const int outerFrom = alongY ? y0 : x0, outerTo = alongY ? y1 : x1;
    for (int i = outerFrom; i < outerTo; ++i) {
        bool ink = false;
        for (int j = alongY ? x0 : y0; j < (alongY ? x1 : y1) && !ink; ++j) ink = alongY ? inked(j, i) : inked(i, j);
        if (!ink) continue;
        const double at = i / ratio;
        if (!runs.empty() && at - runs.back().to < gap) runs.back().to = at + 1 / ratio;
        else runs.push_back({at, at + 1 / ratio});
    }
    return runs;
}

// `count` samples every `interval` s, deep first and shallower towards the end.
DiveProfile Dive(int count, int interval, int depth) {
    return vyper::testing::RegularProfile(count, interval,
                                          [&](int t) { return t / interval < count * 2 / 3 ? depth : depth / 4; });
}

struct Drawn {
    Plot plot;
    QImage picture;
    QColor background;
    QFontMetricsF metrics;
    double width, height;  // logical pixels
    int widthTwips, heightTwips;
    double X(int twips) const { return twips * width / widthTwips; }
    double Y(int twips) const { return twips * height / heightTwips; }
};

Drawn Draw(PictureBox& box, const DiveProfile& p, const std::vector<PlotMarker>& markers, int scale) {
    const double dpi = box.logicalDpiY();
    const int w = 7275 * scale, h = 4395 * scale;
    box.resize(TwipsToPixels(w, dpi), TwipsToPixels(h, dpi));
    ViewOptions options;
    options.text = box.TextSizesAt(w);
    const Plot plot = PlotDive(p, markers, h, w, options);
    box.Draw(plot, w, h);
    return {plot, box.Picture(), box.palette().color(QPalette::Base), QFontMetricsF(box.font(), &box),
            static_cast<double>(box.width()), static_cast<double>(box.height()), w, h};
}

}  // namespace

TEST(ViewerPlot, LabelsStayWholeApartAndInsideThePictureAtEverySize) {
    const struct {
        const char* name;
        DiveProfile dive;
    } dives[] = {
        {"8 min", Dive(24, 20, 14)}, {"46 min", Dive(138, 20, 23)}, {"120 min", Dive(120, 60, 45)},
        {"100 m", Dive(60, 30, 100)},
    };
    QWidget window;
    window.setFont(WindowFont());
    PictureBox box(&window);
    for (const auto& d : dives) {
        for (int scale : {1, 2}) {
            SCOPED_TRACE(std::string(d.name) + " at " + std::to_string(scale) + "x");
            const Drawn s = Draw(box, d.dive, {{3, "SLOW"}, {10, "ATT"}}, scale);
            ASSERT_DOUBLE_EQ(s.picture.devicePixelRatio(), box.devicePixelRatioF());

            // Time labels: one run of ink each, as wide as the text, inside the picture.
            std::vector<QString> labels;
            for (const PlotText& t : s.plot.texts) {
                if (t.y == s.heightTwips - 290) labels.push_back(t.text.trimmed());
            }
            ASSERT_GE(labels.size(), 3u);
            const double top = s.Y(s.heightTwips - 290);
            const std::vector<InkRun> time =
                InkRuns(s.picture, QRectF(0, top + 1.5, s.width, s.metrics.height() - 1.5), s.background,
                        s.metrics.horizontalAdvance(QLatin1Char(' ')));
            ASSERT_EQ(time.size(), labels.size());
            for (std::size_t i = 0; i < time.size(); ++i) {
                const QString& l = labels[i];
                const double ink = s.metrics.horizontalAdvance(l) - s.metrics.leftBearing(l.front()) -
                                   s.metrics.rightBearing(l.back());
                EXPECT_NEAR(time[i].to - time[i].from, ink, 1.5) << qPrintable(l);
                EXPECT_LE(time[i].to, s.width) << qPrintable(l);
            }
            EXPECT_LE(top + s.metrics.height(), s.height);

            // Depth labels: one run of rows each, left of the depth axis.
            const long depthLabels = std::count_if(s.plot.texts.begin(), s.plot.texts.end(),
                                                   [](const PlotText& t) { return t.x == 10; });
            const std::vector<InkRun> depth =
                InkRuns(s.picture, QRectF(0, 0, s.X(500) - 1, s.height), s.background, 1, true);
            EXPECT_EQ(static_cast<long>(depth.size()), depthLabels);
            for (const InkRun& r : depth) EXPECT_LE(r.to, s.Y(s.heightTwips - 300));

            // The legend: inside the picture, above the time axis, its texts inside its frame.
            ASSERT_EQ(s.plot.boxes.size(), 1u);
            const PlotBox& b = s.plot.boxes[0];
            const QRectF frame(s.X(b.x), s.Y(b.y), s.X(b.width), s.Y(b.height));
            EXPECT_TRUE(QRectF(0, 0, s.width, s.Y(s.heightTwips - 300)).contains(frame));
            for (const PlotText& t : s.plot.texts) {
                if (t.x <= b.x || t.x >= b.x + b.width || t.y <= b.y || t.y >= b.y + b.height) continue;
                EXPECT_LE(s.X(t.x) + s.metrics.horizontalAdvance(t.text), frame.right() - 1) << qPrintable(t.text);
                EXPECT_LE(s.Y(t.y) + s.metrics.height(), frame.bottom() + 1) << qPrintable(t.text);
            }
        }
    }
}
