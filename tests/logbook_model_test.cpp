// The logbook's table without a window: its rows, their order and filter, the export's
// message, and the pass over a folder that the reading thread makes.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>

#include "support/Fakes.h"
#include "logbook/ExportTexts.h"
#include "ui/logbook/FolderScan.h"
#include "ui/logbook/LogbookProxy.h"

using namespace vyper;
using vyper::testing::WriteAll;

namespace {

QByteArray Golden(const QString& name) {
    QFile file(QStringLiteral(VYPER_SOURCE_DIR "/tests/golden/e2e/") + name);
    if (!file.open(QIODevice::ReadOnly)) qFatal("missing golden file %s", qPrintable(name));
    return file.readAll();
}

// The four dives a download of the test memory stores, as the download wrote them.
const QString kA = QStringLiteral("1999-12-31 23 Uhr 59.txt");  // 10 m, water 4 °C
const QString kB = QStringLiteral("2024-07-15 09 Uhr 07.txt");  // 18 m, water 11 °C
const QString kC = QStringLiteral("2024-08-16 15 Uhr 05.txt");  // 18 m, water unknown, no end marker
const QString kD = QStringLiteral("2024-08-17 10 Uhr 42.txt");  // 17 m, water 19 °C
// A dive without samples, so without depth or duration, written as the download does.
const QString kE = QStringLiteral("2024-01-05 08 Uhr 00.txt");
const QByteArray kEBytes =
    "Time [s]\tDepth [m]\r\n# END OF PROFILE #\r\nDatum: 24-01-05\r\nUhrzeit: 08 Uhr 00\r\nDauer: 0 min.\r\n"
    "Maximale Tiefe: 9999 m\r\nLufttemperatur vor TG: 3 \xB0" "C\r\nTemperatur auf maximaler Tiefe: 7 \xB0" "C\r\n"
    "Oberfl\xE4" "chenpause vor dem TG: 00 h 30 min\r\nAufzeichnungsintervall: 20 s\r\n";

QByteArray BytesOf(const QString& name) { return name == kE ? kEBytes : Golden(name); }

LogbookEntry EntryOf(const QString& name, const QByteArray& bytes) {
    const StoredDiveResult read = ReadStoredDive(bytes, ProfileDetail::SummaryOnly);
    if (!std::holds_alternative<StoredDive>(read)) qFatal("%s refused", qPrintable(name));
    return MakeLogbookEntry(name, QDateTime(), std::get<StoredDive>(read));
}

std::vector<LogbookEntry> Entries(const QStringList& names) {
    std::vector<LogbookEntry> entries;
    for (const QString& name : names) entries.push_back(EntryOf(name, BytesOf(name)));
    return entries;
}

// Names as one text, so that a failed expectation prints them readably.
std::string Listed(const QStringList& names) { return names.join(QStringLiteral(" | ")).toStdString(); }

// The file names of the proxy's rows, top to bottom.
std::string ShownNames(const LogbookProxy& proxy) {
    QStringList names;
    for (int row = 0; row < proxy.rowCount(); ++row) names << proxy.EntryAt(row).fileName;
    return Listed(names);
}

// Model and proxy as the window sets them up: newest first.
struct Table {
    LogbookModel model;
    LogbookProxy proxy{model};
    explicit Table(const QStringList& names) {
        proxy.sort(static_cast<int>(LogbookColumn::Date), Qt::DescendingOrder);
        model.Put(Entries(names));
    }
};

}  // namespace

TEST(LogbookTable, SortsNewestFirstAndByEveryColumnWithUnknownValuesFirst) {
    const struct {
        LogbookColumn column;
        Qt::SortOrder order;
        QStringList expected;
    } cases[] = {
        {LogbookColumn::Date, Qt::DescendingOrder, {kD, kC, kB, kE, kA}},
        {LogbookColumn::Date, Qt::AscendingOrder, {kA, kE, kB, kC, kD}},
        {LogbookColumn::Time, Qt::AscendingOrder, {kE, kB, kD, kC, kA}},
        // E has no depth; B and C are both 18 m deep and keep the order of their names.
        {LogbookColumn::MaxDepth, Qt::AscendingOrder, {kE, kA, kD, kB, kC}},
        {LogbookColumn::MaxDepth, Qt::DescendingOrder, {kC, kB, kD, kA, kE}},
        // C, without end marker, states no water temperature.
        {LogbookColumn::Water, Qt::AscendingOrder, {kC, kA, kE, kB, kD}},
        {LogbookColumn::Duration, Qt::AscendingOrder, {kE, kD, kC, kB, kA}},
        {LogbookColumn::Oxygen, Qt::DescendingOrder, {kC, kD, kB, kE, kA}},
        {LogbookColumn::Note, Qt::AscendingOrder, {kA, kE, kB, kD, kC}},
    };
    // Put in an order that is none of the expected ones.
    Table t({kB, kE, kD, kA, kC});
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(LogbookColumnTitle(c.column) + (c.order == Qt::AscendingOrder ? " up" : " down")));
        t.proxy.sort(static_cast<int>(c.column), c.order);
        EXPECT_EQ(ShownNames(t.proxy), Listed(c.expected));
    }
}

