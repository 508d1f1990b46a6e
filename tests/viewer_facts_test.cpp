// The viewer's pure parts beside the plot: the facts line, the folder's date order and the
// saved picture's form and size.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <optional>

#include "ui/viewer/DiveFacts.h"
#include "ui/viewer/DiveSequence.h"
#include "ui/viewer/PictureExport.h"

using namespace vyper;

namespace {

StoredDive Dive(const char* start, std::optional<int> duration, std::optional<int> depth, std::optional<int> water,
                std::optional<int> air, std::optional<int> surface, int interval, std::optional<int> oxygen,
                bool ended) {
    StoredDive d;
    d.start = QDateTime::fromString(QString::fromLatin1(start), Qt::ISODate);
    d.durationMinutes = duration;
    d.maxDepthMetres = depth;
    d.waterTemperature = water;
    d.airTemperature = air;
    d.surfaceIntervalMinutes = surface;
    d.record.SampleInterval = static_cast<int16_t>(interval);
    d.oxygenPercent = oxygen;
    d.oxygenStated = oxygen.has_value();
    d.record.EndedByMarker = ended;
    return d;
}

LogbookRow Accepted(const char* name, const char* start, const char* modified) {
    return {QString::fromLatin1(name), QDateTime::fromString(QString::fromLatin1(modified), Qt::ISODate),
            Dive(start, 6, 17, 19, 26, 135, 20, std::nullopt, true)};
}

LogbookRow Refused(const char* name, const char* modified) {
    return {QString::fromLatin1(name), QDateTime::fromString(QString::fromLatin1(modified), Qt::ISODate),
            ProfileRefusal{QStringLiteral("leere Datei")}};
}

}  // namespace

TEST(DiveFacts, EveryTrustedValueInOneLineAndNothingGuessed) {
    const struct {
        const char* what;
        StoredDive dive;
        const char* text;
    } cases[] = {
        {"a whole dive", Dive("2024-08-17T10:42:00", 6, 17, 19, 26, 135, 20, std::nullopt, true),
         "17.08.2024 10:42 · 6 min · 17 m · Wasser 19 °C · Luft 26 °C · Oberfläche 2 h 15 min · Intervall 20 s"},
        {"no end marker, O2 stated, water unknown",
         Dive("2024-08-16T15:05:00", 9, 18, std::nullopt, 24, 45, 30, 32, false),
         "16.08.2024 15:05 · 9 min · 18 m · Luft 24 °C · Oberfläche 0 h 45 min · Intervall 30 s · O2 32 % · "
         "Profil ohne Endmarke"},
        {"below freezing, long and deep", Dive("1999-12-31T23:59:00", 112, 103, -2, -15, 5999, 60, std::nullopt, true),
         "31.12.1999 23:59 · 112 min · 103 m · Wasser -2 °C · Luft -15 °C · Oberfläche 99 h 59 min · Intervall 60 s"},
        {"no samples: no duration, no depth, no temperatures",
         Dive("2000-01-01T08:05:00", std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, 20,
              std::nullopt, true),
         "01.01.2000 08:05 · Intervall 20 s"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DiveFactsText(c.dive), QString::fromUtf8(c.text)) << c.what;
    }
}

TEST(DiveSequence, DivesByStartFilesWithoutADateByWhenWrittenTiesByName) {
    const std::vector<LogbookRow> rows = {
        // Written in the order of the download (newest first); named so that the name's
        // order is not the dates' order.
        Accepted("a.txt", "2024-08-17T10:42:00", "2024-08-18T09:00:00"),
        Accepted("b.txt", "1999-12-31T23:59:00", "2024-08-18T09:00:05"),
        Refused("notiz.txt", "2024-07-20T12:00:00"),
        Accepted("c.txt", "2024-08-16T15:05:00", "2024-08-18T09:00:01"),
        Accepted("e.txt", "2024-08-16T15:05:00", "2024-08-18T09:00:02"),
        Accepted("d.txt", "2024-07-15T09:07:00", "2024-08-18T09:00:03"),
        Refused("weg.txt", ""),  // vanished while read: no time at all
    };
    const QStringList order = DiveDateOrder(rows);
    EXPECT_EQ(order, (QStringList{"weg.txt", "b.txt", "d.txt", "notiz.txt", "c.txt", "e.txt", "a.txt"}));

    const struct {
        const char* current;
        int step;
        std::optional<QString> neighbour;
    } steps[] = {
        {"d.txt", -1, QStringLiteral("b.txt")},  {"d.txt", +1, QStringLiteral("notiz.txt")},
        {"weg.txt", -1, std::nullopt},           {"a.txt", +1, std::nullopt},
        {"a.txt", -1, QStringLiteral("e.txt")},  {"fehlt.txt", +1, std::nullopt},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(std::string(s.current) + " " + std::to_string(s.step));
        EXPECT_EQ(NeighbourInOrder(order, QString::fromLatin1(s.current), s.step), s.neighbour);
    }
    EXPECT_EQ(NeighbourInOrder({}, QStringLiteral("a.txt"), 1), std::nullopt);
}

