// The viewer's window around the plot: its size, the previous and next dive, the keys and
// the saved picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <optional>

#include "support/DiveBytes.h"
#include "support/E2eSession.h"
#include "support/MainWindow.h"
#include "ui/viewer/DiveSequence.h"
#include "ui/viewer/frmShowDive.h"

using namespace vyper;
using vyper::testing::ProfileFileBytes;
using Window = vyper::testing::MainWindow;

namespace {

QByteArray GoldenBytes(const char* name) {
    QFile file(QDir(vyper::testing::GoldenFolder()).filePath(QStringLiteral("e2e/") + QString::fromUtf8(name)));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

// Answers the save dialog with a path and a file type, and records what it was offered.
struct AnsweringChooser : PictureFileChooser {
    std::optional<Choice> answer;
    QStringList offered;
    std::optional<Choice> ChoosePictureFile(QWidget*, const QString& proposedPath) override {
        offered << proposedPath;
        return answer;
    }
};

// A viewer on `selected`, shown and activated.
struct Viewer {
    Window t;
    AnsweringChooser chooser;
    std::unique_ptr<frmShowDive> v;
    void Open(const QString& selected) {
        for (int row = 0; row < t.w.lstFiles->ListCount(); ++row) {
            if (t.w.lstFiles->item(row)->text() == selected) t.w.lstFiles->SetListIndex(row);
        }
        ViewerSource source = t.w.ViewerSourceOf();
        source.pictureChooser = &chooser;
        v = std::make_unique<frmShowDive>(source, &t.w);
        v->show();
        QCoreApplication::processEvents();  // the activation follows the showing
        // The folder's order is read aside; it arrives through the event loop.
        ASSERT_TRUE(QTest::qWaitFor([this] { return v->DiveOrderKnown() || v->Unloaded(); }, 10000));
    }
};

// Gives the stored file `name` the time it was last written.
void SetWritten(Window& t, const char* name, const QDateTime& when) {
    QFile file(JoinPath(t.m.ProfileFolder, QString::fromLatin1(name)));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(when, QFileDevice::FileModificationTime)) << name;
}

constexpr const char* kInfoA = "Max.Tauchtiefe: 17m. Tauchzeit: 6min.";
constexpr const char* kFactsA =
    "17.08.2024 10:42 · 6 min · 17 m · Wasser 19 °C · Luft 26 °C · Oberfläche 2 h 15 min · Intervall 20 s";

}  // namespace

TEST(ShowDiveWindow, AtItsDesignedSizeTheOriginalRowsStandAsDesignedAndEnlargingRedrawsThePlot) {
    Viewer s;
    s.t.Store(QStringLiteral("a.txt"), GoldenBytes("2024-08-17 10 Uhr 42.txt"));
    s.Open(QStringLiteral("a.txt"));
    frmShowDive& v = *s.v;
    ASSERT_EQ(v.Activations(), 1);
    // 96 dpi: 15 twips a pixel.
    EXPECT_EQ(v.minimumSize(), QSize(496, 380));
    EXPECT_EQ(v.size(), QSize(496, 380));
    EXPECT_EQ(v.picDive->geometry(), QRect(4, 4, 485, 293));
    EXPECT_EQ(v.lblInfo->geometry(), QRect(4, 304, 425, 17));
    EXPECT_EQ(v.cmdClose->geometry(), QRect(432, 300, 61, 21));
    EXPECT_EQ(v.windowTitle(), QStringLiteral("Tauchgang ansehen"));
    EXPECT_EQ(v.lblInfo->Caption(), QString::fromUtf8(kInfoA));
    const PlotLine designedTimeAxis{500, 4095, 7075, 4095, std::nullopt, 1};
    ASSERT_GE(v.Drawing().lines.size(), 2u);
    EXPECT_EQ(v.Drawing().lines[1], designedTimeAxis);

    v.resize(796, 530);
    EXPECT_EQ(v.picDive->geometry(), QRect(4, 4, 785, 443));
    EXPECT_EQ(v.lblInfo->geometry(), QRect(4, 454, 725, 17));
    EXPECT_EQ(v.cmdClose->geometry(), QRect(732, 450, 61, 21));
    EXPECT_EQ(v.cmdSavePicture->geometry().right(), 792);
    EXPECT_EQ(v.cmdPrevious->geometry().topLeft(), QPoint(4, 505));
    EXPECT_EQ(v.ShownWidthTwips(), 11775);
    EXPECT_EQ(v.ShownHeightTwips(), 6645);
    // The axes end where the larger box puts them; the profile reaches past the old width.
    ASSERT_GE(v.Drawing().lines.size(), 2u);
    EXPECT_EQ(v.Drawing().lines[1], (PlotLine{500, 6345, 11575, 6345, std::nullopt, 1}));
    int profileRight = 0;
    for (const PlotLine& line : v.Drawing().lines) {
        if (line.colour == kProfileColour) profileRight = std::max({profileRight, line.x1, line.x2});
    }
    EXPECT_GT(profileRight, 7075);
    EXPECT_EQ(v.picDive->Picture().size(), QSize(785, 443) * v.picDive->devicePixelRatioF());

    // A window smaller than its design is not made; back at the design, the plot is as before.
    v.resize(300, 200);
    EXPECT_EQ(v.size(), QSize(496, 380));
    EXPECT_EQ(v.Drawing().lines[1], designedTimeAxis);
}

