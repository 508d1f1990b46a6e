// The source folders are layers that only look down, and the core's headers need no window.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <map>
#include <set>

namespace {

// Bottom to top. A file may include files of its own layer and of the layers below it.
const QStringList kLayers = {"platform/",   "text/",      "link/",       "profiles/", "transfer/",
                             "logbook/",    "cli/",       "ui/toolkit/", "ui/viewer/", "ui/logbook/", "ui/main/"};
// Everything below the window toolkit is the core (and the command line on it), whose headers
// must reach no widget header.
const int kFirstWindowLayer = 7;

int LayerOf(const QString& path) {
    for (int i = static_cast<int>(kLayers.size()) - 1; i >= 0; --i) {
        if (path.startsWith(kLayers[i])) return i;
    }
    return -1;
}

// Every source file below src/ (relative path) with the project files ("...") and the
// library headers (<...>) it includes.
struct Includes {
    QStringList project, system;
};
std::map<QString, Includes> ReadSources() {
    const QDir src(QStringLiteral(VYPER_SOURCE_DIR "/src"));
    static const QRegularExpression directive(QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"),
                                              QRegularExpression::MultilineOption);
    std::map<QString, Includes> files;
    QDirIterator it(src.path(), {"*.h", "*.cpp"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        Includes& includes = files[src.relativeFilePath(file.fileName())];
        if (!file.open(QIODevice::ReadOnly)) continue;
        for (const QRegularExpressionMatch& m : directive.globalMatch(QString::fromUtf8(file.readAll()))) {
            (m.captured(1) == QStringLiteral("\"") ? includes.project : includes.system) << m.captured(2);
        }
    }
    return files;
}

bool IsWidgetHeader(const QString& header) {
    static const QStringList names = QDir(QStringLiteral(VYPER_QT_WIDGETS_INCLUDE_DIR)).entryList(QDir::Files);
    return names.contains(header) || (header.startsWith("QtWidgets/") && names.contains(header.mid(10)));
}

TEST(Layering, NoFileIncludesALayerAboveOrBesideItsOwn) {
    const std::map<QString, Includes> files = ReadSources();
    ASSERT_GT(files.size(), 50u) << "sources not found";
    for (const auto& [path, includes] : files) {
        if (LayerOf(path) < 0) continue;  // main.cpp puts everything together
        for (const QString& included : includes.project) {
            EXPECT_LE(LayerOf(included), LayerOf(path)) << path.toStdString() << " includes " << included.toStdString();
        }
    }
}

TEST(Layering, TheCoreHeadersNeedNoWidgets) {
    const std::map<QString, Includes> files = ReadSources();
    ASSERT_FALSE(IsWidgetHeader(QStringLiteral("QString")));
    ASSERT_TRUE(IsWidgetHeader(QStringLiteral("QListWidget")) && IsWidgetHeader(QStringLiteral("QtWidgets/QWidget")))
        << "widget headers not found";
    // Follows every project header that a core header includes, however deep.
    for (const auto& [path, includes] : files) {
        const int layer = LayerOf(path);
        if (!path.endsWith(QStringLiteral(".h")) || layer >= kFirstWindowLayer) continue;
        std::set<QString> seen;
        QStringList pending{path};
        while (!pending.isEmpty()) {
            const QString header = pending.takeLast();
            const auto found = files.find(header);
            if (!seen.insert(header).second || found == files.end()) continue;  // seen, or generated
            for (const QString& qt : found->second.system) {
                EXPECT_FALSE(IsWidgetHeader(qt)) << path.toStdString() << " reaches " << qt.toStdString()
                                                  << " through " << header.toStdString();
            }
            pending << found->second.project;
        }
    }
}

}  // namespace