TEST(PictureExport, TheChosenTypeDecidesFormSizeAndEnding) {
    const struct {
        const char* path;
        QString filter;
        const char* expectedPath;
        PictureKind kind;
        QSize size;  // for a plot shown at 485 x 293 on a screen of ratio 1.5
    } cases[] = {
        {"/bilder/tg", QStringLiteral("PNG-Bild in Fenstergröße (*.png)"), "/bilder/tg.png", PictureKind::PngAsShown,
         {728, 440}},
        {"/bilder/tg.png", QStringLiteral("PNG-Bild, 1920 Pixel breit (*.png)"), "/bilder/tg.png", PictureKind::PngWide,
         {1920, 1160}},
        {"/bilder/tg", QStringLiteral("SVG-Grafik (*.svg)"), "/bilder/tg.svg", PictureKind::Svg, {485, 293}},
        {"/bilder/tg.SVG", QString(), "/bilder/tg.SVG", PictureKind::Svg, {485, 293}},
        {"/bilder/tg.jpg", QString(), "/bilder/tg.jpg.png", PictureKind::PngAsShown, {728, 440}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const PictureRequest request = PictureRequestFor(QString::fromLatin1(c.path), c.filter);
        EXPECT_EQ(request.path, QString::fromLatin1(c.expectedPath));
        EXPECT_EQ(request.kind, c.kind);
        EXPECT_EQ(PictureSize(request.kind, {485, 293}, 1.5), c.size);
    }
    EXPECT_EQ(PictureFilters(), (QStringList{"PNG-Bild in Fenstergröße (*.png)", "PNG-Bild, 1920 Pixel breit (*.png)",
                                             "SVG-Grafik (*.svg)"}));
}

TEST(PictureExport, TheBytesOpenAgainAtTheirSizeWithThePictureScaled) {
    // A line 4 pixels wide across the left half, 10 pixels from the top.
    const auto paint = [](QPainter& painter) {
        painter.setPen(QPen(Qt::red, 4, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(0, 10), QPointF(100, 10));
    };
    const QImage asShown = QImage::fromData(PictureBytes(PictureKind::PngAsShown, {200, 100}, 1.0, Qt::white, paint));
    ASSERT_FALSE(asShown.isNull());
    EXPECT_EQ(asShown.size(), QSize(200, 100));
    EXPECT_EQ(asShown.pixelColor(50, 10), QColor(Qt::red));
    EXPECT_EQ(asShown.pixelColor(150, 10), QColor(Qt::white));

    const QImage wide = QImage::fromData(PictureBytes(PictureKind::PngWide, {200, 100}, 1.0, Qt::white, paint));
    ASSERT_FALSE(wide.isNull());
    EXPECT_EQ(wide.size(), QSize(1920, 960));
    // The same picture, 9.6 times larger: the line from y 77 to 115, ending at x 960.
    EXPECT_EQ(wide.pixelColor(900, 80), QColor(Qt::red));
    EXPECT_EQ(wide.pixelColor(900, 112), QColor(Qt::red));
    EXPECT_EQ(wide.pixelColor(900, 120), QColor(Qt::white));
    EXPECT_EQ(wide.pixelColor(1000, 96), QColor(Qt::white));

    QSvgRenderer svg(PictureBytes(PictureKind::Svg, {200, 100}, 2.0, Qt::white, paint));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.defaultSize(), QSize(200, 100));
    QImage drawn(200, 100, QImage::Format_RGB32);
    drawn.fill(Qt::black);
    QPainter painter(&drawn);
    svg.render(&painter);
    painter.end();
    EXPECT_EQ(drawn.pixelColor(150, 50), QColor(Qt::white));  // the background
    EXPECT_EQ(drawn.pixelColor(50, 10), QColor(Qt::red));
}
