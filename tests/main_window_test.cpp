#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include "link/EchoCheck.h"
#include "support/E2eSession.h"
#include "support/EmulatorProcess.h"
#include "support/Fakes.h"
#include "support/MainWindow.h"
#include "transfer/TransferEnd.h"
#include "ui/main/PortMappingDialog.h"
#include "ui/main/frmVyper.h"
#include "ui/toolkit/Controls.h"
#include "ui/toolkit/NoteLines.h"

using namespace vyper;
using vyper::testing::TestPlatform;

namespace {
// Counts how often the list measures one of its entries.
class CountingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        ++measured;
        return QStyledItemDelegate::sizeHint(option, index);
    }
    mutable long long measured = 0;
};

}  // namespace

TEST(MainWindow, FirstRunShowsTheDefaultsAndTheBanner) {
    TestPlatform p;
    frmVyper w(p.Services());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Suunto Vyper Quappe (Grundelnetz) - Version  1.0.7"));
    EXPECT_EQ(QStringList({w.cmbCommPort->Text(), w.lstInterfaceType->Text(), w.txtComDelay->Text()}),
              QStringList({"2", "Original Suunto (ohne Echo)", "350"}));
    EXPECT_TRUE(w.chkAbortWhenOldDive->Value() == 0 && w.optNever->Value() && !w.optAsk->Value() && !w.optAlways->Value());
    EXPECT_FALSE(p.serial.PortOpen());
    const QString folder = QDir(p.programFolder.path()).filePath(QStringLiteral("Tauchprofile"));
    EXPECT_EQ(w.Module().ProfileFolder, QDir::toNativeSeparators(folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());

    const QStringList lines = w.lstVyperComm->Items();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("Suunto Vyper/Cobra Quappe (Grundelnetz) - Version 1.0.7"));
    EXPECT_FALSE(lines[1].trimmed().isEmpty());
    EXPECT_EQ(lines[2], QString(79, QLatin1Char('_')));
}

TEST(MainWindow, StoredSettingsAreRestored) {
    const struct {
        const char *number, *interfaceType, *delay, *onlyNew, *port, *interfaceShown, *delayShown;
        int check;
    } cases[] = {
        {"3", "Selbstbau (mit Echo)", "0", "1", "3", "Selbstbau (mit Echo)", "0", 1},
        {"7", "", "", "0", "2", "Original Suunto (ohne Echo)", "350", 0},
        {"abc", "Nix", "5000", "2", "2", "Original Suunto (ohne Echo)", "5000", 2},
        {"0", "Original Suunto (ohne Echo)", "350", "0.6", "2", "Original Suunto (ohne Echo)", "350", 1},
    };
    for (const auto& c : cases) {
        TestPlatform p;
        p.settings.Save("CommPort", "Number", c.number);
        p.settings.Save("CommPort", "InterfaceType", c.interfaceType);
        p.settings.Save("CommPort", "Delay", c.delay);
        p.settings.Save("Settings", "LoadOnlyNewDvies", c.onlyNew);
        frmVyper w(p.Services());
        EXPECT_EQ(w.cmbCommPort->Text(), QString::fromUtf8(c.port)) << c.number;
        EXPECT_EQ(w.Module().CommPortNumber, QString::fromUtf8(c.port).toInt()) << c.number;
        EXPECT_EQ(w.lstInterfaceType->Text(), QString::fromUtf8(c.interfaceShown)) << c.interfaceType;
        EXPECT_EQ(w.txtComDelay->Text(), QString::fromUtf8(c.delayShown)) << c.delay;
        EXPECT_EQ(w.chkAbortWhenOldDive->Value(), c.check) << c.onlyNew;
        EXPECT_TRUE(p.boxes.shown.empty());
    }
}

