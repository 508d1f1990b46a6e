#include <gtest/gtest.h>
#include <tuple>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include "platform/SettingsStore.h"
#include "support/Fakes.h"
#include "ui/main/frmVyper.h"

using namespace vyper;
using vyper::testing::TestPlatform;

TEST(MainWindow, FirstRunShowsTheDesignDefaults) {
    TestPlatform p;
    frmVyper w(p.Services());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Suunto Vyper Quappe (Grundelnetz) - Version  1.0.7"));
    EXPECT_EQ(w.cmbCommPort->Text(), QStringLiteral("2"));
    EXPECT_EQ(w.lstInterfaceType->Text(), QStringLiteral("Original Suunto (ohne Echo)"));
    EXPECT_EQ(w.txtComDelay->Text(), QStringLiteral("350"));
    EXPECT_EQ(w.chkAbortWhenOldDive->Value(), 0);
    EXPECT_EQ(w.cmbNDives->Text(), QStringLiteral("Alle"));
    EXPECT_EQ(w.txtErrMax->Text(), QStringLiteral("3"));
    EXPECT_TRUE(w.optNever->Value() && !w.optAsk->Value() && !w.optAlways->Value());
    EXPECT_EQ(std::tuple(w.timChkRxDone->Interval(), w.timDownLoadCtrl->Interval()), std::tuple(10, 0));
    EXPECT_EQ(std::tuple(w.Module().DiveNumber, w.Module().CommPortNumber), std::tuple(1, 2));
    EXPECT_FALSE(p.serial.PortOpen());
    EXPECT_TRUE(p.boxes.shown.empty());
    const QString folder = QDir(p.programFolder.path()).filePath(QStringLiteral("Tauchprofile"));
    EXPECT_EQ(w.Module().ProfileFolder, QDir::toNativeSeparators(folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());

    const QStringList lines = w.lstVyperComm->Items();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("Suunto Vyper/Cobra Quappe (Grundelnetz) - Version 1.0.7"));
    EXPECT_FALSE(lines[1].trimmed().isEmpty());
    EXPECT_EQ(lines[2], QString(79, QLatin1Char('_')));
    ASSERT_EQ(w.cmbNDives->count(), 100);
    EXPECT_EQ(w.cmbNDives->itemText(0), QStringLiteral("Alle"));
    EXPECT_EQ(w.cmbNDives->itemText(1), QStringLiteral("1"));
    EXPECT_EQ(w.cmbNDives->itemText(99), QStringLiteral("99"));
}

TEST(MainWindow, StoredSettingsAreRestored) {
    const struct {
        const char* number;
        const char* interfaceType;
        const char* delay;
        const char* onlyNew;
        const char* port;
        const char* interfaceShown;
        const char* delayShown;
        int check;
    } cases[] = {
        {"3", "Selbstbau (mit Echo)", "0", "1", "3", "Selbstbau (mit Echo)", "0", 1},
        {"7", "", "", "0", "2", "Original Suunto (ohne Echo)", "350", 0},
        {"abc", "Nix", "5000", "2", "2", "Original Suunto (ohne Echo)", "5000", 2},
        {"0", "Original Suunto (ohne Echo)", "350", "0.6", "2", "Original Suunto (ohne Echo)", "350", 1},
    };
    for (const auto& c : cases) {
        TestPlatform p;
        p.settings.Save(QStringLiteral("CommPort"), QStringLiteral("Number"), QString::fromUtf8(c.number));
        p.settings.Save(QStringLiteral("CommPort"), QStringLiteral("InterfaceType"), QString::fromUtf8(c.interfaceType));
        p.settings.Save(QStringLiteral("CommPort"), QStringLiteral("Delay"), QString::fromUtf8(c.delay));
        p.settings.Save(QStringLiteral("Settings"), QStringLiteral("LoadOnlyNewDvies"), QString::fromUtf8(c.onlyNew));
        frmVyper w(p.Services());
        EXPECT_EQ(w.cmbCommPort->Text(), QString::fromUtf8(c.port)) << c.number;
        EXPECT_EQ(w.Module().CommPortNumber, QString::fromUtf8(c.port).toInt()) << c.number;
        EXPECT_EQ(w.lstInterfaceType->Text(), QString::fromUtf8(c.interfaceShown)) << c.interfaceType;
        EXPECT_EQ(w.txtComDelay->Text(), QString::fromUtf8(c.delayShown)) << c.delay;
        EXPECT_EQ(w.chkAbortWhenOldDive->Value(), c.check) << c.onlyNew;
        EXPECT_TRUE(p.boxes.shown.empty());
        EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("Version  1.0.7")));
    }
}

