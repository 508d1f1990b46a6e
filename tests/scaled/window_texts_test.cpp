// The window texts as they are drawn, at the scale factor this program runs at: the tests
// are registered once for each of 1, 1.25, 1.5 and 2 (QT_SCALE_FACTOR). Texts and boxes
// scale together, so sizes are compared in logical pixels; pictures are taken at the
// device pixel ratio.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QSet>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "platform/WindowFonts.h"
#include "profiles/ProfileDecoding.h"
#include "profiles/ProfileText.h"
#include "support/CaptionFit.h"
#include "support/DiveBytes.h"
#include "support/Ink.h"
#include "support/MainWindow.h"
#include "transfer/SettingsReport.h"
#include "ui/viewer/frmShowDive.h"

using namespace vyper;
using vyper::testing::CaptionRooms;
using vyper::testing::InkExtent;
using vyper::testing::InkSpan;
using vyper::testing::InkSpans;

namespace {

double ScaleFactor() { return qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble(); }

// The main window shown.
struct Shown : vyper::testing::MainWindow {
    Shown() {
        w.show();
        QCoreApplication::processEvents();
    }
};

// Samples every `interval` seconds up to `lastTime`, at `depth` metres.
std::vector<std::pair<int, int>> LevelDive(int lastTime, int interval, int depth) {
    std::vector<std::pair<int, int>> samples;
    for (int t = interval; t <= lastTime; t += interval) samples.push_back({t, depth});
    return samples;
}

using Reply = std::array<int32_t, kBufferSize>;

Reply With(std::initializer_list<std::pair<int, int>> bytes) {
    Reply rx{};
    for (const auto& [position, value] : bytes) rx[static_cast<size_t>(position)] = value;
    return rx;
}

// A whole settings report: the lines of all four memory blocks.
QStringList SettingsReport() {
    Reply user = With({{4, 1}, {5, 44}, {6, 1}, {7, 44}, {8, 20}, {9, 1}, {10, 2}, {11, 30}, {12, 4}});
    const QByteArray text = "Grundelnetz Vyper 01";
    for (int i = 0; i < 20; ++i) user[static_cast<size_t>(16 + i)] = static_cast<unsigned char>(text[i]);
    return SettingsReportLines(0, With({{34, 0x1A}, {35, 0x80}})) + SettingsReportLines(1, user) +
           SettingsReportLines(2, With({{21, 0x12}, {22, 0x34}})) +
           SettingsReportLines(3, With({{4, 5}, {6, 1}, {7, 2}, {8, 200}, {9, 1}, {11, 15}, {12, 15}}));
}

// Where a list line's label and value are inked, in the list's viewport, with the value's
// start and end taken back to where its first and last glyph are placed.
struct LineInk {
    double textStart;   // where the label is placed
    double labelEnd;    // where the label's last glyph (before the blanks) ends
    double valueStart;  // where the value's first glyph is placed
    double valueEnd;    // where its inked part ends
};

LineInk ReadLine(ListBox* list, int row) {
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    list->horizontalScrollBar()->setValue(0);
    const QImage image = list->viewport()->grab().toImage();
    const QRectF rect = list->visualItemRect(item);
    const QColor background = list->palette().color(QPalette::Base);
    const QFontMetricsF fm(list->font(), list);
    const QString label = item->text().section(QLatin1Char('\t'), 0, 0).trimmed();
    const QString value = item->text().section(QLatin1Char('\t'), -1);
    const InkSpan all = InkExtent(image, rect, background);
    LineInk ink{};
    ink.textStart = all.left - fm.leftBearing(label.front());
    ink.labelEnd = ink.textStart + fm.horizontalAdvance(label);
    const InkSpan valueInk =
        InkExtent(image, QRectF(ink.labelEnd, rect.top(), rect.right() - ink.labelEnd, rect.height()), background);
    ink.valueStart = valueInk.left - fm.leftBearing(value.front());
    ink.valueEnd = valueInk.right;
    return ink;
}

}  // namespace

