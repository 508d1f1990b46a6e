// The window texts as they are drawn, at the scale factor this program runs at: the tests
// are registered once for each of 1, 1.25, 1.5 and 2 (QT_SCALE_FACTOR). Texts and boxes
// scale together, so sizes are compared in logical pixels; pictures are taken at the
// device pixel ratio.

#include <gtest/gtest.h>

#include <QTest>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QScrollBar>
#include <QSet>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "ui/toolkit/WindowFonts.h"
#include "profiles/ProfileDecoding.h"
#include "profiles/ProfileText.h"
#include "support/DiveBytes.h"
#include "support/MainWindow.h"
#include "transfer/SettingsReport.h"
#include "ui/viewer/DiveFacts.h"
#include "ui/viewer/frmShowDive.h"

using namespace vyper;

namespace {

// A caption with the room its text needs (from the font metrics of its widget's font) and the
// room the widget gives it (from its rectangle and the style's margins), in logical pixels.
struct CaptionRoom {
    QString text;  // as shown (mnemonic marks removed)
    double neededWidth, availableWidth;
    double neededHeight, availableHeight;
    QRect inWindow;  // the widget's rectangle in its window's coordinates
    bool Fits() const { return neededWidth <= availableWidth && neededHeight <= availableHeight; }
};

QRect InWindow(const QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

// A caption as a button or check box shows it: "&Ende" is "Ende", "&&" is "&".
QString WithoutMnemonic(const QString& caption) {
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
        shown += caption[i];
    }
    return shown;
}

CaptionRoom LabelRoom(const QLabel* label) {
    const QFontMetricsF fm(label->font(), label);
    const int m = label->margin();
    const QRect room = label->contentsRect().adjusted(m, m, -m, -m);
    const QString text = label->text();
    // Wrapped over as many lines as its box needs: every word must fit the width, and all
    // lines the height.
    const QRectF used = label->wordWrap() ? fm.boundingRect(QRectF(room), Qt::TextWordWrap | label->alignment(), text)
                                          : QRectF(0, 0, fm.horizontalAdvance(text), fm.height());
    return {text, used.width(), double(room.width()), used.height(), double(room.height()), InWindow(label)};
}

// A push button's label is drawn into its contents rectangle, kept off the bevel by the
// style's button margin; a check box's or option button's beside its indicator.
CaptionRoom ButtonRoom(const QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const auto* push = qobject_cast<const QPushButton*>(button);
    if (push && (push->autoDefault() || push->isDefault())) option.features |= QStyleOptionButton::AutoDefaultButton;
    const QStyle::SubElement contents = push                                ? QStyle::SE_PushButtonContents
                                        : qobject_cast<const QCheckBox*>(button) ? QStyle::SE_CheckBoxContents
                                                                                 : QStyle::SE_RadioButtonContents;
    const QRect room = button->style()->subElementRect(contents, &option, button);
    const int margin = push ? button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button) : 0;
    const QString text = WithoutMnemonic(button->text());
    const QFontMetricsF fm(button->font(), button);
    return {text, fm.horizontalAdvance(text), double(room.width() - margin), fm.height(), double(room.height()),
            InWindow(button)};
}

// A frame's title stands inside the frame's width and above the first control in the frame.
CaptionRoom GroupBoxRoom(const QGroupBox* box) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.textAlignment = box->alignment();
    option.lineWidth = 1;
    const QRect title = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    const QString text = WithoutMnemonic(box->title());
    const QFontMetricsF fm(box->font(), box);
    int firstChildTop = box->height();
    for (const QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        firstChildTop = std::min(firstChildTop, child->geometry().top());
    }
    return {text, title.left() + fm.horizontalAdvance(text), double(box->width()), title.top() + fm.height(),
            double(firstChildTop), InWindow(box)};
}

