// The logbook window on a real folder: what it lists, how it keeps up with the folder,
// how it opens a dive and exports, and its button in the main window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QSet>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <unistd.h>

#include "support/Fakes.h"
#include "support/MainWindow.h"
#include "ui/logbook/frmLogbook.h"
#include "ui/main/HelpWindow.h"
#include "ui/viewer/frmShowDive.h"

using namespace vyper;
using vyper::testing::ReadAll;
using vyper::testing::TestPlatform;
using vyper::testing::WriteAll;

namespace {

const QString kA = QStringLiteral("1999-12-31 23 Uhr 59.txt");  // 10 m, 20 min
const QString kB = QStringLiteral("2024-07-15 09 Uhr 07.txt");
const QString kC = QStringLiteral("2024-08-16 15 Uhr 05.txt");
const QString kD = QStringLiteral("2024-08-17 10 Uhr 42.txt");  // 17 m, 6 min

QByteArray Golden(const QString& name) {
    QFile file(QStringLiteral(VYPER_SOURCE_DIR "/tests/golden/e2e/") + name);
    if (!file.open(QIODevice::ReadOnly)) qFatal("missing golden file %s", qPrintable(name));
    return file.readAll();
}

std::string Listed(const QStringList& names) { return names.join(QStringLiteral(" | ")).toStdString(); }

// Answers the save dialog with a fixed path and notes what it was offered.
class FakeChooser : public SaveFileChooser {
public:
    QString ChooseSaveFile(QWidget*, const QString& caption, const QString& proposedPath, const QString& filter) override {
        offered << caption + QLatin1Char('|') + proposedPath + QLatin1Char('|') + filter;
        return answer;
    }
    QString answer;
    QStringList offered;
};

// A logbook over the profile folder of a temporary program folder.
struct Logbook {
    TestPlatform p;
    FakeChooser chooser;
    const QString folder = QDir(p.programFolder.path()).filePath(QStringLiteral("Tauchprofile"));
    std::unique_ptr<frmLogbook> w;

    explicit Logbook(bool withFolder = true) {
        if (withFolder) QDir().mkpath(folder);
    }
    // Puts a file into the folder whole, as the program does: written beside it, then renamed.
    void Store(const QString& name, const QByteArray& bytes) const {
        const QString hidden = QDir(folder).filePath(QLatin1Char('.') + name + QStringLiteral(".neu"));
        WriteAll(hidden, bytes);
        QFile::remove(QDir(folder).filePath(name));
        if (!QFile::rename(hidden, QDir(folder).filePath(name))) qFatal("cannot store %s", qPrintable(name));
    }
    // Opens the window and waits until it has read the folder.
    frmLogbook& Open() {
        w = std::make_unique<frmLogbook>(
            LogbookServices{p.programFolder.path(), &p.boxes, &p.settings, &p.files, &chooser, QStringLiteral("1.0.7")});
        w->show();
        QSignalSpy loaded(w.get(), &frmLogbook::LoadFinished);
        EXPECT_TRUE(loaded.wait(10000)) << "the folder was not read";
        return *w;
    }
    // Runs `change` and waits until the window has read the folder again after it.
    bool AfterChange(const std::function<void()>& change) const {
        QSignalSpy loaded(w.get(), &frmLogbook::LoadFinished);
        change();
        return loaded.wait(10000);
    }
    // Triggers an export and waits for its message.
    bool Export(QAction* action) const {
        QSignalSpy done(w.get(), &frmLogbook::ExportFinished);
        action->trigger();
        return done.count() > 0 || done.wait(20000);
    }
    // The file names in the table, top to bottom.
    std::string Rows() const {
        QStringList names;
        for (int row = 0; row < w->Shown().rowCount(); ++row) names << w->Shown().EntryAt(row).fileName;
        return Listed(names);
    }
    std::string UnreadableRows() const {
        QStringList rows;
        const UnreadableModel& list = w->Unreadable();
        for (int row = 0; row < list.rowCount(); ++row) {
            rows << list.index(row, 0).data().toString() + QStringLiteral(": ") + list.index(row, 1).data().toString();
        }
        return Listed(rows);
    }
};

// Runs `action`, which opens the viewer modally; returns the caption the viewer showed
// under its plot ("" when none opened) and closes it.
QString ViewerShownBy(const std::function<void()>& action) {
    QString seen;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* v = dynamic_cast<frmShowDive*>(QApplication::activeModalWidget());
        if (v != nullptr && v->Activations() > 0 && v->isVisible()) {
            seen = v->lblInfo->Caption();
            v->cmdClose->click();
        } else if (++ticks > 10000 && QApplication::activeModalWidget() != nullptr) {
            QApplication::activeModalWidget()->close();  // never leave a test hanging
        }
    });
    timer.start(0);
    action();
    return seen;
}

}  // namespace