TEST(ShowDiveWindow, PreviousAndNextWalkTheFolderInDateOrderAndStopAtTheEnds) {
    Viewer s;
    // Named so that the names' order is not the dates' order.
    s.t.Store(QStringLiteral("a.txt"), GoldenBytes("2024-08-17 10 Uhr 42.txt"));
    s.t.Store(QStringLiteral("b.txt"), GoldenBytes("1999-12-31 23 Uhr 59.txt"));
    s.t.Store(QStringLiteral("c.txt"), GoldenBytes("2024-08-16 15 Uhr 05.txt"));
    s.t.Store(QStringLiteral("d.txt"), GoldenBytes("2024-07-15 09 Uhr 07.txt"));
    // No dive for the strict reader (LF line ends), but the viewer plots it; written
    // between the July and the August dives.
    s.t.Store(QStringLiteral("lf.txt"), ProfileFileBytes({{30, 4}, {60, 8}}).replace("\r\n", "\n"));
    SetWritten(s.t, "lf.txt", QDateTime(QDate(2024, 7, 20), QTime(12, 0)));
    // A text that the viewer cannot plot, written last.
    s.t.Store(QStringLiteral("notiz.txt"), "Tauchplatz: Baggersee\r\n");
    SetWritten(s.t, "notiz.txt", QDateTime(QDate(2030, 1, 1), QTime(0, 0)));

    s.Open(QStringLiteral("d.txt"));
    frmShowDive& v = *s.v;
    ASSERT_EQ(v.Activations(), 1);
    EXPECT_EQ(v.DiveOrder(), (QStringList{"b.txt", "d.txt", "lf.txt", "c.txt", "a.txt", "notiz.txt"}));
    EXPECT_EQ(v.lblPosition->Caption(), QStringLiteral("Tauchgang 2 von 6"));
    EXPECT_EQ(v.lblFacts->Caption(), QStringLiteral("15.07.2024 09:07 · 16 min · 18 m · Wasser 11 °C · Luft 20 °C · "
                                                    "Oberfläche 48 h 00 min · Intervall 20 s"));

    const struct {
        bool next;  // else previous
        const char* shown;
        const char* info;   // "" after a failure
        const char* facts;  // "" after a failure
        bool previousEnabled, nextEnabled;
        const char* box;  // nullptr: none
    } steps[] = {
        {true, "lf.txt", "Max.Tauchtiefe: 8m. Tauchzeit: 1min.", "Angaben nicht lesbar", true, true, nullptr},
        {true, "c.txt", "Max.Tauchtiefe: 18m. Tauchzeit: 9min.",
         "16.08.2024 15:05 · 9 min · 18 m · Luft 24 °C · Oberfläche 0 h 45 min · Intervall 30 s · O2 32 % · "
         "Profil ohne Endmarke",
         true, true, nullptr},
        {true, "a.txt", kInfoA, kFactsA, true, true, nullptr},
        // The failure is named; the window stays, on the axes alone, and the way back is open.
        {true, "notiz.txt", "", "", true, false, "Fehler: Division durch Null"},
        {false, "a.txt", kInfoA, kFactsA, true, true, nullptr},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.shown);
        const size_t boxes = s.t.p.boxes.shown.size();
        step.next ? v.cmdNext->click() : v.cmdPrevious->click();
        EXPECT_EQ(v.ShownFile(), QString::fromLatin1(step.shown));
        EXPECT_EQ(v.windowTitle(), QStringLiteral("Tauchgang ansehen – ") + QString::fromLatin1(step.shown));
        EXPECT_EQ(v.lblInfo->Caption(), QString::fromUtf8(step.info));
        EXPECT_EQ(v.lblFacts->Caption(), QString::fromUtf8(step.facts));
        EXPECT_EQ(v.cmdPrevious->isEnabled(), step.previousEnabled);
        EXPECT_EQ(v.cmdNext->isEnabled(), step.nextEnabled);
        EXPECT_EQ(v.cmdSavePicture->isEnabled(), *step.info != '\0');
        ASSERT_EQ(s.t.p.boxes.shown.size(), boxes + (step.box ? 1 : 0));
        if (step.box) {
            EXPECT_EQ(s.t.p.boxes.shown.back().text, QString::fromUtf8(step.box));
        }
        EXPECT_FALSE(v.Unloaded());
    }
    // Back to the oldest dive; there the way stops.
    for (int i = 0; i < 6; ++i) v.cmdPrevious_Click();
    EXPECT_EQ(v.ShownFile(), QStringLiteral("b.txt"));
    EXPECT_EQ(v.lblPosition->Caption(), QStringLiteral("Tauchgang 1 von 6"));
    EXPECT_FALSE(v.cmdPrevious->isEnabled());
    EXPECT_TRUE(v.cmdNext->isEnabled());
    EXPECT_EQ(v.lblInfo->Caption(), QStringLiteral("Max.Tauchtiefe: 10m. Tauchzeit: 20min."));
    // The main window's selection stays where the user left it.
    EXPECT_EQ(s.t.w.lstFiles->Text(), QStringLiteral("d.txt"));
}