// The captions of every label, push button, check box, option button and frame of `window`
// (not those of other windows it owns), empty labels left out.
std::vector<CaptionRoom> CaptionRooms(QWidget* window) {
    std::vector<CaptionRoom> rooms;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window) continue;
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) rooms.push_back(LabelRoom(label));
        if (auto* button = qobject_cast<QAbstractButton*>(w)) rooms.push_back(ButtonRoom(button));
        if (auto* box = qobject_cast<QGroupBox*>(w)) rooms.push_back(GroupBoxRoom(box));
    }
    return rooms;
}

// Where a picture carries ink: from the left edge of the first to the right edge of the last
// inked column, in logical pixels.
struct InkSpan {
    double left, right;
    double Width() const { return right - left; }
};

// The inked columns of `area` (logical pixels) in `picture` (taken at the device pixel ratio),
// joined into spans wherever less than `gap` lies between them; left to right. A pixel is ink
// when it differs clearly from `background`.
std::vector<InkSpan> InkSpans(const QImage& picture, const QRectF& area, const QColor& background, double gap) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const double ratio = picture.devicePixelRatio();
    const int x0 = std::max(0, static_cast<int>(std::floor(area.left() * ratio)));
    const int x1 = std::min(image.width(), static_cast<int>(std::ceil(area.right() * ratio)));
    const int y0 = std::max(0, static_cast<int>(std::floor(area.top() * ratio)));
    const int y1 = std::min(image.height(), static_cast<int>(std::ceil(area.bottom() * ratio)));
    std::vector<InkSpan> spans;
    for (int x = x0; x < x1; ++x) {
        bool inked = false;
        for (int y = y0; y < y1 && !inked; ++y) {
            const QRgb pixel = image.pixel(x, y);
            inked = std::abs(qRed(pixel) - background.red()) + std::abs(qGreen(pixel) - background.green()) +
                        std::abs(qBlue(pixel) - background.blue()) > 120;
        }
        if (!inked) continue;
        const double left = x / ratio;
        if (!spans.empty() && left - spans.back().right < gap) spans.back().right = left + 1 / ratio;
        else spans.push_back({left, left + 1 / ratio});
    }
    return spans;
}

// The span from the first to the last inked column of `area`; left > right when there is none.
InkSpan InkExtent(const QImage& image, const QRectF& area, const QColor& background) {
    const std::vector<InkSpan> spans = InkSpans(image, area, background, 1e9);
    return spans.empty() ? InkSpan{1, 0} : spans.front();
}

double ScaleFactor() { return qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble(); }

// The main window shown.
struct Shown : vyper::testing::MainWindow {
    Shown() {
        w.show();
        QCoreApplication::processEvents();
    }
    // The viewer on a stored dive with samples every 20 s up to `lastTime`, at `depth` metres.
    std::unique_ptr<frmShowDive> Viewer(int lastTime, int depth) {
        std::vector<std::pair<int, int>> samples;
        for (int time = 20; time <= lastTime; time += 20) samples.push_back({time, depth});
        Store(QStringLiteral("tg.txt"), vyper::testing::ProfileFileBytes(samples));
        w.lstFiles->SetListIndex(0);
        auto viewer = std::make_unique<frmShowDive>(w.ViewerSourceOf(), &w);
        viewer->Form_Activate();
        EXPECT_TRUE(p.boxes.shown.empty());
        // The place among the folder's dives comes once the folder's order is read aside.
        EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->DiveOrderKnown(); }, 10000));
        return viewer;
    }
};

// The width of a text from the left edge of its first glyph's ink to the right edge of its last.
double InkWidth(const QFontMetricsF& fm, const QString& text) {
    return fm.horizontalAdvance(text) - fm.leftBearing(text.front()) - fm.rightBearing(text.back());
}

// A whole settings report: the lines of all four memory blocks.
QStringList SettingsReport() {
    using vyper::testing::ReplyWith;
    const auto user =
        ReplyWith({{4, 1}, {5, 44}, {6, 1}, {7, 44}, {8, 20}, {9, 1}, {10, 2}, {11, 30}, {12, 4}}, "Grundelnetz Vyper 01");
    return SettingsReportLines(0, ReplyWith({{34, 0x1A}, {35, 0x80}})) + SettingsReportLines(1, user) +
           SettingsReportLines(2, ReplyWith({{21, 0x12}, {22, 0x34}})) +
           SettingsReportLines(3, ReplyWith({{4, 5}, {6, 1}, {7, 2}, {8, 200}, {9, 1}, {11, 15}, {12, 15}}));
}

}  // namespace