TEST(LogbookTable, FilterFindsTheTextInAnyCellIgnoringCase) {
    const struct {
        const char* filter;
        QStringList expected;
        const char* status;
    } cases[] = {
        {"1999", {kA}, "1 von 5 Tauchgängen"},
        {"2024", {kD, kC, kB, kE}, "4 von 5 Tauchgängen"},
        {" 08.2024  ", {kD, kC}, "2 von 5 Tauchgängen"},
        {"PROFIL ohne", {kC}, "1 von 5 Tauchgängen"},
        {"18 m", {kC, kB}, "2 von 5 Tauchgängen"},
        {"48 h", {kB}, "1 von 5 Tauchgängen"},
        {"Grundel", {}, "0 von 5 Tauchgängen"},
        {"", {kD, kC, kB, kE, kA}, "5 Tauchgänge"},
    };
    Table t({kA, kB, kC, kD, kE});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        t.proxy.SetFilterText(QString::fromUtf8(c.filter));
        EXPECT_EQ(ShownNames(t.proxy), Listed(c.expected));
        EXPECT_EQ(LogbookStatusText(t.proxy.rowCount(), t.model.rowCount(), t.proxy.Filtered(), false),
                  QString::fromUtf8(c.status));
    }
}

TEST(LogbookTexts, ExportMessageNamesTheCountAndAtMostTenSkippedDives) {
    QStringList twelve;
    for (int i = 1; i <= 12; ++i) twelve << QStringLiteral("%1.txt: leere Datei").arg(i);
    const struct {
        const char* name;
        ExportOutcome outcome;
        const char* text;
    } cases[] = {
        {"one", {1, {}, true}, "1 Tauchgang exportiert nach /tmp/Logbuch.uddf."},
        {"twelve skipped",
         {5, twelve, true},
         "5 Tauchgänge exportiert nach /tmp/Logbuch.uddf.\n\nNicht exportiert:\n1.txt: leere Datei\n2.txt: leere Datei\n"
         "3.txt: leere Datei\n4.txt: leere Datei\n5.txt: leere Datei\n6.txt: leere Datei\n7.txt: leere Datei\n"
         "8.txt: leere Datei\n9.txt: leere Datei\n10.txt: leere Datei\n… und 2 weitere"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ExportMessage message = ExportResultMessage(c.outcome, QStringLiteral("/tmp/Logbuch.uddf"));
        EXPECT_EQ(message.text, QString::fromUtf8(c.text));
        EXPECT_EQ(message.style, style::Information | style::OkOnly);
    }
}

TEST(LogbookScan, ReadsWhatIsNewInBatchesAndStopsWhenAsked) {
    QTemporaryDir dir;
    const QString folder = dir.path();
    for (const QString& name : {kA, kB, kD}) WriteAll(QDir(folder).filePath(name), Golden(name));
    WriteAll(QDir(folder).filePath(QStringLiteral("leer.txt")), {});
    const std::atomic<bool> go{false};

    std::vector<LogbookBatch> batches;
    const auto collect = [&](LogbookBatch&& batch) { batches.push_back(std::move(batch)); };
    const auto names = ScanLogbookFolder(folder, {}, 3, go, collect);
    ASSERT_TRUE(names.has_value());
    EXPECT_EQ(Listed(*names), Listed({kA, kB, kD, QStringLiteral("leer.txt")}));
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].dives.size(), 3u);
    ASSERT_EQ(batches[1].unreadable.size(), 1u);
    EXPECT_EQ(batches[1].unreadable[0].reason, QStringLiteral("leere Datei"));

    // What was read and has not changed since is not read again.
    QHash<QString, QDateTime> known;
    for (const LogbookEntry& e : batches[0].dives) known.insert(e.fileName, e.modified);
    batches.clear();
    ASSERT_TRUE(ScanLogbookFolder(folder, known, 3, go, collect).has_value());
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].unreadable.size(), 1u);
    EXPECT_TRUE(batches[0].dives.empty());

    const std::atomic<bool> stop{true};
    batches.clear();
    EXPECT_FALSE(ScanLogbookFolder(folder, {}, 3, stop, collect).has_value());
    EXPECT_TRUE(batches.empty());
}