TEST(MainWindow, AnUnacceptableCheckBoxValueEndsTheStartUpWithAMessage) {
    for (const char* stored : {"7", "-1", "99999"}) {
        TestPlatform p;
        p.settings.Save(QStringLiteral("CommPort"), QStringLiteral("Delay"), QStringLiteral("100"));
        p.settings.Save(QStringLiteral("Settings"), QStringLiteral("LoadOnlyNewDvies"), QString::fromUtf8(stored));
        frmVyper w(p.Services());
        ASSERT_EQ(p.boxes.shown.size(), 1u) << stored;
        EXPECT_EQ(p.boxes.shown[0].style, 16);
        const QString expected = QString::fromUtf8(stored) == QStringLiteral("99999")
                                     ? QStringLiteral("Überlauf 6")
                                     : QStringLiteral("Ungültiger Eigenschaftswert 380");
        EXPECT_EQ(p.boxes.shown[0].text, expected);
        // The title keeps its designed text; what was set before the failure stays.
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Suunto Vyper Quappe (Grundelnetz) - Version "));
        EXPECT_EQ(w.txtComDelay->Text(), QStringLiteral("100"));
        EXPECT_EQ(w.lstVyperComm->ListCount(), 3);
    }
}

TEST(MainWindow, ClosingSavesTheFourSettingsBothWays) {
    for (bool byButton : {true, false}) {
        TestPlatform p;
        p.settings.Save(QStringLiteral("CommPort"), QStringLiteral("Number"), QStringLiteral("3"));
        p.settings.Save(QStringLiteral("Settings"), QStringLiteral("LoadOnlyNewDvies"), QStringLiteral("1"));
        {
            frmVyper w(p.Services());
            w.show();
            w.txtComDelay->SetText(QStringLiteral("120"));
            if (!byButton) w.cmbCommPort->SetText(QStringLiteral("9x"));  // stored as typed
            w.lstInterfaceType->SetListIndex(0);
            w.Module().DownloadState = 2;
            w.timDownLoadCtrl->SetInterval(100);
            if (byButton) {
                w.cmdClose->click();
                EXPECT_EQ(w.timDownLoadCtrl->Interval(), 0);
                EXPECT_EQ(w.Module().DownloadState, 0);
            } else {
                w.close();  // the close box
            }
            EXPECT_FALSE(w.isVisible());
        }
        EXPECT_EQ(p.settings.Load(QStringLiteral("CommPort"), QStringLiteral("Number")),
                  byButton ? QStringLiteral("3") : QStringLiteral("9x"));
        EXPECT_EQ(p.settings.Load(QStringLiteral("CommPort"), QStringLiteral("Delay")), QStringLiteral("120"));
        EXPECT_EQ(p.settings.Load(QStringLiteral("CommPort"), QStringLiteral("InterfaceType")),
                  QStringLiteral("Selbstbau (mit Echo)"));
        EXPECT_EQ(p.settings.Load(QStringLiteral("Settings"), QStringLiteral("LoadOnlyNewDvies")), QStringLiteral("1"));
    }
}

TEST(MainWindow, AnExistingProfileFolderIsAccepted) {
    TestPlatform p;
    ASSERT_TRUE(QDir(p.programFolder.path()).mkdir(QStringLiteral("Tauchprofile")));
    frmVyper w(p.Services());
    EXPECT_TRUE(p.boxes.shown.empty());
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("1.0.7")));
}

TEST(IniSettingsStore, KeepsSectionsAndKeysInOneIniFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vyper-Grundelnetz.conf"));
    {
        IniSettingsStore store(path);
        store.Save(QStringLiteral("CommPort"), QStringLiteral("Number"), QStringLiteral("3"));
        store.Save(QStringLiteral("Settings"), QStringLiteral("LoadOnlyNewDvies"), QStringLiteral("1"));
        store.Save(QStringLiteral("CommPort"), QStringLiteral("Delay"), QStringLiteral("3,5"));
    }
    IniSettingsStore reread(path);
    EXPECT_EQ(reread.Load(QStringLiteral("CommPort"), QStringLiteral("Number"), QString()), QStringLiteral("3"));
    EXPECT_EQ(reread.Load(QStringLiteral("CommPort"), QStringLiteral("Delay"), QString()), QStringLiteral("3,5"));
    EXPECT_EQ(reread.Load(QStringLiteral("CommPort"), QStringLiteral("Missing"), QStringLiteral("d")), QStringLiteral("d"));
    QSettings raw(path, QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Settings/LoadOnlyNewDvies")).toString(), QStringLiteral("1"));
    EXPECT_TRUE(IniSettingsStore().FilePath().endsWith(QStringLiteral("/Vyper-Grundelnetz.conf")));
}

TEST(IniSettingsStore, PortsSectionMapsPortNumbersToDevices) {
    MemorySettingsStore store;
    EXPECT_EQ(DevicePathForPort(store, 1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(DevicePathForPort(store, 4), QStringLiteral("/dev/ttyS3"));
    store.Save(QStringLiteral("Ports"), QStringLiteral("COM2"), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(DevicePathForPort(store, 2), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(DevicePathForPort(store, 3), QStringLiteral("/dev/ttyS2"));
}