TEST(MainWindow, AnUnacceptableCheckBoxValueEndsTheStartUpWithAMessage) {
    TestPlatform p;
    p.settings.Save("CommPort", "Delay", "100");
    p.settings.Save("Settings", "LoadOnlyNewDvies", "7");
    frmVyper w(p.Services());
    ASSERT_EQ(p.boxes.shown.size(), 1u);
    EXPECT_EQ(p.boxes.shown[0].text, QStringLiteral("Ungültiger Eigenschaftswert 380"));
    // The title keeps its designed text; what was set before the failure stays.
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Suunto Vyper Quappe (Grundelnetz) - Version "));
    EXPECT_EQ(w.txtComDelay->Text(), QStringLiteral("100"));
}

TEST(MainWindow, ClosingSavesTheFourSettingsBothWays) {
    for (bool byButton : {true, false}) {
        TestPlatform p;
        p.settings.Save("CommPort", "Number", "3");
        p.settings.Save("Settings", "LoadOnlyNewDvies", "1");
        {
            frmVyper w(p.Services());
            w.show();
            w.txtComDelay->SetText(QStringLiteral("120"));
            if (!byButton) w.cmbCommPort->SetText(QStringLiteral("9x"));  // stored as typed
            w.lstInterfaceType->SetListIndex(0);
            // Changed from the stored value, so that a save under another key is seen.
            w.chkAbortWhenOldDive->SetValue(0);
            if (byButton) w.cmdClose->click();
            else w.close();  // the close box
            EXPECT_FALSE(w.isVisible());
        }
        EXPECT_EQ(p.settings.Load("CommPort", "Number"), byButton ? QStringLiteral("3") : QStringLiteral("9x"));
        EXPECT_EQ(p.settings.Load("CommPort", "Delay"), QStringLiteral("120"));
        EXPECT_EQ(p.settings.Load("CommPort", "InterfaceType"), QStringLiteral("Selbstbau (mit Echo)"));
        EXPECT_EQ(p.settings.Load("Settings", "LoadOnlyNewDvies"), QStringLiteral("0"));
    }
}

// A running transfer locks the starts and the link's choices; Stop stays usable, ends the
// transfer, unlocks them and puts the focus on "Ende". "Ende" clicked in the pause after a
// command ends the transfer too: nothing more is sent or evaluated.
TEST(MainWindow, ATransferLocksTheStartsAndTheLinkChoicesUntilStopOrEnde) {
    for (bool ende : {false, true}) {
        TestPlatform p;
        frmVyper w(p.Services());
        w.show();
        const std::vector<QWidget*> locked = {w.cmdDownload,    w.cmdGetVyperSettings, w.cmbCommPort,
                                              w.cmdPortDevices, w.lstInterfaceType,    w.txtComDelay};
        p.waits.onSleep = [&](int ms) {
            if (ms != 5 * 350 || !w.Module().TransferActive) return;  // the pause of the default delay
            for (QWidget* control : locked) EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
            (ende ? w.cmdClose : w.cmdStop)->click();
        };
        w.cmdDownload->click();
        w.timDownLoadCtrl_Timer();
        EXPECT_EQ(p.serial.sent.size(), 3);
        EXPECT_EQ(p.waits.sleeps.back(), 5 * 350);
        EXPECT_EQ(std::tuple(w.Module().TransferActive, w.Module().ErrorCount, w.timDownLoadCtrl->Interval()),
                  std::tuple(false, 0, 0));
        EXPECT_TRUE(p.boxes.shown.empty());
        EXPECT_EQ(w.isVisible(), !ende);
        if (ende) continue;
        for (QWidget* control : locked) EXPECT_TRUE(control->isEnabled()) << control->metaObject()->className();
        EXPECT_EQ(w.focusWidget(), w.cmdClose);
    }
}

