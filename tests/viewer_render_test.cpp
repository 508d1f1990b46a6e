// The drawing painted offscreen into an image: time ticks where the profile line is at
// their time, and a profile that grows with the box.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <vector>

#include "support/RegularProfile.h"
#include "ui/toolkit/Controls.h"
#include "ui/viewer/MarkerStyles.h"
#include "ui/viewer/DivePlot.h"
#include "ui/viewer/PictureBox.h"

using namespace vyper;
using vyper::testing::RegularProfile;

namespace {

constexpr int kTwipsPerPixel = 15;
const QRgb kLineBlue = qRgb(0, 0, 160);

struct Rendered {
    Plot plot;
    QImage image;
    int heightTwips, widthTwips;
    double PixelX(int twips) const { return twips * static_cast<double>(image.width()) / widthTwips; }
    int PixelY(int twips) const { return static_cast<int>(twips * static_cast<double>(image.height()) / heightTwips); }
};

// The dive painted into an image of `scale` times the designed size, with the image's own
// font measured for the layout.
Rendered Render(const DiveProfile& profile, int scale, const std::vector<PlotMarker>& markers = {}) {
    Rendered r;
    r.heightTwips = 4395 * scale;
    r.widthTwips = 7275 * scale;
    r.image = QImage(r.widthTwips / kTwipsPerPixel, r.heightTwips / kTwipsPerPixel, QImage::Format_RGB32);
    r.image.fill(Qt::white);
    QPainter painter(&r.image);
    ViewOptions options;
    options.text = MeasureTexts(painter.font(), kTwipsPerPixel);
    r.plot = PlotDive(profile, markers, r.heightTwips, r.widthTwips, options);
    PaintPlot(painter, r.plot, r.widthTwips, r.heightTwips, r.image.width(), r.image.height(), Qt::black);
    painter.end();
    return r;
}

// The middles of the runs of pixels in row band [top, bottom] that `inked` says are ink.
template <typename Inked>
std::vector<double> InkColumns(const QImage& image, int top, int bottom, Inked inked) {
    std::vector<double> middles;
    int start = -1;
    for (int x = 0; x <= image.width(); ++x) {
        bool ink = false;
        for (int y = top; x < image.width() && y <= bottom && !ink; ++y) ink = inked(image.pixel(x, y));
        if (ink && start < 0) start = x;
        if (!ink && start >= 0) {
            middles.push_back((start + x - 1) / 2.0);
            start = -1;
        }
    }
    return middles;
}

// At 5 m but 10 m at every `spikeEvery` seconds: the profile's deepest points are the ticks' times.
DiveProfile Spiky(int minutes, int interval, int spikeEvery) {
    return RegularProfile(minutes * 60 / interval, interval, [&](int t) { return t % spikeEvery == 0 ? 10 : 5; });
}

}  // namespace

TEST(RenderedPlot, TicksStandWhereTheProfileIsAtTheirTime) {
    const struct {
        int minutes, interval, spikeEvery;
    } dives[] = {{8, 20, 60}, {30, 20, 600}, {46, 20, 600}, {120, 60, 600}};
    for (const auto& d : dives) {
        for (int scale : {1, 2}) {
            SCOPED_TRACE(QStringLiteral("%1 min, %2x").arg(d.minutes).arg(scale).toStdString());
            const DiveProfile p = Spiky(d.minutes, d.interval, d.spikeEvery);
            const Rendered r = Render(p, scale);
            // From the plot's data: each tick against the point of the line at its time.
            std::vector<int> tickSeconds;
            for (const PlotLine& l : r.plot.lines) {
                if (l.x1 != l.x2 || l.y1 != r.heightTwips - 300 || l.y2 != r.heightTwips - 400) continue;
                const int t = static_cast<int>(std::lround(TimeAtX(p, l.x1, r.heightTwips, r.widthTwips, {})));
                tickSeconds.push_back(t);
                int entry = 0;
                for (int j = 0; j < p.sampleCount; ++j) {
                    if (p.time[j] == t) entry = j;
                }
                ASSERT_TRUE(entry > 0 || t == 0) << t;
                // The line's vertex of that entry.
                const int sampleStep = (r.widthTwips - 500) / p.sampleCount;
                EXPECT_NEAR(r.PixelX(l.x1), r.PixelX(500 + entry * sampleStep), 2) << t;
            }
            ASSERT_GE(tickSeconds.size(), 3u);
            for (std::size_t i = 1; i < tickSeconds.size(); ++i) {
                EXPECT_EQ(tickSeconds[i] % 60, 0);
                EXPECT_EQ(tickSeconds[i] - tickSeconds[i - 1], tickSeconds[1] - tickSeconds[0]);
            }

            // From the picture: the tick marks just above the axis, and the profile's deepest
            // points in the row of 10 m.
            const std::vector<double> ticks = InkColumns(
                r.image, r.PixelY(r.heightTwips - 400) + 1, r.PixelY(r.heightTwips - 300) - 2,
                [](QRgb c) { return qGray(c) < 128; });
            const int deepest = r.PixelY(10 * ((r.heightTwips - 1000) / 10) + 200);
            const std::vector<double> spikes =
                InkColumns(r.image, deepest - 1, deepest + 1, [&](QRgb c) { return c == kLineBlue; });
            ASSERT_EQ(ticks.size(), tickSeconds.size());
            ASSERT_GE(spikes.size(), ticks.size() - 1);
            for (std::size_t i = 1; i < ticks.size(); ++i) {
                // The spike of the tick's time: one every `spikeEvery` seconds from the first.
                const std::size_t spike = static_cast<std::size_t>(tickSeconds[i] / d.spikeEvery) - 1;
                ASSERT_LT(spike, spikes.size());
                EXPECT_NEAR(ticks[i], spikes[spike], 2) << tickSeconds[i];
            }
            // No tick past the profile's end, and none outside the picture.
            EXPECT_LE(ticks.back(), spikes.back() + 2);
        }
    }
}