// Labels, buttons, options, the check box, the frame, the heading and the viewer's
// caption and button, at the scale factor in the chosen font: each text within the
// rectangle it is drawn into, and each widget within its window.
TEST(WindowTexts, EveryCaptionFitsItsBoxInTheChosenFont) {
    Shown t;
    EXPECT_DOUBLE_EQ(t.w.devicePixelRatioF(), ScaleFactor());
    // A long, deep dive gives the viewer's widest caption.
    t.Store(QStringLiteral("lang.txt"), vyper::testing::ProfileFileBytes(LevelDive(6700, 20, 103)));
    t.w.lstFiles->SetListIndex(0);
    frmShowDive v(t.w.ViewerSourceOf(), &t.w);
    v.Form_Activate();
    ASSERT_TRUE(t.p.boxes.shown.empty());
    for (QWidget* w : std::initializer_list<QWidget*>{&t.w, t.w.lstVyperComm, t.w.Label5, t.w.Label8, &v, v.lblInfo}) {
        const QFontInfo info(w->font());
        EXPECT_EQ(info.family(), QString::fromLatin1(kWindowFontFamily)) << w->metaObject()->className();
        EXPECT_EQ(info.bold(), w == t.w.Label8) << "only the heading is bold";
    }

    const struct {
        const char* name;
        QWidget* window;
        QStringList expected;  // captions that must be among those checked
    } windows[] = {
        {"main window",
         &t.w,
         {"Einstellungen", "Max. Fehlerzahl bis Abbruch", "Bytes  empfangen:", "Fehler oder 'End of Data':",
          "Existierenden Tauchgang", "Individuell nachfragen", "Nur neue Tauchgänge laden",
          "Vyper Einstellungen auslesen", "Tauchgangsdaten übertragen", "Stop", "Ende", "TG ansehen",
          "Anzahl der zuletzt gemachten  Tauchgänge, die abgerufen werden:"}},
        {"viewer", &v, {"Schließen", "Max.Tauchtiefe: 103m. Tauchzeit: 112min."}},
    };
    for (const auto& window : windows) {
        SCOPED_TRACE(window.name);
        QSet<QString> checked;
        for (const auto& room : CaptionRooms(window.window)) {
            checked.insert(room.text);
            EXPECT_TRUE(room.Fits()) << qPrintable(room.text) << ": needs " << room.neededWidth << " x "
                                     << room.neededHeight << ", has " << room.availableWidth << " x "
                                     << room.availableHeight;
            EXPECT_TRUE(window.window->rect().contains(room.inWindow)) << qPrintable(room.text);
        }
        for (const QString& caption : window.expected) EXPECT_TRUE(checked.contains(caption)) << qPrintable(caption);
    }
}

// The settings report and the dive summary as the message list draws them: each block's
// values start in one column, clear of their labels, and every value is drawn whole.
TEST(MessageList, ValuesOfABlockStandInOneColumnAndWhole) {
    const struct {
        const char* name;
        QStringList lines;
    } blocks[] = {{"settings report", SettingsReport()},
                  {"dive summary", DiveSummaryLines(DecodeDive(vyper::testing::DiveAnswer({}, {10, 10, 122, 246, 128})))}};
    for (const auto& block : blocks) {
        SCOPED_TRACE(block.name);
        Shown t;
        ListBox* list = t.w.lstVyperComm;
        const int first = list->ListCount();
        for (const QString& line : block.lines) list->AddItem(line);
        const QFontMetricsF fm(list->font(), list);
        std::vector<double> starts;
        for (int row = first; row < list->ListCount(); ++row) {
            const QString line = list->item(row)->text();
            const QString value = line.section(QLatin1Char('\t'), -1);
            const LineInk ink = ReadLine(list, row);
            starts.push_back(ink.valueStart);
            EXPECT_GE(ink.valueStart - ink.labelEnd, 2.0) << qPrintable(line);
            const double valueEnd = ink.valueStart + fm.horizontalAdvance(value) - fm.rightBearing(value.back());
            EXPECT_NEAR(ink.valueEnd, valueEnd, 1.5) << qPrintable(line);
            EXPECT_LE(ink.valueEnd, list->viewport()->width()) << qPrintable(line);
        }
        ASSERT_EQ(starts.size(), static_cast<size_t>(block.lines.size()));
        const auto [lowest, highest] = std::minmax_element(starts.begin(), starts.end());
        EXPECT_LE(*highest - *lowest, 1.0) << "values start between " << *lowest << " and " << *highest;
    }
}

