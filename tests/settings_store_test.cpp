#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/AppInfo.h"
#include "platform/PortDevices.h"
#include "platform/SettingsStore.h"

using namespace vyper;

namespace {

QString FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

// Written through one store and read through another on the same file: a port's entry is
// stored and removed alone, the port then falls back to its built-in device, and removing
// twice is harmless. The file the user may edit by hand holds what was left.
TEST(SettingsStore, APortEntryIsStoredAndRemovedWithoutTouchingOtherKeys) {
    QTemporaryDir folder;
    IniSettingsStore writer(folder.filePath("Vyper-Grundelnetz.conf"));
    const IniSettingsStore reader(writer.FilePath());
    writer.Save("CommPort", "Number", "3");
    StoreDevicePath(writer, 1, "/dev/serial/by-id/usb-FTDI-if00-port0");
    StoreDevicePath(writer, 2, "/dev/ttyUSB1");
    EXPECT_EQ(DevicePathForPort(reader, 1), "/dev/serial/by-id/usb-FTDI-if00-port0");
    EXPECT_EQ(StoredDevicePath(reader, 2), "/dev/ttyUSB1");

    StoreDevicePath(writer, 1, "");
    StoreDevicePath(writer, 1, "");
    writer.Remove("Ports", "COM4");
    EXPECT_EQ(reader.Load("Ports", "COM1", "absent"), "absent");
    EXPECT_EQ(StoredDevicePath(reader, 1), "");
    EXPECT_EQ(DevicePathForPort(reader, 1), "/dev/ttyS0");
    EXPECT_EQ(DevicePathForPort(reader, 2), "/dev/ttyUSB1");
    EXPECT_EQ(reader.Load("CommPort", "Number"), "3");
    const QString text = FileText(writer.FilePath());
    EXPECT_TRUE(text.contains("[Ports]\nCOM2=/dev/ttyUSB1")) << qPrintable(text);
    EXPECT_FALSE(text.contains("COM1=")) << qPrintable(text);
}

// The four settings stand in their own sections of a real file, not as "CommPort/Number" in
// a general one, and read back as written; a port entry left blank by hand means the
// port's built-in device.
TEST(IniSettings, KeysStandInTheirSectionsAndSurviveARoundTrip) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vyper-Grundelnetz.conf"));
    const std::pair<const char*, const char*> keys[] = {{"CommPort/Number", "3"},
                                                        {"CommPort/InterfaceType", "Selbstbau (mit Echo)"},
                                                        {"CommPort/Delay", "1,5"},
                                                        {"Settings/LoadOnlyNewDvies", "1"}};
    const auto section = [](const char* key) { return QString::fromUtf8(key).section('/', 0, 0); };
    const auto name = [](const char* key) { return QString::fromUtf8(key).section('/', 1); };
    {
        IniSettingsStore store(path);
        for (const auto& [key, value] : keys) store.Save(section(key), name(key), QString::fromUtf8(value));
    }
    const QString text = FileText(path);
    const qsizetype commPort = text.indexOf(QStringLiteral("[CommPort]\n"));
    const qsizetype settings = text.indexOf(QStringLiteral("[Settings]\n"));
    ASSERT_GE(commPort, 0) << qPrintable(text);
    ASSERT_GT(settings, commPort) << qPrintable(text);
    for (const auto& [key, value] : keys) {
        const qsizetype at = text.indexOf(QLatin1Char('\n') + name(key) + QLatin1Char('='));
        EXPECT_TRUE(section(key) == QStringLiteral("CommPort") ? at > commPort && at < settings : at > settings) << key;
        // Written as typed, where the format allows (a comma has the value quoted).
        EXPECT_TRUE(QByteArray(value).contains(',') || text.contains(name(key) + '=' + value + '\n')) << qPrintable(text);
    }
    EXPECT_FALSE(text.contains(QLatin1Char('/'))) << qPrintable(text);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("[Ports]\nCOM2=/dev/ttyUSB0\nCOM3=  \n");
    file.close();
    const IniSettingsStore reread(path);
    for (const auto& [key, value] : keys) EXPECT_EQ(reread.Load(section(key), name(key)), QString::fromUtf8(value)) << key;
    EXPECT_EQ(reread.Load(QStringLiteral("Settings"), QStringLiteral("Fehlt"), QStringLiteral("x")), QStringLiteral("x"));
    const char* devices[] = {"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyS2", "/dev/ttyS3"};
    for (int port = 1; port <= 4; ++port) EXPECT_EQ(DevicePathForPort(reread, port), devices[port - 1]) << port;
}

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
