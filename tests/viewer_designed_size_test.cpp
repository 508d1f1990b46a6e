// The drawing at the picture box's designed size, with nothing touched, against the drawing
// of the golden dives captured before the time axis was reworked: all but the time grid is
// the same, line for line and text for text.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <variant>

#include "profiles/ProfileReader.h"
#include "profiles/StoredDive.h"
#include "support/E2eSession.h"
#include "ui/viewer/DivePlot.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

constexpr int H = 4395;
constexpr int W = 7275;

// The old time grid: labels below the axis, ticks from the axis up by 100 twips.
bool IsTimeGrid(const QString& item) {
    const QStringList f = item.split(QLatin1Char(' '));
    if (f[0] == u"text") return f[2] == u"4105";
    return f[2] == u"4095" && f[4] == u"3995" && f[1] == f[3];
}

// The items in the captured file's form, the time grid left out; texts in the drawing
// colour only (a marker's text has its own).
QStringList Described(const Plot& plot) {
    QStringList out;
    for (const PlotLine& l : plot.lines) {
        out << QStringLiteral("line %1 %2 %3 %4 %5 %6")
                   .arg(l.x1)
                   .arg(l.y1)
                   .arg(l.x2)
                   .arg(l.y2)
                   .arg(l.colour ? QString::number(*l.colour) : QStringLiteral("-"))
                   .arg(l.widthPixels);
    }
    for (const PlotText& t : plot.texts) {
        if (!t.colour) out << QStringLiteral("text %1 %2 %3").arg(t.x).arg(t.y).arg(t.text);
    }
    out.removeIf(IsTimeGrid);
    return out;
}

QStringList Captured(const GoldenDive& d) {
    QFile file(GoldenFolder() + QStringLiteral("/plots/") +
               QString::fromUtf8(d.golden).replace(QStringLiteral(".txt"), QStringLiteral(".plot")));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << d.golden;
    QStringList items = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    items.removeIf(IsTimeGrid);
    return items;
}

}  // namespace

TEST(DesignedSize, AllButTheTimeGridIsDrawnAsBefore) {
    for (const GoldenDive* d : {&kDiveA, &kDiveB, &kDiveC, &kDiveD}) {
        SCOPED_TRACE(d->golden);
        const QByteArray bytes = Golden(*d);
        const DiveProfile profile = ReadProfileText(bytes);
        const auto stored = std::get<StoredDive>(ReadStoredDive(bytes, ProfileDetail::WithEntries));
        const QStringList captured = Captured(*d);
        ASSERT_GT(captured.size(), 10);
        ViewOptions noMarkers;
        noMarkers.markers = false;
        const Plot plain = PlotDive(profile, {}, H, W, noMarkers);
        EXPECT_EQ(Described(plain), captured);
        EXPECT_EQ(PlotProfile(profile, H, W), plain);
        // The markers add symbols, their texts and a legend after what was there, and
        // no line.
        const Plot marked = PlotDive(profile, PlotMarkersOf(profile, stored.record), H, W, ViewOptions{});
        EXPECT_EQ(marked.lines, plain.lines);
        ASSERT_GE(marked.texts.size(), plain.texts.size());
        EXPECT_TRUE(std::equal(plain.texts.begin(), plain.texts.end(), marked.texts.begin()));
    }
}