// The button offers the platform's devices; OK maps the port, Abbrechen keeps the mapping,
// and neither touches the four settings of the window nor the port chosen in it.
TEST(MainWindow, TheDeviceButtonMapsAPortAndLeavesTheOtherSettings) {
    for (bool ok : {true, false}) {
        TestPlatform p;
        p.devices = {{"/dev/serial/by-id/usb-FTDI-if00-port0", "/dev/ttyUSB0", "FT232R USB UART – /dev/ttyUSB0"}};
        p.settings.Save("CommPort", "Number", "3");
        frmVyper w(p.Services());
        QStringList offered;
        QTimer answer;  // answers the dialog once it runs; gone with the iteration if none opens
        answer.setSingleShot(true);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* dialog = dynamic_cast<PortMappingDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                ADD_FAILURE() << "the dialog did not open";
                if (QWidget* other = QApplication::activeModalWidget()) other->close();
                return;
            }
            DropDownList* list = dialog->PortList(3);
            for (int i = 0; i < list->ListCount(); ++i) offered << list->List(i);
            list->SetListIndex(1);
            (ok ? dialog->cmdOk : dialog->cmdCancel)->click();
        });
        answer.start(0);
        w.cmdPortDevices->click();

        EXPECT_EQ(offered, (QStringList{"Standard (/dev/ttyS2)", "FT232R USB UART – /dev/ttyUSB0"}));
        EXPECT_EQ(p.settings.Load("Ports", "COM3"), ok ? "/dev/serial/by-id/usb-FTDI-if00-port0" : "");
        EXPECT_EQ(w.cmbCommPort->Text(), "3");
        EXPECT_EQ(p.settings.Load("CommPort", "Number"), "3");
        for (const char* key : {"Delay", "InterfaceType"}) EXPECT_FALSE(p.settings.Contains("CommPort", key)) << key;
        EXPECT_FALSE(p.settings.Contains("Settings", "LoadOnlyNewDvies"));
        EXPECT_TRUE(p.boxes.shown.empty());
    }
}

// The message list is the program's journal: every line is appended and then selected.
// A download writes hundreds of lines; if each selection measured every line again, the
// cost would grow with the square of the journal and the window would freeze on long runs.
TEST(ListBoxJournal, SelectingEachNewLineDoesNotMeasureTheWholeList) {
    for (const int lines : {50, 400}) {
        ListBox list;
        list.resize(300, 200);
        CountingDelegate delegate;
        list.setItemDelegate(&delegate);
        for (int i = 0; i < lines; ++i) {
            list.AddItem(QStringLiteral("%1 Zeichen empfangen. CRC OK").arg(i));
            list.SetListIndex(list.ListCount() - 1);
        }
        EXPECT_EQ(list.ListIndex(), lines - 1);
        EXPECT_EQ(list.Text(), QStringLiteral("%1 Zeichen empfangen. CRC OK").arg(lines - 1));
        // A few measurements per line at most, not one per line already in the list.
        EXPECT_LE(delegate.measured, 4LL * lines) << lines << " lines";
    }
}

