#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "ui/toolkit/AppIcon.h"

using namespace vyper;

namespace {

const QList<int> kIconSizes = {16, 32, 48, 64, 128, 256};

// Runs a program to its end: its exit code (-1 when it did not end normally) and its output.
std::pair<int, std::string> RunToEnd(const QString& program, const QStringList& arguments, const QString& destdir = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DESTDIR"));
    if (!destdir.isEmpty()) environment.insert(QStringLiteral("DESTDIR"), destdir);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    if (!ended) process.kill();
    return {ended ? process.exitCode() : -1, process.readAll().toStdString()};
}

// Installs this build with `cmake --install`, into `destdir` + `prefix` when `destdir` is set.
std::pair<int, std::string> InstallBuild(const QString& prefix, const QString& destdir) {
    return RunToEnd(QStringLiteral(VYPER_CMAKE_COMMAND),
               {"--install", VYPER_BINARY_DIR, "--config", VYPER_BUILD_CONFIG, "--prefix", prefix}, destdir);
}

// Every file below `root`, by its path relative to `root`, sorted, a line each.
std::string FilesBelow(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files.join('\n').toStdString();
}

// The keys of the [Desktop Entry] group, with the values as written.
QMap<QString, QString> ReadDesktopEntry(const QString& path) {
    QFile file(path);
    QMap<QString, QString> keys;
    bool inEntry = false;
    const QString text = file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll()) : QString();
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('['))) inEntry = line == QStringLiteral("[Desktop Entry]");
        else if (inEntry && !line.startsWith(QLatin1Char('#')) && line.indexOf(QLatin1Char('=')) > 0) {
            keys.insert(line.section(QLatin1Char('='), 0, 0).trimmed(), line.section(QLatin1Char('='), 1).trimmed());
        }
    }
    return keys;
}

// The arguments of an Exec value as a launcher reads them: first the string escapes
// (\\, \s, \t, \n, \r), then quoting with " and backslashes inside quotes; %% is a %.
QStringList ExecArguments(const QString& value) {
    const QMap<QChar, QChar> escapes = {{'s', ' '}, {'t', '\t'}, {'n', '\n'}, {'r', '\r'}};
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const bool escaped = value[i] == QLatin1Char('\\') && i + 1 < value.size();
        text += escaped ? escapes.value(value[i + 1], value[i + 1]) : value[i];
        i += escaped;
    }
    QStringList arguments;
    bool inArgument = false, inQuotes = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char(' ') && !inQuotes) {
            inArgument = false;
            continue;
        }
        if (!inArgument) arguments << QString();
        inArgument = true;
        const bool escaped = text.mid(i, 2) == QStringLiteral("%%") || (inQuotes && c == QLatin1Char('\\'));
        if (c == QLatin1Char('"')) inQuotes = !inQuotes;
        else arguments.last() += escaped && i + 1 < text.size() ? text[++i] : c;
    }
    return arguments;
}

std::string ExpectedFiles() {
    const QString id = DesktopId();
    QStringList files = {"bin/vyper-grundelnetz", "bin/vyper-grundelnetz-cli", "share/applications/" + id + ".desktop",
                         "share/icons/hicolor/scalable/apps/" + id + ".svg"};
    for (const int size : kIconSizes) files << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(id);
    files.sort();
    return files.join('\n').toStdString();
}

}  // namespace

// Each install goes through the whole road: files, the entry's Exec and Icon, and the validator.
// The odd prefix needs quoting and escaping in Exec; DESTDIR must not show in the entry.
TEST(Installation, PutsTheProgramItsDesktopEntryAndIconsUnderThePrefixAndNothingElse) {
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validator.isEmpty())
        << "desktop-file-validate is missing: scripts/install-deps.sh installs it (Debian: desktop-file-utils)";

    const struct {
        const char* name;
        const char* prefix;  // below the temporary folder, or absolute under DESTDIR
        bool destdir;
    } cases[] = {
        {"plain prefix", "prefix", false},
        {"prefix that needs quoting", "Ziel mit Leerzeichen, 100% & $HOME \"Tauchen\" `x` (a)", false},
        {"staged with DESTDIR", "/opt/vyper-grundelnetz", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir temporary;
        ASSERT_TRUE(temporary.isValid());
        const QString prefix = c.destdir ? QString::fromUtf8(c.prefix) : temporary.filePath(QString::fromUtf8(c.prefix));
        const QString destdir = c.destdir ? temporary.path() : QString();
        const QString root = destdir + prefix;  // where the files land

        const auto [installed, output] = InstallBuild(prefix, destdir);
        ASSERT_EQ(installed, 0) << output;
        EXPECT_EQ(FilesBelow(root), ExpectedFiles());
        EXPECT_TRUE(QFileInfo(root + "/bin/vyper-grundelnetz").isExecutable());
        EXPECT_TRUE(QFileInfo(root + "/bin/vyper-grundelnetz-cli").isExecutable());

        const QString entryPath = root + "/share/applications/" + DesktopId() + ".desktop";
        const QMap<QString, QString> entry = ReadDesktopEntry(entryPath);
        const QString exec = entry.value("Exec"), icon = entry.value("Icon");
        EXPECT_EQ(ExecArguments(exec), QStringList{prefix + "/bin/vyper-grundelnetz"}) << "Exec=" << exec.toStdString();
        EXPECT_EQ(entry.value("Terminal").toStdString(), "false");
        EXPECT_TRUE(QFileInfo::exists(root + "/share/icons/hicolor/scalable/apps/" + icon + ".svg")) << icon.toStdString();
        for (const int size : kIconSizes) {
            const QImage image(root + QStringLiteral("/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(icon));
            EXPECT_EQ(image.size(), QSize(size, size)) << "Icon=" << icon.toStdString() << " at " << size << " px";
        }
        EXPECT_EQ(RunToEnd(validator, {entryPath}), std::pair(0, std::string()));  // no error, warning or hint
    }
}

TEST(ApplicationIcon, OffersEveryInstalledSizeFromTheBuiltInImages) {
    const QIcon icon = ApplicationIcon();
    ASSERT_FALSE(icon.isNull());
    QList<int> sizes;
    for (const QSize& size : icon.availableSizes()) {
        EXPECT_EQ(size.width(), size.height());
        sizes << size.width();
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, kIconSizes);
    for (const int size : {16, 256}) {
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        EXPECT_EQ(image.size(), QSize(size, size));
        // The face's centre is drawn, not left transparent.
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size << " px";
    }
}