// Labels, buttons, options, the check box, the frame, the heading and the viewer's
// caption and button, at the scale factor in the chosen font: each text within the
// rectangle it is drawn into, and each widget within its window.
TEST(WindowTexts, EveryCaptionFitsItsBoxInTheChosenFont) {
    Shown t;
    EXPECT_DOUBLE_EQ(t.w.devicePixelRatioF(), ScaleFactor());
    const auto v = t.Viewer(6700, 103);  // a long, deep dive gives the viewer's widest caption
    for (QWidget* w : std::initializer_list<QWidget*>{&t.w, t.w.lstVyperComm, t.w.Label5, t.w.Label8, v.get(), v->lblInfo}) {
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
          "Vyper Einstellungen auslesen", "Tauchgangsdaten übertragen", "Stop", "Ende", "TG ansehen", "Logbuch…", "Hilfe",
          "Anzahl der zuletzt gemachten  Tauchgänge, die abgerufen werden:"}},
        {"viewer",
         v.get(),
         {"Schließen", "Max.Tauchtiefe: 103m. Tauchzeit: 112min.", "<", ">", "Bild speichern…", "Tauchgang 1 von 1"}},
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
        const QColor background = list->palette().color(QPalette::Base);
        std::vector<double> starts;
        for (int row = first; row < list->ListCount(); ++row) {
            QListWidgetItem* item = list->item(row);
            const QString line = item->text();
            const QString label = line.section(QLatin1Char('\t'), 0, 0).trimmed(), value = line.section(QLatin1Char('\t'), -1);
            list->scrollToItem(item);
            list->horizontalScrollBar()->setValue(0);
            const QImage image = list->viewport()->grab().toImage();
            const QRectF rect = list->visualItemRect(item);
            // Where the label's last glyph ends, taken from where its first is placed; then where
            // the value's first glyph is placed and where its ink ends.
            const double labelEnd = InkExtent(image, rect, background).left - fm.leftBearing(label.front()) +
                                    fm.horizontalAdvance(label);
            const InkSpan valueInk = InkExtent(image, rect.adjusted(labelEnd - rect.left(), 0, 0, 0), background);
            const double valueStart = valueInk.left - fm.leftBearing(value.front());
            starts.push_back(valueStart);
            EXPECT_GE(valueStart - labelEnd, 2.0) << qPrintable(line);
            EXPECT_NEAR(valueInk.right, valueStart + fm.horizontalAdvance(value) - fm.rightBearing(value.back()), 1.5)
                << qPrintable(line);
            EXPECT_LE(valueInk.right, list->viewport()->width()) << qPrintable(line);
        }
        ASSERT_EQ(starts.size(), static_cast<size_t>(block.lines.size()));
        const auto [lowest, highest] = std::minmax_element(starts.begin(), starts.end());
        EXPECT_LE(*highest - *lowest, 1.0) << "values start between " << *lowest << " and " << *highest;
    }
}

