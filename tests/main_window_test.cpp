#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyledItemDelegate>
#include <QTimer>

#include "ui/toolkit/Controls.h"
#include "support/Fakes.h"
#include "ui/main/PortMappingDialog.h"
#include "ui/main/frmVyper.h"

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
