#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/PortDevices.h"
#include "platform/AppInfo.h"
#include "platform/PosixSerialControl.h"
#include "platform/SettingsStore.h"

using namespace vyper;

TEST(ProfileHome, TheFolderBesideTheProgramIsKeptOnlyWhenItExistsAndIsWritable) {
    const QString exe = QStringLiteral("/opt/vyper/bin");
    const QString data = QStringLiteral("/home/anna/daten/Vyper-Grundelnetz");
    const QString homeData = QStringLiteral("/home/anna/.local/share/Vyper-Grundelnetz");
    const struct {
        const char* name;
        bool besideExists, besideWritable;
        const char* xdg;
        const char* home;
        QString expected;
    } cases[] = {
        {"portable copy or earlier version", true, true, "/home/anna/daten", "/home/anna", exe},
        {"folder beside exists but read-only", true, false, "/home/anna/daten", "/home/anna", data},
        {"nothing beside, XDG set", false, false, "/home/anna/daten", "/home/anna", data},
        {"nothing beside, XDG unset", false, false, "", "/home/anna", homeData},
        {"relative XDG is ignored", false, false, "daten", "/home/anna", homeData},
        {"no home at all", false, false, "", "", exe},
        // A build tree is a folder like any other: nothing is created beside the program.
        {"build tree without folder", false, false, "", "/home/anna", homeData},
    };
    for (const auto& c : cases) {
        ProfileHomeFacts facts;
        facts.executableFolder = exe;
        facts.folderBesideExists = c.besideExists;
        facts.folderBesideWritable = c.besideWritable;
        facts.xdgDataHome = QString::fromUtf8(c.xdg);
        facts.home = QString::fromUtf8(c.home);
        EXPECT_EQ(ChooseProgramFolder(facts), c.expected) << c.name;
    }
}

TEST(ProfileHome, AProgramInTheBuildTreeUsesThePerUserFolderAndCreatesNothingBesideItself) {
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Tauchprofile"));
    ASSERT_FALSE(QFileInfo::exists(beside)) << "a profile folder in the build tree";
    QTemporaryDir dataHome;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    const AppInfo info = SystemAppInfo();
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_EQ(info.programFolder, dataHome.filePath(QStringLiteral("Vyper-Grundelnetz")));
    EXPECT_TRUE(QFileInfo(info.programFolder).isDir());
    EXPECT_FALSE(QFileInfo::exists(beside));
}

TEST(IniSettings, TheFourSettingsSurviveARoundTripThroughARealFileInTheirSections) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vyper-Grundelnetz.conf"));
    {
        IniSettingsStore store(path);
        store.Save(QStringLiteral("CommPort"), QStringLiteral("Number"), QStringLiteral("3"));
        store.Save(QStringLiteral("CommPort"), QStringLiteral("InterfaceType"), QStringLiteral("Selbstbau (mit Echo)"));
        store.Save(QStringLiteral("CommPort"), QStringLiteral("Delay"), QStringLiteral("1,5"));
        store.Save(QStringLiteral("Settings"), QStringLiteral("LoadOnlyNewDvies"), QStringLiteral("1"));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    // Each key stands in its own section, not as "CommPort/Number" in a general one.
    const qsizetype commPort = text.indexOf(QStringLiteral("[CommPort]\n"));
    const qsizetype settings = text.indexOf(QStringLiteral("[Settings]\n"));
    ASSERT_GE(commPort, 0) << qPrintable(text);
    ASSERT_GT(settings, commPort) << qPrintable(text);
    for (const char* line : {"Number=3\n", "InterfaceType=Selbstbau (mit Echo)\n"}) {
        const qsizetype at = text.indexOf(QString::fromUtf8(line));
        EXPECT_TRUE(at > commPort && at < settings) << line << qPrintable(text);
    }
    EXPECT_GT(text.indexOf(QStringLiteral("LoadOnlyNewDvies=1\n")), settings) << qPrintable(text);
    EXPECT_FALSE(text.contains(QLatin1Char('/'))) << qPrintable(text);

    const IniSettingsStore reread(path);
    EXPECT_EQ(reread.Load(QStringLiteral("CommPort"), QStringLiteral("Number")), QStringLiteral("3"));
    EXPECT_EQ(reread.Load(QStringLiteral("CommPort"), QStringLiteral("Delay")), QStringLiteral("1,5"));
    EXPECT_EQ(reread.Load(QStringLiteral("CommPort"), QStringLiteral("InterfaceType")),
              QStringLiteral("Selbstbau (mit Echo)"));
    EXPECT_EQ(reread.Load(QStringLiteral("Settings"), QStringLiteral("LoadOnlyNewDvies")), QStringLiteral("1"));
    EXPECT_EQ(reread.Load(QStringLiteral("Settings"), QStringLiteral("Fehlt"), QStringLiteral("x")), QStringLiteral("x"));
}

TEST(PortMapping, EachComPortHasItsDefaultDeviceUnlessTheFileNamesOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vyper-Grundelnetz.conf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Ports]\nCOM2=/dev/ttyUSB0\nCOM3=  \n");
    file.close();
    const IniSettingsStore store(path);
    const char* expected[] = {"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyS2", "/dev/ttyS3"};
    for (int port = 1; port <= 4; ++port) {
        EXPECT_EQ(DevicePathForPort(store, port), QString::fromUtf8(expected[port - 1])) << port;
    }
    EXPECT_EQ(DefaultDevicePath(1), QStringLiteral("/dev/ttyS0"));
}