// The margins stay in twips, the plot takes what the box gains: 46 minutes every 20 s,
// 139 entries of 48 twips at the designed size and 101 at twice the size, 10 m at 339 and
// 779 twips a metre (15 twips a pixel).
TEST(RenderedPlot, TheProfileGrowsWithTheBox) {
    const DiveProfile p = Spiky(46, 20, 600);
    const struct {
        int scale;
        double left, right, top, bottom;  // of the line's path, in pixels
    } cases[] = {
        {1, 500 / 15.0, (500 + 138 * 48) / 15.0, 200 / 15.0, (200 + 10 * 339) / 15.0},
        {2, 500 / 15.0, (500 + 138 * 101) / 15.0, 200 / 15.0, (200 + 10 * 779) / 15.0},
    };
    for (const auto& c : cases) {
        const Rendered r = Render(p, c.scale);
        QRect ink;
        for (int y = 0; y < r.image.height(); ++y) {
            for (int x = 0; x < r.image.width(); ++x) {
                if (r.image.pixel(x, y) == kLineBlue) ink |= QRect(x, y, 1, 1);
            }
        }
        // The line is 2 pixels wide at every size.
        EXPECT_NEAR(ink.left(), c.left, 2) << c.scale;
        EXPECT_NEAR(ink.right(), c.right, 2) << c.scale;
        EXPECT_NEAR(ink.top(), c.top, 2) << c.scale;
        EXPECT_NEAR(ink.bottom(), c.bottom, 2) << c.scale;
    }
}

// Markers, their texts and the legend leave every pixel of the profile line as it was, and
// the warnings show in their colour just above their sample.
TEST(RenderedPlot, MarkersNeverHideTheProfileLine) {
    // 30 minutes every 20 s: a fast ascent at the end with a SLOW at every sample of it.
    const DiveProfile p = RegularProfile(90, 20, [](int t) { return t <= 1500 ? 24 : (1800 - t) * 24 / 300; });
    std::vector<PlotMarker> markers = {{2, "ATT"}, {40, "CEIL"}, {40, "ERR"}, {41, ""}};
    for (int entry = 76; entry <= 90; ++entry) markers.push_back({entry, "SLOW"});
    for (int scale : {1, 2}) {
        const Rendered plain = Render(p, scale);
        const Rendered marked = Render(p, scale, markers);
        ASSERT_EQ(marked.plot.boxes.size(), 1u);  // the legend
        int linePixels = 0;
        for (int y = 0; y < plain.image.height(); ++y) {
            for (int x = 0; x < plain.image.width(); ++x) {
                if (plain.image.pixel(x, y) != kLineBlue) continue;
                ++linePixels;
                EXPECT_EQ(marked.image.pixel(x, y), kLineBlue) << scale << "x: " << x << "," << y;
            }
        }
        EXPECT_GT(linePixels, 400 * scale);
        // The CEIL triangle just above the point of entry 40.
        const QRgb ceil = ColorFromValue(StyleOfMarker("CEIL").colour).rgb();
        const int sampleStep = (marked.widthTwips - 500) / p.sampleCount;
        const double x = marked.PixelX(500 + 40 * sampleStep);
        const int y = marked.PixelY(24 * ((marked.heightTwips - 1000) / 24) + 200);
        int ceilPixels = 0;
        for (int dy = 2; dy <= 12; ++dy) {
            for (int dx = -4; dx <= 4; ++dx) ceilPixels += marked.image.pixel(static_cast<int>(x) + dx, y - dy) == ceil;
        }
        EXPECT_GT(ceilPixels, 20) << scale;
    }
}
