#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/AppInfo.h"

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