TEST(LogbookWindow, ListsTheDivesNewestFirstAndEveryOtherEntryWithItsReason) {
    Logbook t;
    for (const QString& name : {kA, kB, kC, kD}) t.Store(name, Golden(name));
    t.Store(QStringLiteral("leer.txt"), {});
    t.Store(QStringLiteral("notiz.txt"), "Baggersee, 12 m Sicht\r\n");
    t.Store(QStringLiteral("rauschen.txt"), QByteArray("\x00\xFF\x13\x37\r\n", 6));
    QDir(t.folder).mkdir(QStringLiteral("x.txt"));
    QDir(t.folder).mkdir(QStringLiteral("Fotos"));  // a folder of another name is none of the logbook's

    frmLogbook& w = t.Open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Logbuch"));
    EXPECT_EQ(t.Rows(), Listed({kD, kC, kB, kA}));
    EXPECT_EQ(w.lblStatus->Caption(), QStringLiteral("4 Tauchgänge"));
    EXPECT_TRUE(w.fraUnreadable->isVisible());
    EXPECT_EQ(w.fraUnreadable->title(), QStringLiteral("Nicht lesbare Dateien (4)"));
    EXPECT_EQ(t.UnreadableRows(), Listed({"leer.txt: leere Datei", "notiz.txt: keine Profildatei (die Kopfzeile fehlt)",
                                          "rauschen.txt: keine Profildatei (die Kopfzeile fehlt)",
                                          "x.txt: ein Ordner, keine Datei"}));
    const QHeaderView* header = w.tblDives->horizontalHeader();
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(w.tblDives->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Datum"));
    // The columns were fitted to the first rows: the date stands whole.
    const QFontMetrics fm(w.tblDives->font());
    EXPECT_GE(w.tblDives->columnWidth(0), fm.horizontalAdvance(QStringLiteral("31.12.1999")));

    // Clicking a header sorts by that column; the filter keeps the order.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(3) + header->sectionSize(3) / 2, header->height() / 2));
    EXPECT_EQ(t.Rows(), Listed({kA, kD, kB, kC}));
    QTest::keyClicks(w.txtFilter, QStringLiteral("2024"));
    EXPECT_EQ(t.Rows(), Listed({kD, kB, kC}));
    EXPECT_EQ(w.lblStatus->Caption(), QStringLiteral("3 von 4 Tauchgängen"));
}

TEST(LogbookWindow, KeepsUpWithTheFolderWhileOpen) {
    Logbook t;
    t.Store(kA, Golden(kA));
    frmLogbook& w = t.Open();
    ASSERT_EQ(t.Rows(), Listed({kA}));
    EXPECT_FALSE(w.fraUnreadable->isVisible());
    EXPECT_EQ(w.lblStatus->Caption(), QStringLiteral("1 Tauchgang"));

    // A download stores two dives.
    ASSERT_TRUE(t.AfterChange([&] {
        t.Store(kD, Golden(kD));
        t.Store(kB, Golden(kB));
    }));
    EXPECT_EQ(t.Rows(), Listed({kD, kB, kA}));
    EXPECT_EQ(w.lblStatus->Caption(), QStringLiteral("3 Tauchgänge"));

    // A dive is overwritten by another, one is spoilt, one is deleted.
    ASSERT_TRUE(t.AfterChange([&] {
        t.Store(kB, Golden(kC));
        t.Store(kD, "Time [s]\tDepth [m]\r\n20\t\t-3\r\n");
        QFile::remove(QDir(t.folder).filePath(kA));
    }));
    EXPECT_EQ(t.Rows(), Listed({kB}));
    EXPECT_EQ(w.Shown().index(0, 0).data().toString(), QStringLiteral("16.08.2024"));
    EXPECT_EQ(t.UnreadableRows(), Listed({kD + ": unvollständig: die Endzeile „# END OF PROFILE #“ fehlt"}));
    EXPECT_TRUE(w.fraUnreadable->isVisible());

    // Mended, it is a dive again.
    ASSERT_TRUE(t.AfterChange([&] { t.Store(kD, Golden(kD)); }));
    EXPECT_EQ(t.Rows(), Listed({kD, kB}));
    EXPECT_EQ(t.UnreadableRows(), "");
    EXPECT_FALSE(w.fraUnreadable->isVisible());
}

TEST(LogbookWindow, AFolderThatDoesNotExistYetIsWaitedFor) {
    Logbook t(false);
    frmLogbook& w = t.Open();
    EXPECT_EQ(w.Dives().rowCount(), 0);
    EXPECT_EQ(w.lblStatus->Caption(), QStringLiteral("0 Tauchgänge"));
    EXPECT_FALSE(w.mnuAllCsv->isEnabled());

    ASSERT_TRUE(t.AfterChange([&] { QDir().mkpath(t.folder); }));
    if (w.Dives().rowCount() == 0) {
        // The folder came first, then the dive: one more reading.
        ASSERT_TRUE(t.AfterChange([&] { t.Store(kC, Golden(kC)); }));
    }
    EXPECT_EQ(t.Rows(), Listed({kC}));
    EXPECT_TRUE(w.mnuAllCsv->isEnabled());
}

TEST(LogbookWindow, EnterADoubleClickOrTheButtonOpenTheDiveInTheViewer) {
    Logbook t;
    for (const QString& name : {kA, kD}) t.Store(name, Golden(name));
    frmLogbook& w = t.Open();
    ASSERT_EQ(t.Rows(), Listed({kD, kA}));
    EXPECT_FALSE(w.cmdShow->isEnabled()) << "nothing chosen yet";

    w.tblDives->setFocus();
    w.tblDives->setCurrentIndex(w.Shown().index(1, 0));
    EXPECT_TRUE(w.cmdShow->isEnabled());
    EXPECT_EQ(ViewerShownBy([&] { QTest::keyClick(w.tblDives, Qt::Key_Return); }),
              QStringLiteral("Max.Tauchtiefe: 10m. Tauchzeit: 20min."));
    EXPECT_EQ(ViewerShownBy([&] { QTest::keyClick(w.tblDives, Qt::Key_Enter); }),
              QStringLiteral("Max.Tauchtiefe: 10m. Tauchzeit: 20min."));
    EXPECT_EQ(ViewerShownBy([&] { w.cmdShow->click(); }), QStringLiteral("Max.Tauchtiefe: 10m. Tauchzeit: 20min."));

    const QPoint first = w.tblDives->visualRect(w.Shown().index(0, 2)).center();
    EXPECT_EQ(ViewerShownBy([&] {
                  QTest::mouseClick(w.tblDives->viewport(), Qt::LeftButton, Qt::NoModifier, first);
                  QTest::mouseDClick(w.tblDives->viewport(), Qt::LeftButton, Qt::NoModifier, first);
              }),
              QStringLiteral("Max.Tauchtiefe: 17m. Tauchzeit: 6min."));
    EXPECT_TRUE(t.p.boxes.shown.empty());
    EXPECT_TRUE(w.isVisible()) << "Return must not close the logbook";
}

TEST(LogbookWindow, ExportsAllOrTheSelectionRemembersTheFolderAndSaysWhatWentWrong) {
    Logbook t;
    for (const QString& name : {kA, kB, kC, kD}) t.Store(name, Golden(name));
    frmLogbook& w = t.Open();
    const QString home = QDir::homePath();
    QTemporaryDir out;

    // Nothing selected: only "all" can be chosen.
    EXPECT_FALSE(w.mnuSelectionUddf->isEnabled());
    EXPECT_FALSE(w.mnuSelectionCsv->isEnabled());
    const QString all = QDir(out.path()).filePath(QStringLiteral("alle.uddf"));
    t.chooser.answer = all;
    ASSERT_TRUE(t.Export(w.mnuAllUddf));
    ASSERT_EQ(t.chooser.offered.size(), 1);
    EXPECT_EQ(t.chooser.offered[0],
              QStringLiteral("Logbuch als UDDF exportieren|%1/Logbuch.uddf|UDDF-Dateien (*.uddf)").arg(home));
    ASSERT_EQ(t.p.boxes.shown.size(), 1u);
    EXPECT_EQ(t.p.boxes.shown[0].text, QStringLiteral("4 Tauchgänge exportiert nach %1.").arg(all));
    EXPECT_EQ(t.p.boxes.shown[0].style, style::Information | style::OkOnly);
    const QByteArray uddf = ReadAll(all);
    EXPECT_TRUE(uddf.contains("<uddf")) << uddf.left(200).constData();
    EXPECT_EQ(t.p.settings.Load(QStringLiteral("Logbuch"), QStringLiteral("ExportFolder")), out.path());

    // Two rows chosen as CSV: the dialog starts in the folder of the last export.
    w.tblDives->selectionModel()->select(w.Shown().index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    w.tblDives->selectionModel()->select(w.Shown().index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_TRUE(w.mnuSelectionCsv->isEnabled());
    const QString two = QDir(out.path()).filePath(QStringLiteral("zwei.csv"));
    t.chooser.answer = two;
    ASSERT_TRUE(t.Export(w.mnuSelectionCsv));
    EXPECT_EQ(t.chooser.offered[1],
              QStringLiteral("Logbuch als CSV exportieren|%1/Logbuch.csv|CSV-Dateien (*.csv)").arg(out.path()));
    ASSERT_EQ(t.p.boxes.shown.size(), 2u);
    EXPECT_EQ(t.p.boxes.shown[1].text, QStringLiteral("2 Tauchgänge exportiert nach %1.").arg(two));
    const QByteArray csv = ReadAll(two);
    // The newest and the oldest dive, oldest first; the others not.
    const qsizetype oldest = csv.indexOf(kA.toUtf8()), newest = csv.indexOf(kD.toUtf8());
    EXPECT_TRUE(oldest > 0 && newest > oldest) << csv.constData();
    EXPECT_FALSE(csv.contains(kB.toUtf8()) || csv.contains(kC.toUtf8())) << csv.constData();

    // Cancelled: nothing is written and nothing said.
    t.chooser.answer.clear();
    w.mnuAllCsv->trigger();
    EXPECT_FALSE(w.Exporting());
    EXPECT_EQ(t.p.boxes.shown.size(), 2u);

    // The target cannot be replaced.
    t.chooser.answer = two;
    t.p.files.renameFails = true;
    ASSERT_TRUE(t.Export(w.mnuAllCsv));
    ASSERT_EQ(t.p.boxes.shown.size(), 3u);
    EXPECT_EQ(t.p.boxes.shown[2].text,
              QStringLiteral("Fehler: Pfad-/Dateizugriffsfehler: %1 kann nicht ersetzt werden").arg(two));
    EXPECT_EQ(t.p.boxes.shown[2].style, style::Critical | style::OkOnly);
    EXPECT_EQ(ReadAll(two), csv);
    t.p.files.renameFails = false;

    // The chosen dive has gone before the table noticed: nothing is left to write.
    const QString none = QDir(out.path()).filePath(QStringLiteral("keiner.csv"));
    t.chooser.answer = none;
    w.tblDives->selectRow(1);
    ASSERT_TRUE(QFile::remove(QDir(t.folder).filePath(kC)));
    ASSERT_TRUE(t.Export(w.mnuSelectionCsv));
    ASSERT_EQ(t.p.boxes.shown.size(), 4u);
    EXPECT_EQ(t.p.boxes.shown[3].text,
              QStringLiteral("Kein Tauchgang konnte exportiert werden; es wurde nichts geschrieben.\n\n"
                             "Nicht exportiert:\n%1: die Datei gibt es nicht (mehr)").arg(kC));
    EXPECT_EQ(t.p.boxes.shown[3].style, style::Critical | style::OkOnly);
    EXPECT_FALSE(QFile::exists(none));
}

TEST(LogbookWindow, ClosesCleanlyWhileStillReading) {
    Logbook t;
    // Thousands of names for one file: far quicker to make than as many files.
    t.Store(QStringLiteral("00000.txt"), Golden(kD));
    const QByteArray first = QFile::encodeName(QDir(t.folder).filePath(QStringLiteral("00000.txt")));
    for (int i = 1; i < 5000; ++i) {
        const QString name = QStringLiteral("%1.txt").arg(i, 5, 10, QLatin1Char('0'));
        ASSERT_EQ(::link(first.constData(), QFile::encodeName(QDir(t.folder).filePath(name)).constData()), 0);
    }
    auto w = std::make_unique<frmLogbook>(
        LogbookServices{t.p.programFolder.path(), &t.p.boxes, &t.p.settings, &t.p.files, &t.chooser, {}});
    QSignalSpy firstRows(&w->Dives(), &QAbstractItemModel::rowsInserted);
    w->show();
    ASSERT_TRUE(firstRows.wait(10000)) << "no rows arrived";
    ASSERT_TRUE(w->Loading()) << "all 5000 files were read before the first batch was shown";
    EXPECT_EQ(w->lblStatus->Caption(),
              QStringLiteral("%1 Tauchgänge, Ordner wird gelesen …").arg(w->Dives().rowCount()));
    w->close();
    w.reset();  // stops the reading thread; results still on their way are dropped
    QCoreApplication::processEvents();
    EXPECT_TRUE(t.p.boxes.shown.empty());
}

TEST(LogbookWindow, TheMainWindowsButtonOpensOneLogbook) {
    vyper::testing::MainWindow t;
    t.Store(kA, Golden(kA));
    frmVyper& w = t.w;
    w.show();
    EXPECT_EQ(w.cmdLogbook->text(), QStringLiteral("&Logbuch…"));
    // Right of "TG ansehen", inside the window, over no other control.
    EXPECT_EQ(w.cmdLogbook->geometry().left(), TwipsToPixels(5760, w.logicalDpiY()));
    EXPECT_TRUE(w.rect().contains(w.cmdLogbook->geometry()));
    QSet<QChar> mnemonics;
    for (QAbstractButton* control : w.findChildren<QAbstractButton*>()) {
        if (control != w.cmdLogbook) {
            EXPECT_FALSE(control->geometry().intersects(w.cmdLogbook->geometry())) << qPrintable(control->text());
        }
        const qsizetype mark = control->text().indexOf(QLatin1Char('&'));
        if (mark < 0) continue;
        const QChar key = control->text().at(mark + 1).toLower();
        EXPECT_FALSE(mnemonics.contains(key)) << "Alt+" << qPrintable(QString(key)) << " twice";
        mnemonics.insert(key);
    }

    EXPECT_EQ(w.Logbook(), nullptr);
    w.cmdLogbook->click();
    QPointer<frmLogbook> logbook = w.Logbook();
    ASSERT_NE(logbook, nullptr);
    EXPECT_TRUE(logbook->isVisible());
    QSignalSpy loaded(logbook.data(), &frmLogbook::LoadFinished);
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_EQ(logbook->Dives().rowCount(), 1);

    w.cmdLogbook->click();
    EXPECT_EQ(w.Logbook(), logbook.data()) << "a second click opens no second logbook";
    EXPECT_EQ(w.findChildren<frmLogbook*>().size(), 1);

    // Closed, it goes; the next click opens a new one.
    logbook->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(logbook.isNull());
    w.cmdLogbook->click();
    EXPECT_NE(w.Logbook(), nullptr);
}

// "Ordner öffnen" hands the profile folder to the desktop's file manager; when nothing can
// open it, a box says so.
TEST(LogbookWindow, OpenFolderShowsTheProfileFolderInTheFileManager) {
    for (bool opens : {true, false}) {
        Logbook t;
        QList<QUrl> asked;
        LogbookServices services{t.p.programFolder.path(), &t.p.boxes, &t.p.settings, &t.p.files, &t.chooser, {}};
        services.openUrl = [&](const QUrl& url) {
            asked << url;
            return opens;
        };
        frmLogbook w(services);
        EXPECT_EQ(w.cmdOpenFolder->text(), QStringLiteral("&Ordner öffnen"));
        w.cmdOpenFolder->click();
        ASSERT_EQ(asked.size(), 1);
        EXPECT_EQ(asked[0].scheme(), QStringLiteral("file"));
        EXPECT_EQ(asked[0].toLocalFile(), t.folder);
        if (opens) {
            EXPECT_TRUE(t.p.boxes.shown.empty());
        } else {
            ASSERT_EQ(t.p.boxes.shown.size(), 1u);
            EXPECT_EQ(t.p.boxes.shown[0].text,
                      QStringLiteral("Der Ordner %1 konnte nicht im Dateimanager geöffnet werden.").arg(t.folder));
        }
    }
}

// F1 in the logbook opens the main window's help.
TEST(LogbookWindow, F1OpensTheHelp) {
    vyper::testing::MainWindow t;
    t.w.show();
    t.w.cmdLogbook->click();
    frmLogbook* logbook = t.w.Logbook();
    ASSERT_NE(logbook, nullptr);
    logbook->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(logbook));
    EXPECT_EQ(t.w.Help(), nullptr);
    QTest::keyClick(logbook, Qt::Key_F1);
    ASSERT_NE(t.w.Help(), nullptr);
    EXPECT_TRUE(t.w.Help()->isVisible());
}
