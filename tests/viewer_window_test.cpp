#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <utility>
#include <vector>

#include "support/DiveBytes.h"
#include "support/MainWindow.h"
#include "ui/viewer/frmShowDive.h"

using namespace vyper;
using vyper::testing::ProfileFileBytes;
using Window = vyper::testing::MainWindow;

namespace {

const std::vector<std::pair<int, int>> kLevelDive = {{30, 10}, {60, 10}, {90, 10}, {120, 10}};

}  // namespace

TEST(ShowDive, NoSelectionOrAFailureIsReportedAndClosesTheWindow) {
    std::vector<std::pair<int, int>> full;
    for (int i = 1; i <= 2000; ++i) full.push_back({i * 10, 5});
    const struct {
        const char* name;  // nullptr: no entry
        QByteArray bytes;  // empty: no file at all
        bool selected;
        QString message;
    } cases[] = {
        {nullptr, {}, false, QStringLiteral("Kein Tauchgang ausgewählt.")},
        {"a.txt", ProfileFileBytes(kLevelDive), false, QStringLiteral("Kein Tauchgang ausgewählt.")},
        {"fehlt.txt", {}, true, QStringLiteral("Fehler: Datei nicht gefunden")},
        {"flach.txt", ProfileFileBytes({{30, 0}, {60, 0}}), true, QStringLiteral("Fehler: Division durch Null")},
        {"voll.txt", ProfileFileBytes(full), true,
         QStringLiteral("Fehler: Das Tauchprofil hat mehr Messpunkte, als angezeigt werden können (höchstens 2000)")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "no entry");
        Window t;
        if (c.name && c.bytes.isEmpty()) t.w.lstFiles->AddItem(QString::fromUtf8(c.name));
        else if (c.name) t.Store(c.name, c.bytes);
        if (c.selected) t.w.lstFiles->SetListIndex(0);
        frmShowDive v(t.w.ViewerSourceOf(), &t.w);
        v.Form_Activate();
        ASSERT_EQ(t.p.boxes.shown.size(), 1u);
        EXPECT_EQ(t.p.boxes.shown[0].text, c.message);
        EXPECT_TRUE(v.Unloaded());
        EXPECT_TRUE(v.lblInfo->Caption().isEmpty());
        if (!c.selected) {
            EXPECT_EQ(v.Drawing().lines, AxesPlot(4395, 7275).lines);
        }
    }
}

TEST(ShowDive, ShownWindowPlotsTheSelectedProfileInItsColour) {
    Window t;
    t.Store("a.txt", ProfileFileBytes(kLevelDive));
    t.w.lstFiles->SetListIndex(0);
    frmShowDive v(t.w.ViewerSourceOf(), &t.w);
    v.show();
    QCoreApplication::processEvents();  // the activation follows the showing
    ASSERT_EQ(v.Activations(), 1);
    EXPECT_TRUE(t.p.boxes.shown.empty());
    EXPECT_EQ(v.lblInfo->Caption(), QStringLiteral("Max.Tauchtiefe: 10m. Tauchzeit: 2min."));

    const QImage image = v.grab().toImage();
    const QRect box = v.picDive->geometry();
    const double sx = box.width() / 7275.0;
    const double sy = box.height() / 4395.0;
    const QColor profile(0, 0, 160);
    // Is there a pixel of the profile colour within one pixel of the twip point (x, y)?
    auto profileNear = [&](int x, int y) {
        const QPoint at(box.left() + static_cast<int>(x * sx), box.top() + static_cast<int>(y * sy));
        for (int d = 0; d < 9; ++d) {
            if (image.pixelColor(at + QPoint(d % 3 - 1, d / 3 - 1)) == profile) return true;
        }
        return false;
    };
    // Samples every 6775/5 = 1355 twips at 10 m, that is 10 × 339 + 200 = 3590 twips down.
    for (int x : {2000, 3000, 4000, 5000, 5900}) EXPECT_TRUE(profileNear(x, 3590)) << x;
    // The descent from the surface at (500, 200) to the first sample at (1855, 3590).
    EXPECT_TRUE(profileNear((500 + 1855) / 2, (200 + 3590) / 2));
    // Above and below the level part, and past the last sample, there is no profile.
    for (auto [x, y] : {std::pair{3000, 2500}, std::pair{3000, 3900}, std::pair{6500, 3590}}) {
        EXPECT_FALSE(profileNear(x, y)) << x << "," << y;
    }
}

TEST(ShowDive, DoubleClickOnAFileOpensThatFile) {
    Window t;
    frmVyper& w = t.w;
    w.show();
    t.Store("a.txt", ProfileFileBytes({{30, 4}, {60, 7}}));
    t.Store("b.txt", ProfileFileBytes(kLevelDive));
    t.Store("c.txt", ProfileFileBytes({{30, 1}}));
    // The modal viewer is checked once it has been activated, then closed.
    QString caption;
    int seen = 0, ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* v = dynamic_cast<frmShowDive*>(QApplication::activeModalWidget());
        if (v != nullptr && v->Activations() > 0 && v->isVisible()) {
            ++seen;
            caption = v->lblInfo->Caption();
            v->cmdClose->click();
        } else if (++ticks > 10000 && QApplication::activeModalWidget() != nullptr) {
            QApplication::activeModalWidget()->close();  // never leave a test hanging
        }
    });
    timer.start(0);
    const QRect first = w.lstFiles->visualItemRect(w.lstFiles->item(0));
    // A double-click arrives as a click followed by a double-click event.
    QTest::mouseClick(w.lstFiles->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    QTest::mouseDClick(w.lstFiles->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(caption, QStringLiteral("Max.Tauchtiefe: 7m. Tauchzeit: 1min."));
    EXPECT_EQ(w.lstFiles->Text(), QStringLiteral("a.txt"));
}