// Every list line is drawn whole: one wider than its list shows its start with the list
// scrolled to the left and its end scrolled to the right; the interface list shows both its
// entries whole without scrolling.
TEST(MessageList, EveryLineIsDrawnWholeScrolledSidewaysWhenWide) {
    const struct {
        const char* name;
        ListBox* frmVyper::*list;
        QString line;  // added, with a short line after it; empty: the list's entry `row`
        int row;
    } cases[] = {
        {"messages", &frmVyper::lstVyperComm, IncompleteReadLine(2), 0},
        {"messages, banner", &frmVyper::lstVyperComm, QString(79, QLatin1Char('_')), 0},
        {"files", &frmVyper::lstFiles, QStringLiteral("Tauchgang 1999-September-15 14 Uhr 05 (Kopie vom Baggersee Nord, Grundelnetz).txt"), 0},
        {"interface, first", &frmVyper::lstInterfaceType, {}, 0},
        {"interface, second", &frmVyper::lstInterfaceType, {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Shown t;
        ListBox* list = t.w.*c.list;
        const bool wide = !c.line.isEmpty();
        if (wide) {
            list->AddLineShown(c.line);
            list->AddLineShown(QStringLiteral("OK."));
            list->scrollToItem(list->item(list->ListCount() - 2));
        }
        QListWidgetItem* item = list->item(wide ? list->ListCount() - 2 : c.row);
        list->SetListIndex(-1);  // drawn in the text colour, not the selection's
        QCoreApplication::processEvents();
        QScrollBar* bar = list->horizontalScrollBar();
        ASSERT_EQ(bar->maximum() > 0, wide);
        EXPECT_TRUE(wide || list->viewport()->rect().contains(list->visualItemRect(item)));
        const QColor background = list->palette().color(QPalette::Base);
        bar->setValue(0);
        const InkSpan start = InkExtent(list->viewport()->grab().toImage(), list->visualItemRect(item), background);
        bar->setValue(bar->maximum());
        const InkSpan end = InkExtent(list->viewport()->grab().toImage(), list->visualItemRect(item), background);
        ASSERT_LE(start.left, start.right);
        ASSERT_LE(end.left, end.right);
        EXPECT_LE(end.right, list->viewport()->width());
        EXPECT_NEAR(end.right + bar->maximum() - start.left, InkWidth(QFontMetricsF(list->font(), list), item->text()), 1.5);
    }
}

// Right after start-up the banner is the only wide line: the list does not scroll sideways,
// and the version and the credit line are drawn whole (the rule of underscores runs to the
// list's edge). The program's own notes, however long, are split into entries that are drawn
// whole without scrolling either.
TEST(MessageList, TheBannerAndTheNotesNeedNoSidewaysScrolling) {
    Shown t;
    ListBox* list = t.w.lstVyperComm;
    QScrollBar* bar = list->horizontalScrollBar();
    EXPECT_EQ(bar->maximum(), 0);
    const QColor background = list->palette().color(QPalette::Base);
    const QImage banner = list->viewport()->grab().toImage();
    const QFontMetricsF fm(list->font(), list);
    for (int row : {0, 1}) {
        const QListWidgetItem* item = list->item(row);
        const InkSpan ink = InkExtent(banner, list->visualItemRect(item), background);
        EXPECT_NEAR(ink.Width(), InkWidth(fm, item->text()), 1.5) << qPrintable(item->text());
        EXPECT_LE(ink.right, list->viewport()->width()) << qPrintable(item->text());
    }

    const QStringList notes = {
        QStringLiteral("Das Interface sendet jedes Byte zurück (Echo): bitte \"Selbstbau (mit Echo)\" wählen und die "
                       "Übertragung neu starten."),
        QStringLiteral("Nicht alle Tauchgänge wurden abgespeichert: 12 Tauchgänge gespeichert, 3 Tauchgänge verloren:"),
        QStringLiteral("Protokoll dieser Übertragung: "
                       "/home/anna/.local/state/Vyper-Grundelnetz/transfer-2026-12-07T19-03-04.log"),
    };
    for (int i = 0; i < 3; ++i) {
        for (const QString& note : notes) list->AddNoteShown(note);
    }
    list->SetListIndex(-1);  // drawn in the text colour, not the selection's
    QCoreApplication::processEvents();
    ASSERT_GT(list->verticalScrollBar()->maximum(), 0) << "the list has grown long";
    EXPECT_EQ(bar->maximum(), 0);
    const QRect view = list->viewport()->rect();
    const QImage image = list->viewport()->grab().toImage();
    int drawn = 0;
    for (int row = list->ListCount() - 1; row >= 3; --row, ++drawn) {
        QListWidgetItem* item = list->item(row);
        if (!view.contains(list->visualItemRect(item).topLeft())) break;  // above the part in view
        const InkSpan ink = InkExtent(image, list->visualItemRect(item), background);
        // Whole: a cut line would lack a glyph or more; the faint edges of the end glyphs
        // may fall under the threshold of ink at a fractional scale.
        EXPECT_GE(ink.Width(), InkWidth(fm, item->text()) - 2.5) << qPrintable(item->text());
        EXPECT_LE(ink.right, view.width()) << qPrintable(item->text());
    }
    EXPECT_GE(drawn, 10);
}

// The time labels under the plot: every label stands whole inside the picture, the last
// one moved left to end at the edge where it would run past it; labels never overlap.
TEST(ViewerTexts, TimeLabelsStayWholeInsideThePicture) {
    const struct {
        int lastTime;
        QStringList labels;  // as drawn, left to right
    } cases[] = {
        // Under 20 minutes: every 5 minutes; the 10-minute tick stands 625 twips from the edge.
        {640, {" 0min.", " 5min.", " 10min."}},
        // 20 twips a sample, 10 minutes 600 twips: in the window's font " 100min." is narrower
        // than that, so every 10 minutes has its label.
        {6700,
         {" 0min.", " 10min.", " 20min.", " 30min.", " 40min.", " 50min.", " 60min.", " 70min.", " 80min.", " 90min.",
          " 100min."}},
        // 74 twips a sample: the 30-minute tick at 7160, its label moved left.
        {1800, {" 0min.", " 10min.", " 20min.", " 30min."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastTime);
        Shown t;
        const auto viewer = t.Viewer(c.lastTime, 12);
        const frmShowDive& v = *viewer;
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
            EXPECT_NEAR(spans[i].Width(), InkWidth(fm, label.trimmed()), 1.5) << qPrintable(label);
            EXPECT_LE(spans[i].right, width) << qPrintable(label);
        }
    }
}

// The facts line of the widest dive fits its two lines at the viewer's designed size.
TEST(ViewerTexts, TheWidestFactsLineFitsItsBox) {
    Shown t;
    const auto v = t.Viewer(6700, 103);
    StoredDive dive;
    dive.start = QDateTime(QDate(2028, 12, 31), QTime(23, 59));
    dive.durationMinutes = 999;
    dive.maxDepthMetres = 150;
    dive.waterTemperature = -20;
    dive.airTemperature = -20;
    dive.surfaceIntervalMinutes = 99 * 60 + 59;
    dive.record.SampleInterval = 60;
    dive.oxygenPercent = 50;
    dive.record.EndedByMarker = false;
    const QString text = DiveFactsText(dive);
    ASSERT_EQ(text, QStringLiteral("31.12.2028 23:59 · 999 min · 150 m · Wasser -20 °C · Luft -20 °C · "
                                   "Oberfläche 99 h 59 min · Intervall 60 s · O2 50 % · Profil ohne Endmarke"));
    v->lblFacts->SetCaption(text);
    const CaptionRoom room = LabelRoom(v->lblFacts);
    EXPECT_TRUE(room.Fits()) << "needs " << room.neededWidth << " x " << room.neededHeight << ", has "
                             << room.availableWidth << " x " << room.availableHeight;
    EXPECT_TRUE(v->rect().contains(room.inWindow));
}

// Enlarged, the viewer's rows move with its lower edge and their captions keep their room.
TEST(ViewerTexts, EnlargedTheCaptionsKeepTheirRoom) {
    Shown t;
    const auto v = t.Viewer(6700, 103);
    const QSize designed = v->size();
    v->resize(designed.width() * 3 / 2, designed.height() * 3 / 2);
    ASSERT_EQ(v->size(), QSize(designed.width() * 3 / 2, designed.height() * 3 / 2));
    int checked = 0;
    for (const auto& room : CaptionRooms(v.get())) {
        ++checked;
        EXPECT_TRUE(room.Fits()) << qPrintable(room.text);
        EXPECT_TRUE(v->rect().contains(room.inWindow)) << qPrintable(room.text);
    }
    EXPECT_EQ(checked, 7);  // the summary, the facts, the place and the four buttons
    EXPECT_EQ(v->picDive->Picture().size(), v->picDive->size() * ScaleFactor());
}
