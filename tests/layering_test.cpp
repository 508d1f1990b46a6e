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
const std::vector<QString> kLayers = {QStringLiteral("platform"), QStringLiteral("text"),
                                      QStringLiteral("link"),     QStringLiteral("profiles"),
                                      QStringLiteral("transfer"), QStringLiteral("ui/viewer"),
                                      QStringLiteral("ui/main")};

int LayerOf(const QString& path) {
    for (int i = static_cast<int>(kLayers.size()) - 1; i >= 0; --i) {
        if (path.startsWith(kLayers[static_cast<std::size_t>(i)] + QLatin1Char('/'))) return i;
    }
    return -1;
}

// Every source file below src/ (relative path) with the project files and the Qt headers
// it includes.
struct Includes {
    std::vector<QString> project;
    std::vector<QString> system;
};
std::map<QString, Includes> ReadSources() {
    const QDir src(QStringLiteral(VYPER_SOURCE_DIR "/src"));
    static const QRegularExpression directive(QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"));
    std::map<QString, Includes> files;
    QDirIterator it(src.path(), {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        Includes& includes = files[src.relativeFilePath(path)];
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch m = directive.match(line);
            if (!m.hasMatch()) continue;
            (m.captured(1) == QStringLiteral("\"") ? includes.project : includes.system).push_back(m.captured(2));
        }
    }
    return files;
}

bool IsWidgetHeader(const QString& header) {
    static const std::set<QString> widgets = [] {
        std::set<QString> names;
        for (const QString& name : QDir(QStringLiteral(VYPER_QT_WIDGETS_INCLUDE_DIR)).entryList(QDir::Files)) {
            names.insert(name);
            names.insert(QStringLiteral("QtWidgets/") + name);
        }
        return names;
    }();
    return widgets.count(header) != 0;
}

TEST(Layering, NoFileIncludesALayerAboveOrBesideItsOwn) {
    const std::map<QString, Includes> files = ReadSources();
    ASSERT_GT(files.size(), 50u) << "sources not found";
    for (const auto& [path, includes] : files) {
        const int own = LayerOf(path);
        if (own < 0) continue;  // main.cpp puts everything together
        for (const QString& included : includes.project) {
            const int other = LayerOf(included);
            EXPECT_LE(other, own) << path.toStdString() << " includes " << included.toStdString();
        }
    }
}

TEST(Layering, TheCoreHeadersNeedNoWidgets) {
    const std::map<QString, Includes> files = ReadSources();
    ASSERT_FALSE(IsWidgetHeader(QStringLiteral("QString")));
    ASSERT_TRUE(IsWidgetHeader(QStringLiteral("QListWidget"))) << "widget headers not found";
    const int firstWindowLayer = LayerOf(QStringLiteral("ui/viewer/x"));
    // Follows every project header that a core header includes, however deep.
    for (const auto& [path, includes] : files) {
        const int layer = LayerOf(path);
        if (!path.endsWith(QStringLiteral(".h")) || layer < LayerOf(QStringLiteral("link/x")) ||
            layer >= firstWindowLayer) {
            continue;
        }
        std::set<QString> seen;
        std::vector<QString> pending{path};
        while (!pending.empty()) {
            const QString header = pending.back();
            pending.pop_back();
            if (!seen.insert(header).second) continue;
            const auto found = files.find(header);
            if (found == files.end()) continue;  // generated
            for (const QString& qt : found->second.system) {
                EXPECT_FALSE(IsWidgetHeader(qt)) << path.toStdString() << " reaches " << qt.toStdString()
                                                  << " through " << header.toStdString();
            }
            for (const QString& next : found->second.project) pending.push_back(next);
        }
    }
}

}  // namespace
