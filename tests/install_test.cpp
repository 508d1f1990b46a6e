#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/AppIcon.h"

using namespace vyper;

namespace {

const QList<int> kIconSizes = {16, 32, 48, 64, 128, 256};

// Compared as standard types, which googletest prints readably.
std::pair<int, int> Dimensions(const QImage& image) { return {image.width(), image.height()}; }

std::vector<std::string> Std(const QStringList& texts) {
    std::vector<std::string> result;
    for (const QString& text : texts) result.push_back(text.toStdString());
    return result;
}

struct ProcessResult {
    int exitCode = -1;
    QString output;
};

ProcessResult RunProcess(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return {-1, QStringLiteral("did not finish: ") + process.errorString()};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromUtf8(process.readAll())};
}

// Installs this build with `cmake --install`, into `destdir` + `prefix` when `destdir` is set.
ProcessResult InstallBuild(const QString& prefix, const QString& destdir) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DESTDIR"));
    if (!destdir.isEmpty()) environment.insert(QStringLiteral("DESTDIR"), destdir);
    return RunProcess(QStringLiteral(VYPER_CMAKE_COMMAND),
               {QStringLiteral("--install"), QStringLiteral(VYPER_BINARY_DIR), QStringLiteral("--config"),
                QStringLiteral(VYPER_BUILD_CONFIG), QStringLiteral("--prefix"), prefix},
               environment);
}

// Every file below `root`, by its path relative to `root`, sorted.
QStringList FilesBelow(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
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
        if (escaped) ++i;
        text += escaped ? escapes.value(value[i], value[i]) : value[i];
    }
    QStringList arguments;
    QString current;
    bool inArgument = false, inQuotes = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('%') && text.mid(i, 2) == QStringLiteral("%%")) {
            current += text[++i];
        } else if (inQuotes && c == QLatin1Char('\\') && i + 1 < text.size()) {
            current += text[++i];
        } else if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
        } else if (c == QLatin1Char(' ') && !inQuotes) {
            if (inArgument) arguments << current;
            current.clear();
            inArgument = false;
            continue;
        } else {
            current += c;
        }
        inArgument = true;
    }
    if (inArgument) arguments << current;
    return arguments;
}

QStringList ExpectedFiles() {
    const QString id = DesktopId();
    QStringList files = {QStringLiteral("bin/vyper-grundelnetz"),
                         QStringLiteral("share/applications/%1.desktop").arg(id),
                         QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(id)};
    for (const int size : kIconSizes) files << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(id);
    files.sort();
    return files;
}

}  // namespace

// Each install goes through the whole road: files, the entry's Exec and Icon, and the validator.
// The odd prefix needs quoting and escaping in Exec; DESTDIR must not show in the entry.
TEST(Installation, PutsTheProgramItsDesktopEntryAndIconsUnderThePrefixAndNothingElse) {
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validator.isEmpty())
        << "desktop-file-validate is missing: scripts/install-deps.sh installs it (Debian: desktop-file-utils)";

    struct Case {
        const char* name;
        const char* prefix;  // below the temporary folder, or absolute under DESTDIR
        bool destdir;
    };
    const Case cases[] = {
        {"plain prefix", "prefix", false},
        {"prefix that needs quoting", "Ziel mit Leerzeichen, 100% & $HOME \"Tauchen\" `x` (a)", false},
        {"staged with DESTDIR", "/opt/vyper-grundelnetz", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir temporary;
        ASSERT_TRUE(temporary.isValid());
        const QString prefix = c.destdir ? QString::fromUtf8(c.prefix) : temporary.filePath(QString::fromUtf8(c.prefix));
        const QString destdir = c.destdir ? temporary.path() : QString();
        const QString root = destdir + prefix;  // where the files land

        const ProcessResult install = InstallBuild(prefix, destdir);
        ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();
        EXPECT_EQ(Std(FilesBelow(root)), Std(ExpectedFiles()));
        EXPECT_TRUE(QFileInfo(root + QStringLiteral("/bin/vyper-grundelnetz")).isExecutable());

        const QString entryPath = root + QStringLiteral("/share/applications/") + DesktopId() + QStringLiteral(".desktop");
        const QMap<QString, QString> entry = ReadDesktopEntry(entryPath);
        const QStringList exec = ExecArguments(entry.value(QStringLiteral("Exec")));
        EXPECT_EQ(Std(exec), Std({prefix + QStringLiteral("/bin/vyper-grundelnetz")}))
            << "Exec=" << entry.value(QStringLiteral("Exec")).toStdString();
        EXPECT_EQ(entry.value(QStringLiteral("Terminal")).toStdString(), "false");

        const QString icon = entry.value(QStringLiteral("Icon"));
        EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/share/icons/hicolor/scalable/apps/") + icon + QStringLiteral(".svg")))
            << "Icon=" << icon.toStdString();
        for (const int size : kIconSizes) {
            const QImage image(root + QStringLiteral("/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(icon));
            EXPECT_EQ(Dimensions(image), std::pair(size, size)) << "Icon=" << icon.toStdString() << " at " << size << " px";
        }

        const ProcessResult validation = RunProcess(validator, {entryPath}, QProcessEnvironment::systemEnvironment());
        EXPECT_EQ(validation.exitCode, 0);
        EXPECT_EQ(validation.output.toStdString(), "");  // no error, warning or hint
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
        EXPECT_EQ(Dimensions(image), std::pair(size, size));
        // The face's centre is drawn, not left transparent.
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size << " px";
    }
}