TEST(ShowDiveWindow, KeysReachThePlotStepAndCloseButEnterClosesNothing) {
    Viewer s;
    s.t.Store(QStringLiteral("a.txt"), GoldenBytes("2024-08-17 10 Uhr 42.txt"));
    s.t.Store(QStringLiteral("c.txt"), GoldenBytes("2024-08-16 15 Uhr 05.txt"));
    s.Open(QStringLiteral("a.txt"));
    frmShowDive& v = *s.v;
    QApplication::setActiveWindow(&v);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
    EXPECT_EQ(QApplication::focusWidget(), v.picDive);

    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(v.picDive, key);
        EXPECT_TRUE(v.isVisible());
        EXPECT_FALSE(v.Unloaded());
    }
    // Enter on a button that has the focus presses nothing either; the space bar does.
    v.cmdPrevious->setFocus();
    QTest::keyClick(v.cmdPrevious, Qt::Key_Return);
    EXPECT_EQ(v.ShownFile(), QStringLiteral("a.txt"));
    EXPECT_FALSE(v.Unloaded());
    QTest::keyClick(v.cmdPrevious, Qt::Key_Space);
    EXPECT_EQ(v.ShownFile(), QStringLiteral("c.txt"));
    QTest::keyClick(v.picDive, Qt::Key_PageDown);
    QTest::keyClick(v.picDive, Qt::Key_PageUp);
    EXPECT_EQ(v.ShownFile(), QStringLiteral("c.txt"));
    QTest::keyClick(v.picDive, Qt::Key_PageUp);  // the oldest: nothing happens
    EXPECT_EQ(v.ShownFile(), QStringLiteral("c.txt"));
    QTest::keyClick(v.picDive, Qt::Key_PageDown);
    EXPECT_EQ(v.ShownFile(), QStringLiteral("a.txt"));
    EXPECT_TRUE(s.t.p.boxes.shown.empty());

    QTest::keyClick(v.picDive, Qt::Key_Escape);
    EXPECT_TRUE(v.Unloaded());
    EXPECT_FALSE(v.isVisible());
}