// Notes are split at blanks into lines of at most the given width; here a text's width is
// its number of characters.
TEST(SplitNote, BreaksAtBlanksKeepsQuotedNamesAndCutsOverlongWords) {
    const auto characters = [](const QString& text) { return double(text.size()); };
    const struct {
        const char* name;
        QString note;
        double width;
        QStringList lines;
    } cases[] = {
        {"fits", "Zwei Worte", 10, {"Zwei Worte"}},
        {"empty", "", 10, {""}},
        {"no width", "Zwei Worte", 0, {"Zwei Worte"}},
        {"at blanks", "eins zwei drei vier fünf", 10, {"eins zwei", "drei vier", "fünf"}},
        {"a quoted name stays whole", "bitte \"Selbstbau (mit Echo)\" wählen", 24,
         {"bitte", "\"Selbstbau (mit Echo)\"", "wählen"}},
        {"German quotes too", "Klick auf „TG ansehen“ jetzt", 16, {"Klick auf", "„TG ansehen“", "jetzt"}},
        {"a quote wider than a line breaks inside", "\"eins zwei drei\" vier", 9,
         {"\"eins", "zwei", "drei\"", "vier"}},
        {"an unclosed quote protects nothing", "ein \"Zitat ohne Ende", 10, {"ein \"Zitat", "ohne Ende"}},
        {"a path is cut after a slash", "Datei: /home/anna/state/transfer.log", 12,
         {"Datei:", "/home/anna/", "state/", "transfer.log"}},
        {"a word without a slash is cut where the line is full", "Wort: Donaudampfschifffahrt", 8,
         {"Wort:", "Donaudam", "pfschiff", "fahrt"}},
        {"indented", "  verloren: der 2. Tauchgang", 14, {"  verloren:", "der 2.", "Tauchgang"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitNote(c.note, c.width, characters), c.lines) << c.name;
    }
}

namespace {

// The entries of the message list after its three banner lines.
QStringList AfterBanner(const ListBox& list) { return list.Items().mid(3); }

// Whether each entry fits the room the list gives a note (its width less a vertical scroll
// bar), measured in the list's font; the entries that do not.
QStringList TooWide(const ListBox& list) {
    QStringList wide;
    for (const QString& line : AfterBanner(list)) {
        if (list.LineWidth(line) > list.NoteWidth()) wide << line;
    }
    return wide;
}

}  // namespace

// A note wider than the message list is split into entries that fit, the quoted names whole;
// the described texts stay single entries however wide they are.
TEST(MessageNotes, ANoteIsSplitToTheListsWidthAndADescribedLineIsNot) {
    const QString lost = QStringLiteral("Nicht alle Tauchgänge wurden abgespeichert: 12 Tauchgänge gespeichert, "
                                        "3 Tauchgänge verloren:");
    const QString again =
        QStringLiteral("Bitte noch einmal übertragen, mit ausgeschaltetem \"Nur neue Tauchgänge laden\".");
    const QString described = QStringLiteral("Antwort des Tauchcomputers unvollständig (Verbindung unterbrochen?): "
                                             "Tauchgang verworfen, bitte erneut übertragen.");
    vyper::testing::MainWindow t;
    t.w.show();
    ListBox& list = *t.w.lstVyperComm;
    // Shown notes select their last piece; a plain note selects nothing, as AddItem.
    list.AddNote(lost);
    EXPECT_EQ(list.ListIndex(), -1);
    const int lostPieces = list.ListCount() - 3;
    list.AddNoteShown(again);
    EXPECT_EQ(list.ListIndex(), list.ListCount() - 1);
    EXPECT_EQ(list.Text(), QStringLiteral("\"Nur neue Tauchgänge laden\"."));
    list.AddLineShown(described);

    const QStringList entries = AfterBanner(list);
    ASSERT_GE(lostPieces, 2);
    EXPECT_EQ(entries.mid(0, lostPieces).join(QLatin1Char(' ')), lost);
    EXPECT_EQ(entries.mid(lostPieces, entries.size() - lostPieces - 1).join(QLatin1Char(' ')), again);
    EXPECT_EQ(entries.last(), described);
    // The lines as the program wrote them, for the journal's readers.
    EXPECT_EQ(list.Lines().mid(3).join(QLatin1Char('\n')), QStringList({lost, again, described}).join(QLatin1Char('\n')));
    EXPECT_EQ(TooWide(list).join(QLatin1Char('|')), described);
}

// The hint about the wrong cable, from a download through the emulator's echoing cable while
// the original interface is chosen: every entry fits the list, the type to choose stands in
// one of them, and the list does not scroll sideways.
TEST(MessageNotes, TheWrongCableHintNamesTheTypeInOneEntry) {
    using namespace vyper::testing;
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(kSelfBuilt));
    Program program(emulator.DevicePath(), kOriginal, 20);
    program.window->show();
    program.Press(program.window->cmdDownload);
    QCoreApplication::processEvents();

    ListBox& list = *program.window->lstVyperComm;
    const QStringList entries = AfterBanner(list);
    const QString hint = WrongInterfaceLine(EchoVerdict::CableEchoes);
    const qsizetype first = entries.indexOf(QRegularExpression(QStringLiteral("Das Interface sendet jedes Byte.*")));
    ASSERT_GE(first, 0) << Text(entries);
    QStringList pieces;
    for (qsizetype i = first; pieces.join(QLatin1Char(' ')).size() < hint.size() && i < entries.size(); ++i) {
        pieces << entries[i];
    }
    EXPECT_EQ(pieces.join(QLatin1Char(' ')), hint);
    EXPECT_GE(pieces.size(), 2);
    EXPECT_EQ(pieces.filter(QStringLiteral("\"Selbstbau (mit Echo)\"")).size(), 1) << Text(pieces);
    EXPECT_EQ(Text(TooWide(list)), "");
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
}