// A line wider than its list is drawn whole: its start shows with the list scrolled to the
// left, its end with the list scrolled to the right.
TEST(MessageList, LinesWiderThanTheListScrollSideways) {
    const struct {
        const char* name;
        ListBox* frmVyper::*list;
        QString line;
    } cases[] = {
        {"messages", &frmVyper::lstVyperComm, IncompleteReadLine(2)},
        {"messages, banner", &frmVyper::lstVyperComm, QString(79, QLatin1Char('_'))},
        {"files", &frmVyper::lstFiles, QStringLiteral("Tauchgang 1999-September-15 14 Uhr 05 (Kopie vom Baggersee Nord, Grundelnetz).txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Shown t;
        ListBox* list = t.w.*c.list;
        list->AddLineShown(c.line);
        QListWidgetItem* wide = list->item(list->ListCount() - 1);
        list->AddLineShown(QStringLiteral("OK."));  // a short line after it
        list->SetListIndex(-1);                     // drawn in the text colour, not the selection's
        list->scrollToItem(wide);
        QCoreApplication::processEvents();
        QScrollBar* bar = list->horizontalScrollBar();
        ASSERT_GT(bar->maximum(), 0);
        const QColor background = list->palette().color(QPalette::Base);
        bar->setValue(0);
        const QRectF row = list->visualItemRect(wide);
        const InkSpan start = InkExtent(list->viewport()->grab().toImage(), row, background);
        bar->setValue(bar->maximum());
        const QRectF shifted = list->visualItemRect(wide);
        const InkSpan end = InkExtent(list->viewport()->grab().toImage(), shifted, background);
        ASSERT_LE(start.left, start.right);
        ASSERT_LE(end.left, end.right);
        EXPECT_LE(end.right, list->viewport()->width());
        const QFontMetricsF fm(list->font(), list);
        const double inkWidth =
            fm.horizontalAdvance(c.line) - fm.leftBearing(c.line.front()) - fm.rightBearing(c.line.back());
        EXPECT_NEAR(end.right + bar->maximum() - start.left, inkWidth, 1.5);
    }
}

TEST(MessageList, TheInterfaceListShowsBothChoicesWhole) {
    Shown t;
    ListBox* list = t.w.lstInterfaceType;
    list->SetListIndex(-1);
    const QImage image = list->viewport()->grab().toImage();
    const QFontMetricsF fm(list->font(), list);
    ASSERT_EQ(list->ListCount(), 2);
    for (int row = 0; row < 2; ++row) {
        const QString text = list->item(row)->text();
        const QRect rect = list->visualItemRect(list->item(row));
        EXPECT_TRUE(list->viewport()->rect().contains(rect)) << qPrintable(text);
        const InkSpan ink = InkExtent(image, rect, list->palette().color(QPalette::Base));
        EXPECT_NEAR(ink.Width(), fm.horizontalAdvance(text) - fm.leftBearing(text.front()) - fm.rightBearing(text.back()),
                    1.5)
            << qPrintable(text);
    }
}

// The time labels under the plot: every label whose tick lies in the picture is drawn
// whole inside it; the last one is moved left to end at the edge, or left out where it
// would then cover the one before.
TEST(ViewerTexts, TimeLabelsStayWholeInsideThePicture) {
    const struct {
        int lastTime;
        QStringList labels;  // as drawn, left to right
    } cases[] = {
        // 6775 / 640 twips a second: the 10-minute tick stands 175 twips from the edge.
        {640, {" 0min.", " 10min."}},
        // One twip a second: the 110-minute tick too, but its label would cover " 100min.".
        {6700,
         {" 0min.", " 10min.", " 20min.", " 30min.", " 40min.", " 50min.", " 60min.", " 70min.", " 80min.", " 90min.",
          " 100min."}},
        // Four twips a second: the 30-minute tick lies past the picture.
        {1800, {" 0min.", " 10min.", " 20min."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastTime);
        Shown t;
        t.Store(QStringLiteral("tg.txt"), vyper::testing::ProfileFileBytes(LevelDive(c.lastTime, 20, 12)));
        t.w.lstFiles->SetListIndex(0);
        frmShowDive v(t.w.ViewerSourceOf(), &t.w);
        v.Form_Activate();
        ASSERT_TRUE(t.p.boxes.shown.empty());
        const QImage picture = v.picDive->Picture();
        ASSERT_DOUBLE_EQ(picture.devicePixelRatio(), ScaleFactor());
        const double width = v.picDive->width();
        const double top = 4105.0 * v.picDive->height() / frmShowDive::PictureHeightTwips();
        const QFontMetricsF fm(v.picDive->font(), v.picDive);
        // Below the time axis, from a little under the labels' top (the axis is just above).
        const QRectF band(0, top + 1.5, width, fm.height() - 1.5);
        const auto spans =
            InkSpans(picture, band, v.picDive->palette().color(QPalette::Base), fm.horizontalAdvance(QLatin1Char(' ')));
        ASSERT_EQ(spans.size(), static_cast<size_t>(c.labels.size()));
        for (size_t i = 0; i < spans.size(); ++i) {
            const QString label = c.labels[static_cast<qsizetype>(i)];
            const QString inked = label.trimmed();
            const double inkWidth =
                fm.horizontalAdvance(inked) - fm.leftBearing(inked.front()) - fm.rightBearing(inked.back());
            EXPECT_NEAR(spans[i].Width(), inkWidth, 1.5) << qPrintable(label);
            EXPECT_LE(spans[i].right, width) << qPrintable(label);
        }
    }
}