TEST(ShowDiveWindow, SavedPicturesOpenAgainAtTheirSize) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    Viewer s;
    s.t.Store(QStringLiteral("Tauchgang 2024-August-17 10 Uhr 42.txt"), GoldenBytes("2024-08-17 10 Uhr 42.txt"));
    s.Open(QStringLiteral("Tauchgang 2024-August-17 10 Uhr 42.txt"));
    frmShowDive& v = *s.v;
    v.resize(696, 480);  // the picture box: 685 x 393
    const QString png = folder.filePath(QStringLiteral("tg.png"));
    const QString wide = folder.filePath(QStringLiteral("gross"));
    const QString svg = folder.filePath(QStringLiteral("tg.svg"));

    s.chooser.answer = PictureFileChooser::Choice{png, QStringLiteral("PNG-Bild in Fenstergröße (*.png)")};
    v.cmdSavePicture->click();
    s.chooser.answer = PictureFileChooser::Choice{wide, QStringLiteral("PNG-Bild, 1920 Pixel breit (*.png)")};
    QApplication::setActiveWindow(&v);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
    QTest::keyClick(v.picDive, Qt::Key_S, Qt::ControlModifier);
    s.chooser.answer = PictureFileChooser::Choice{svg, QStringLiteral("SVG-Grafik (*.svg)")};
    v.cmdSavePicture_Click();
    s.chooser.answer.reset();  // cancelled: nothing is written
    v.cmdSavePicture_Click();

    EXPECT_TRUE(s.t.p.boxes.shown.empty());
    // The first offer: the home folder and the file's name; then the folder last saved to.
    ASSERT_EQ(s.chooser.offered.size(), 4);
    EXPECT_EQ(s.chooser.offered[0], JoinPath(QDir::homePath(), QStringLiteral("Tauchgang 2024-August-17 10 Uhr 42.png")));
    EXPECT_EQ(s.chooser.offered[1], folder.filePath(QStringLiteral("Tauchgang 2024-August-17 10 Uhr 42.png")));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"gross.png", "tg.png", "tg.svg"}));

    const qreal ratio = v.devicePixelRatioF();
    const QImage shown(png);
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.size(), QSize(685, 393) * ratio);
    // The picture is the one on the screen.
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32), v.picDive->Picture().convertToFormat(QImage::Format_RGB32));
    const QImage large(wide + QStringLiteral(".png"));
    EXPECT_EQ(large.size(), QSize(1920, 1102));
    QSvgRenderer vector(svg);
    ASSERT_TRUE(vector.isValid());
    EXPECT_EQ(vector.defaultSize(), QSize(685, 393));
}