// After start-up the banner is the only wide line; it keeps its text and the list does not
// scroll sideways for it. A wider line of the program's own makes it scroll again.
TEST(MessageNotes, TheBannerAloneDoesNotMakeTheListScrollSideways) {
    vyper::testing::MainWindow t;
    t.w.show();
    QCoreApplication::processEvents();
    ListBox& list = *t.w.lstVyperComm;
    EXPECT_EQ(list.Items(), (QStringList{QStringLiteral("Suunto Vyper/Cobra Quappe (Grundelnetz) - Version 1.0.7"),
                                         QStringLiteral("Liest Einstellungen und Tauchgänge aus Suunto Vyper und Cobra."),
                                         QString(79, QLatin1Char('_'))}));
    EXPECT_GT(list.LineWidth(QString(79, QLatin1Char('_'))), list.viewport()->width());
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
    list.AddLineShown(QString(90, QLatin1Char('x')));
    QCoreApplication::processEvents();
    EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
}

namespace {

// The window shown and active, so that keys reach it as they reach it on a desktop.
struct ActiveWindow : vyper::testing::MainWindow {
    ActiveWindow() {
        w.show();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    }
};

// The name of the control that has the focus (an editable box's own line edit counts as the box).
QString FocusName() {
    QWidget* focus = QApplication::focusWidget();
    while (focus != nullptr && focus->objectName().isEmpty()) focus = focus->parentWidget();
    return focus != nullptr ? focus->objectName() : QStringLiteral("(none)");
}

}  // namespace

// Tab visits the controls in reading order: the message list, the settings column from top
// to bottom (the frame of the overwrite options is one stop, its arrow keys move between
// them), the file list, its buttons,
// then the row of buttons at the bottom from left to right; and round again.
TEST(MainWindowKeyboard, TabFollowsTheReadingOrder) {
    ActiveWindow t;
    t.w.lstVyperComm->setFocus();
    QStringList visited{FocusName()};
    for (int i = 0; i < 17; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << FocusName();
    }
    EXPECT_EQ(visited.join(QLatin1Char(' ')).toStdString(),
              "lstVyperComm lstInterfaceType cmbCommPort cmdPortDevices txtComDelay optAlways chkAbortWhenOldDive "
              "cmbNDives txtErrMax lstFiles cmdShowDive cmdLogbook cmdGetVyperSettings cmdDownload cmdStop cmdHelp "
              "cmdClose lstVyperComm");
}

// Every access key of the window is its own, and "TG ansehen" has one.
TEST(MainWindowKeyboard, TheAccessKeysAreDistinct) {
    vyper::testing::MainWindow t;
    QStringList keys;
    for (const QWidget* widget : t.w.findChildren<QWidget*>()) {
        QString caption;
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) caption = button->text();
        if (const auto* label = qobject_cast<const QLabel*>(widget)) caption = label->text();
        if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) caption = frame->title();
        const QRegularExpressionMatch key = QRegularExpression(QStringLiteral("(?<!&)&([^&])")).match(caption);
        if (key.hasMatch()) keys << key.captured(1).toLower();
    }
    keys.sort();
    EXPECT_EQ(keys.join(QLatin1Char(' ')), QStringLiteral("e h l p t v ü"));
    EXPECT_EQ(t.w.cmdShowDive->text(), QStringLiteral("&TG ansehen"));
}

