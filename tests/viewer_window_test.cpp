#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <functional>
#include <utility>
#include <vector>

#include "support/DiveBytes.h"
#include "support/MainWindow.h"
#include "ui/viewer/frmShowDive.h"

using namespace vyper;
using vyper::testing::ProfileFileBytes;

namespace {

struct Window : vyper::testing::MainWindow {
    // Puts a profile file into the program's profile folder and lists it in lstFiles.
    void Store(const char* name, const QByteArray& bytes) {
        QFile file(QDir(m.ProfileFolder).filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        w.lstFiles->AddItem(QString::fromUtf8(name));
    }
};

// While a modal viewer runs, checks it once it has been activated and then closes it.
class ViewerWatch {
public:
    explicit ViewerWatch(std::function<void(frmShowDive&)> check) : check_(std::move(check)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(0);
    }
    int seen = 0;

private:
    void Tick() {
        auto* viewer = dynamic_cast<frmShowDive*>(QApplication::activeModalWidget());
        if (viewer != nullptr && viewer->Activations() > 0 && viewer->isVisible()) {
            ++seen;
            check_(*viewer);
            viewer->cmdClose->click();
        } else if (++ticks_ > 10000 && QApplication::activeModalWidget() != nullptr) {
            QApplication::activeModalWidget()->close();  // never leave a test hanging
        }
    }
    std::function<void(frmShowDive&)> check_;
    QTimer timer_;
    int ticks_ = 0;
};

const std::vector<std::pair<int, int>> kLevelDive = {{30, 10}, {60, 10}, {90, 10}, {120, 10}};

}  // namespace

TEST(ShowDive, NothingSelectedDrawsTheAxesThenSaysSoAndCloses) {
    for (bool withEntries : {false, true}) {
        Window t;
        vyper::testing::TestPlatform& p = t.p;
        frmVyper& w = t.w;
        if (withEntries) t.Store("a.txt", ProfileFileBytes(kLevelDive));
        frmShowDive v(w.Module(), &w);
        v.Form_Activate();
        ASSERT_EQ(p.boxes.shown.size(), 1u);
        EXPECT_EQ(p.boxes.shown[0].text, QStringLiteral("Kein Tauchgang ausgewählt."));
        EXPECT_EQ(p.boxes.shown[0].style, 64);
        EXPECT_TRUE(v.Unloaded());
        EXPECT_EQ(v.Drawing().lines, AxesPlot(4395, 7275).lines);
        EXPECT_TRUE(v.lblInfo->Caption().isEmpty());
    }
}

TEST(ShowDive, FailuresAreReportedAndCloseTheWindow) {
    std::vector<std::pair<int, int>> full;
    for (int i = 1; i <= 2000; ++i) full.push_back({i * 10, 5});
    const struct {
        const char* name;
        QByteArray bytes;  // empty: no file at all
        QString message;
    } cases[] = {
        {"fehlt.txt", QByteArray(), QStringLiteral("Fehler: Datei nicht gefunden")},
        {"flach.txt", ProfileFileBytes({{30, 0}, {60, 0}}), QStringLiteral("Fehler: Division durch Null")},
        {"leer.txt", ProfileFileBytes({}), QStringLiteral("Fehler: Division durch Null")},
        {"voll.txt", ProfileFileBytes(full),
         QStringLiteral("Fehler: Das Tauchprofil hat mehr Messpunkte, als angezeigt werden können (höchstens 2000)")},
        {"tief.txt", ProfileFileBytes({{30, 40000}}), QStringLiteral("Fehler: Überlauf")},
    };
    for (const auto& c : cases) {
        Window t;
        vyper::testing::TestPlatform& p = t.p;
        frmVyper& w = t.w;
        if (c.bytes.isEmpty()) w.lstFiles->AddItem(QString::fromUtf8(c.name));
        else t.Store(c.name, c.bytes);
        w.lstFiles->SetListIndex(0);
        frmShowDive v(w.Module(), &w);
        v.Form_Activate();
        ASSERT_EQ(p.boxes.shown.size(), 1u) << c.name;
        EXPECT_EQ(p.boxes.shown[0].text, c.message) << c.name;
        EXPECT_EQ(p.boxes.shown[0].style, 16) << c.name;
        EXPECT_TRUE(v.Unloaded()) << c.name;
        EXPECT_TRUE(v.lblInfo->Caption().isEmpty()) << c.name;
    }
}

TEST(ShowDive, ShownWindowPlotsTheSelectedProfileInItsColour) {
    Window t;
    vyper::testing::TestPlatform& p = t.p;
    frmVyper& w = t.w;
    t.Store("Tauchgang 14. August 2003 10 Uhr 05.txt", ProfileFileBytes(kLevelDive));
    w.lstFiles->SetListIndex(0);
    frmShowDive v(w.Module(), &w);
    v.show();
    QCoreApplication::processEvents();  // the activation follows the showing
    ASSERT_EQ(v.Activations(), 1);
    EXPECT_FALSE(v.Unloaded());
    EXPECT_TRUE(p.boxes.shown.empty());
    EXPECT_EQ(v.lblInfo->Caption(), QStringLiteral("Max.Tauchtiefe: 10m. Tauchzeit: 2min."));

    const QImage image = v.grab().toImage();
    const QRect box = v.picDive->geometry();
    const double sx = box.width() / 7275.0;
    const double sy = box.height() / 4395.0;
    const QColor profile(0, 0, 160);
    // Is there a pixel of the profile colour within one pixel of the twip point (x, y)?
    auto profileNear = [&](int x, int y) {
        const int px = box.left() + static_cast<int>(x * sx);
        const int py = box.top() + static_cast<int>(y * sy);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (image.pixelColor(px + dx, py + dy) == profile) return true;
            }
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
    // The picture is kept: painting it again gives the same pixels.
    EXPECT_EQ(v.grab().toImage(), image);
}

TEST(ShowDive, ButtonOpensTheViewerModallyOrSaysNothingIsSelected) {
    for (bool selected : {true, false}) {
        Window t;
        t.w.show();
        t.Store("a.txt", ProfileFileBytes({{30, 4}, {60, 7}}));
        t.Store("b.txt", ProfileFileBytes(kLevelDive));
        if (selected) t.w.lstFiles->SetListIndex(1);
        QString caption;
        ViewerWatch watch([&](frmShowDive& v) { caption = v.lblInfo->Caption(); });
        t.w.cmdShowDive->click();  // returns when the viewer is closed (by itself without a selection)
        EXPECT_EQ(watch.seen, selected ? 1 : 0);
        EXPECT_EQ(caption, selected ? QStringLiteral("Max.Tauchtiefe: 10m. Tauchzeit: 2min.") : QString());
        EXPECT_EQ(t.p.boxes.shown.size(), selected ? 0u : 1u);
        if (!selected) {
            EXPECT_EQ(t.p.boxes.shown[0].text, QStringLiteral("Kein Tauchgang ausgewählt."));
        }
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST(ShowDive, DoubleClickOnAFileOpensThatFile) {
    Window t;
    frmVyper& w = t.w;
    w.show();
    t.Store("a.txt", ProfileFileBytes({{30, 4}, {60, 7}}));
    t.Store("b.txt", ProfileFileBytes(kLevelDive));
    t.Store("c.txt", ProfileFileBytes({{30, 1}}));
    QString caption;
    ViewerWatch watch([&](frmShowDive& v) { caption = v.lblInfo->Caption(); });
    const QRect first = w.lstFiles->visualItemRect(w.lstFiles->item(0));
    // A double-click arrives as a click followed by a double-click event.
    QTest::mouseClick(w.lstFiles->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    QTest::mouseDClick(w.lstFiles->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    EXPECT_EQ(watch.seen, 1);
    EXPECT_EQ(caption, QStringLiteral("Max.Tauchtiefe: 7m. Tauchzeit: 1min."));
    EXPECT_EQ(w.lstFiles->Text(), QStringLiteral("a.txt"));
}