namespace {

// A move (with `buttons` held), or a press or release of the left button, at x pixels.
void Mouse(QWidget* widget, QEvent::Type type, double x, Qt::MouseButtons buttons = Qt::NoButton) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(x, 100), widget->mapToGlobal(QPointF(x, 100)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void Wheel(QWidget* widget, double x, int notches, Qt::KeyboardModifiers modifiers) {
    QWheelEvent wheel(QPointF(x, 100), widget->mapToGlobal(QPointF(x, 100)), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
}

bool HasText(const Plot& plot, const QString& text) {
    return std::any_of(plot.texts.begin(), plot.texts.end(), [&](const PlotText& t) { return t.text == text; });
}

}  // namespace

TEST(ShowDiveWindow, TheReadoutFollowsTheMouseAndTheArrowKeys) {
    Viewer s;
    s.t.Store(QStringLiteral("a.txt"), GoldenBytes("2024-08-17 10 Uhr 42.txt"));
    s.Open(QStringLiteral("a.txt"));
    frmShowDive& v = *s.v;
    const Plot untouched = v.Drawing();
    EXPECT_FALSE(v.View().readoutSample.has_value());
    // 17 samples: one every 6775 / 18 = 376 twips (25 pixels) from x 500 twips.
    const struct {
        const char* action;
        double mouseX;  // pixels; < 0: the key, pressed `presses` times
        Qt::Key key;
        int presses;
        int sample;
        const char* text;
    } steps[] = {
        {"mouse over the third sample", (500 + 3 * 376) / 15.0, Qt::Key_unknown, 0, 3, "1:00, 17 m"},
        {"a little to the right: still the third", (500 + 3 * 376 + 150) / 15.0, Qt::Key_unknown, 0, 3, "1:00, 17 m"},
        {"→", -1, Qt::Key_Right, 1, 4, "1:20, 17 m"},
        {"← ←", -1, Qt::Key_Left, 2, 2, "0:40, 12 m"},
        {"mouse over the second last", (500 + 16 * 376) / 15.0, Qt::Key_unknown, 0, 16, "5:20, 6 m"},
        {"→ →: stops at the last", -1, Qt::Key_Right, 2, 17, "5:40, 0 m"},
        {"before the profile: the first", 2, Qt::Key_unknown, 0, 1, "0:20, 6 m"},
        {"←: stays at the first", -1, Qt::Key_Left, 1, 1, "0:20, 6 m"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.action);
        if (step.mouseX >= 0) {
            Mouse(v.picDive, QEvent::MouseMove, step.mouseX);
        } else {
            for (int i = 0; i < step.presses; ++i) QTest::keyClick(v.picDive, step.key);
        }
        EXPECT_EQ(v.View().readoutSample, step.sample);
        EXPECT_TRUE(HasText(v.Drawing(), QString::fromUtf8(step.text)));
        EXPECT_FALSE(v.View().shown.has_value());
    }
    // The next dive starts without a readout, as the first did.
    v.Form_Activate();
    EXPECT_EQ(v.Drawing(), untouched);
}

TEST(ShowDiveWindow, CtrlWheelAndPlusMinusZoomAroundDraggingPansPos1ShowsTheWholeDive) {
    Viewer s;
    s.t.Store(QStringLiteral("a.txt"), GoldenBytes("2024-08-17 10 Uhr 42.txt"));
    s.Open(QStringLiteral("a.txt"));
    frmShowDive& v = *s.v;
    const Plot whole = v.Drawing();
    const double atTwoMinutes = (500 + 6 * 376) / 15.0;  // sample 6: 120 s

    Wheel(v.picDive, atTwoMinutes, 1, Qt::NoModifier);  // without Ctrl the wheel does not zoom
    EXPECT_FALSE(v.View().shown.has_value());
    Wheel(v.picDive, atTwoMinutes, 2, Qt::ControlModifier);
    ASSERT_TRUE(v.View().shown.has_value());
    const TimeSpan zoomed = *v.View().shown;
    // Two steps of 1.25: 340 / 1.5625 = 218 s, with 120 s where it was, 120 / 340 of the way.
    EXPECT_NEAR(zoomed.Length(), 218, 1);
    EXPECT_NEAR(zoomed.first, 120 - 218 * 120 / 340, 2);
    EXPECT_NE(v.Drawing(), whole);

    // Dragging 100 pixels to the left shows later seconds, at most up to the dive's end.
    Mouse(v.picDive, QEvent::MouseButtonPress, 300, Qt::LeftButton);
    Mouse(v.picDive, QEvent::MouseMove, 250, Qt::LeftButton);
    Mouse(v.picDive, QEvent::MouseMove, 200, Qt::LeftButton);
    Mouse(v.picDive, QEvent::MouseButtonRelease, 200);
    ASSERT_TRUE(v.View().shown.has_value());
    EXPECT_GT(v.View().shown->first, zoomed.first);
    EXPECT_EQ(v.View().shown->Length(), zoomed.Length());
    EXPECT_LE(v.View().shown->last, 340);
    // Moving the mouse without a button pans nothing.
    const TimeSpan dragged = *v.View().shown;
    Mouse(v.picDive, QEvent::MouseMove, 50);
    EXPECT_EQ(v.View().shown, dragged);

    QTest::keyClick(v.picDive, Qt::Key_Plus);
    ASSERT_TRUE(v.View().shown.has_value());
    EXPECT_LT(v.View().shown->Length(), dragged.Length());
    QTest::keyClick(v.picDive, Qt::Key_Home);
    EXPECT_FALSE(v.View().shown.has_value());
    for (int i = 0; i < 3; ++i) QTest::keyClick(v.picDive, Qt::Key_Minus);  // no further out than the whole dive
    EXPECT_FALSE(v.View().shown.has_value());
    QTest::keyClick(v.picDive, Qt::Key_Plus);
    QTest::keyClick(v.picDive, Qt::Key_Minus);
    EXPECT_FALSE(v.View().shown.has_value());
}

TEST(DiveOrderReading, ArrivesThroughTheEventLoopAndNotAtAllOnceTheReaderIsGone) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(QDir(folder.path()).filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("neu.txt", GoldenBytes("2024-08-17 10 Uhr 42.txt"));
    write("alt.txt", GoldenBytes("1999-12-31 23 Uhr 59.txt"));

    QObject receiver;
    std::optional<QStringList> arrived;
    {
        DiveOrderReader reader(folder.path(), &receiver, [&](QStringList order) { arrived = order; });
        EXPECT_FALSE(arrived.has_value());  // never inside the constructor
        EXPECT_TRUE(QTest::qWaitFor([&] { return arrived.has_value(); }, 10000));
    }
    EXPECT_EQ(arrived, (QStringList{"alt.txt", "neu.txt"}));

    // A reader dropped at once (the window closed) reports nothing, even later.
    arrived.reset();
    { DiveOrderReader dropped(folder.path(), &receiver, [&](QStringList order) { arrived = order; }); }
    QCoreApplication::processEvents();
    EXPECT_FALSE(arrived.has_value());

    // Asked to stop before each file, the reading ends with what it has.
    int asked = 0;
    EXPECT_EQ(ReadDiveDateOrder(folder.path(), [&] { return ++asked > 1; }), (QStringList{"alt.txt"}));
}