// Enter in the file list opens the current file, as a double-click does, through the viewer.
TEST(MainWindowKeyboard, EnterInTheFileListOpensTheDive) {
    ActiveWindow t;
    QStringList opened;
    t.w.openViewer = [&](const ViewerSource& source, QWidget* owner) {
        EXPECT_EQ(owner, &t.w);
        opened << source.selectedFile();
    };
    t.w.lstFiles->setFocus();
    QTest::keyClick(t.w.lstFiles, Qt::Key_Return);  // no file yet: nothing to open
    EXPECT_TRUE(opened.isEmpty());
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) t.w.lstFiles->AddItem(QString::fromLatin1(name));
    t.w.lstFiles->SetListIndex(0);
    QTest::keyClick(t.w.lstFiles, Qt::Key_Down);
    QTest::keyClick(t.w.lstFiles, Qt::Key_Return);
    QTest::keyClick(t.w.lstFiles, Qt::Key_Down);
    QTest::keyClick(t.w.lstFiles, Qt::Key_Enter);
    QListWidgetItem* first = t.w.lstFiles->item(0);
    // A double-click arrives as a click followed by a double-click event.
    const QPoint firstCentre = t.w.lstFiles->visualItemRect(first).center();
    QTest::mouseClick(t.w.lstFiles->viewport(), Qt::LeftButton, Qt::NoModifier, firstCentre);
    QTest::mouseDClick(t.w.lstFiles->viewport(), Qt::LeftButton, Qt::NoModifier, firstCentre);
    EXPECT_EQ(opened.join(QLatin1Char(' ')), QStringLiteral("b.txt c.txt a.txt"));
    t.w.cmdShowDive->click();
    EXPECT_EQ(opened.last(), QStringLiteral("a.txt"));
}

// The current entry of a list is framed while the list has the focus, whether it is
// selected or not.
TEST(MainWindowKeyboard, TheFocusedListShowsItsCurrentEntry) {
    for (bool selected : {true, false}) {
        ActiveWindow t;
        ListBox& list = *t.w.lstFiles;
        for (const char* name : {"a.txt", "b.txt"}) list.AddItem(QString::fromLatin1(name));
        list.setCurrentRow(1, selected ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Clear);
        ASSERT_EQ(list.Text(), selected ? QStringLiteral("b.txt") : QString());
        t.w.lstVyperComm->setFocus();
        const QImage away = list.viewport()->grab().toImage();
        list.setFocus();
        ASSERT_TRUE(list.hasFocus());
        const QImage focused = list.viewport()->grab().toImage();
        // The first entry looks the same; the current one is drawn differently.
        const QRect firstRect = list.visualItemRect(list.item(0)), current = list.visualItemRect(list.item(1));
        EXPECT_EQ(away.copy(firstRect), focused.copy(firstRect)) << selected;
        EXPECT_NE(away.copy(current), focused.copy(current)) << selected;
    }
}

// F1 and the button "Hilfe" open one help window with the pages "Hilfe" and "Über"; the
// second names the version and the licence.
TEST(Help, F1OpensTheHelpWithItsAboutPage) {
    ActiveWindow t;
    EXPECT_EQ(t.w.Help(), nullptr);
    QTest::keyClick(&t.w, Qt::Key_F1);
    HelpWindow* help = t.w.Help();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->tabPages->count(), 2);
    EXPECT_EQ(help->tabPages->tabText(0), QStringLiteral("&Hilfe"));
    EXPECT_EQ(help->tabPages->tabText(1), QStringLiteral("Ü&ber"));
    const QString about = help->txtAbout->toPlainText(), page = help->txtHelp->toPlainText();
    for (const auto& [text, part] : {std::pair{about, QStringLiteral("Version 1.0.7")},
                                     {about, QStringLiteral("Lizenz: noch nicht festgelegt")}, {page, t.m.ProfileFolder},
                                     {page, QStringLiteral("Übertragungsmodus")}, {page, QStringLiteral("UDDF")},
                                     {page, QStringLiteral("„…“ neben dem COM-Feld")}}) {
        EXPECT_TRUE(text.contains(part)) << part.toStdString();
    }
    t.w.cmdHelp->click();
    EXPECT_EQ(t.w.Help(), help);
}
