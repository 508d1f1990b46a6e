#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <map>
#include <set>

#include "logbook/DiveExport.h"
#include "platform/Failure.h"
#include "support/Fakes.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

ProfileEntry S(int seconds, int depth) { return ProfileEntry::Sample(seconds, static_cast<int16_t>(depth)); }
ProfileEntry M(const char* text) { return ProfileEntry::Marker(QString::fromLatin1(text)); }

// A sound dive of 17 August 2024, 10:42, closed by a marker; the cases change what they are about.
StoredDive Dive(QDateTime start = QDateTime(QDate(2024, 8, 17), QTime(10, 42))) {
    StoredDive d;
    d.start = start;
    d.record.EndedByMarker = true;
    d.record.Entries = {S(20, -6), S(40, -17), S(60, -17), S(80, 0), M("")};
    d.durationMinutes = 6;
    d.maxDepthMetres = 17;
    d.waterTemperature = 19;
    d.airTemperature = 26;
    d.surfaceIntervalMinutes = 135;
    return d;
}

// An element read back with its attributes, text and children.
struct Node {
    QString name;
    std::map<QString, QString> attributes;
    QString text;
    std::vector<Node> children;

    std::vector<const Node*> All(const QString& child) const {
        std::vector<const Node*> found;
        for (const auto& c : children) {
            if (c.name == child) found.push_back(&c);
        }
        return found;
    }
    // The text at a path of first children ("a/b"), or an attribute of its end ("a/b@ref");
    // "<none>" when something on the way is missing.
    QString At(const QString& path) const {
        const Node* node = this;
        for (const QString& part : path.section(u'@', 0, 0).split(u'/', Qt::SkipEmptyParts)) {
            const auto found = node->All(part);
            if (found.empty()) return QStringLiteral("<none>");
            node = found.front();
        }
        if (!path.contains(u'@')) return node->text;
        const auto a = node->attributes.find(path.section(u'@', 1));
        return a == node->attributes.end() ? QStringLiteral("<none>") : a->second;
    }
};

Node ReadElement(QXmlStreamReader& xml) {
    Node node{xml.name().toString(), {}, {}, {}};
    EXPECT_EQ(xml.namespaceUri().toString(), QStringLiteral("http://www.streit.cc/uddf/3.2/"))
        << node.name.toStdString();
    for (const auto& a : xml.attributes()) node.attributes[a.name().toString()] = a.value().toString();
    while (xml.readNext() != QXmlStreamReader::EndElement && !xml.hasError()) {
        if (xml.isStartElement()) node.children.push_back(ReadElement(xml));
        if (xml.isCharacters() && !xml.isWhitespace()) node.text += xml.text();
    }
    return node;
}

Node ReadUddf(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    while (!xml.isStartElement() && !xml.atEnd()) xml.readNext();
    Node root = ReadElement(xml);
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return root;
}

const ExportGenerator kGenerator{QStringLiteral("Vyper-Grundelnetz"), QStringLiteral("1.0.7"),
                                 QDateTime(QDate(2025, 3, 1), QTime(8, 30))};

QByteArray Uddf(const std::vector<StoredDive>& dives) {
    std::vector<ExportDive> list;
    for (const auto& d : dives) list.push_back({QStringLiteral("a;b.txt"), d});
    return UddfDocument(list, kGenerator);
}

std::vector<const Node*> Dives(const Node& uddf) {
    std::vector<const Node*> dives;
    for (const Node* group : uddf.All("profiledata").at(0)->All("repetitiongroup"))
        for (const Node* dive : group->All("dive")) dives.push_back(dive);
    return dives;
}
std::vector<const Node*> Dives(const Node&& uddf) = delete;  // the pointers would dangle

// Each waypoint as "divetime depth [alarms] [mix] [temperature]", e.g. "280 17 ascent".
QStringList Waypoints(const Node& dive) {
    QStringList lines;
    for (const Node* samples : dive.All("samples")) {
        for (const Node* w : samples->All("waypoint")) {
            QStringList parts{w->At("divetime"), w->At("depth")};
            for (const Node* a : w->All("alarm")) parts << a->text;
            if (!w->All("switchmix").empty()) parts << w->At("switchmix@ref");
            if (!w->All("temperature").empty()) parts << w->At("temperature") + " K";
            lines << parts.join(u' ');
        }
    }
    return lines;
}

}  // namespace

TEST(UddfDocument, StatesTheDiveInSiUnitsAndNamesDeviceAndProgram) {
    StoredDive nitrox = Dive();
    nitrox.oxygenPercent = 32;
    const Node uddf = ReadUddf(Uddf({nitrox}));
    EXPECT_EQ(uddf.At("@version"), QStringLiteral("3.2.2"));
    EXPECT_EQ(uddf.At("generator/name"), QStringLiteral("Vyper-Grundelnetz"));
    EXPECT_EQ(uddf.At("generator/version"), QStringLiteral("1.0.7"));
    EXPECT_EQ(uddf.At("generator/datetime"), QStringLiteral("2025-03-01T08:30:00"));
    EXPECT_EQ(uddf.At("diver/owner/equipment/divecomputer/name"), QStringLiteral("Suunto Vyper/Cobra"));
    EXPECT_EQ(uddf.At("diver/owner/equipment/divecomputer@id"), QStringLiteral("divecomputer"));
    EXPECT_EQ(uddf.At("gasdefinitions/mix@id"), QStringLiteral("mix32"));
    EXPECT_EQ(uddf.At("gasdefinitions/mix/o2"), QStringLiteral("0.32"));

    const auto dives = Dives(uddf);
    ASSERT_EQ(dives.size(), 1u);
    const Node& dive = *dives[0];
    EXPECT_EQ(dive.At("informationbeforedive/link@ref"), QStringLiteral("divecomputer"));
    EXPECT_EQ(dive.At("informationbeforedive/datetime"), QStringLiteral("2024-08-17T10:42:00"));
    EXPECT_EQ(dive.At("informationbeforedive/airtemperature"), QStringLiteral("299.15"));
    EXPECT_EQ(dive.At("informationbeforedive/surfaceintervalbeforedive/passedtime"), QStringLiteral("8100"));
    EXPECT_EQ(dive.At("informationafterdive/greatestdepth"), QStringLiteral("17"));
    EXPECT_EQ(dive.At("informationafterdive/diveduration"), QStringLiteral("360"));
    EXPECT_EQ(dive.At("informationafterdive/lowesttemperature"), QStringLiteral("292.15"));
    // The water temperature is the one measured on reaching the maximum depth, at 40 s.
    EXPECT_EQ(Waypoints(dive), QStringList({"20 6 mix32", "40 17 292.15 K", "60 17", "80 0"}));
}

// Each marker is an alarm at the waypoint of its moment when UDDF has one of the same meaning;
// the marker that merely closes a profile is none.
TEST(UddfDocument, MarkersBecomeAlarmsAtTheirMoment) {
    const struct {
        const char* what;
        std::vector<ProfileEntry> entries;
        bool endedByMarker;
        QStringList waypoints;
    } cases[] = {
        {"too fast, closed by its repetition",
         {S(20, -17), M("SLOW"), S(40, -17), S(60, 0), M("SLOW")},
         true,
         {"20 17", "40 17 ascent", "60 0"}},
        {"ceiling broken twice",
         {S(20, -18), M("CEIL"), S(40, -18), M("CEIL"), S(60, -18), S(80, 0), M("CEIL")},
         true,
         {"20 18", "40 18 deco", "60 18 deco", "80 0"}},
        {"SLOW and ASC of one moment are one alarm",
         {S(20, -9), M("SLOW"), M("ASC"), S(40, -9), M("SURF"), S(60, 0)},
         false,
         {"20 9", "40 9 ascent", "60 0 surface"}},
        {"no UDDF alarm means the same",
         {S(20, -9), M("ATT"), S(40, -9), M("PLAN"), S(60, -9), M(""), S(80, 0)},
         false,
         {"20 9", "40 9", "60 9", "80 0"}},
        {"a last marker without end marker is at the last sample",
         {S(20, -9), S(40, 0), M("ERR")},
         false,
         {"20 9", "40 0 error"}},
    };
    for (const auto& c : cases) {
        StoredDive d = Dive();
        d.record.Entries = c.entries;
        d.record.EndedByMarker = c.endedByMarker;
        d.waterTemperature.reset();
        const Node uddf = ReadUddf(Uddf({d}));
        EXPECT_EQ(Waypoints(*Dives(uddf).at(0)), c.waypoints) << c.what;
    }
}

// Dives that the summary alone cannot tell apart, and values that are unknown.
TEST(UddfDocument, KeepsEveryDiveAndLeavesOutWhatIsUnknown) {
    StoredDive noSamples = Dive();
    noSamples.record.Entries.clear();
    noSamples.maxDepthMetres.reset();
    noSamples.durationMinutes.reset();
    noSamples.waterTemperature.reset();
    noSamples.airTemperature.reset();
    noSamples.surfaceIntervalMinutes.reset();
    noSamples.oxygenPercent = 21;
    StoredDive nitrox = Dive(QDateTime(QDate(1999, 12, 31), QTime(23, 59)));
    nitrox.oxygenPercent = 32;
    nitrox.record.EndedByMarker = false;
    nitrox.doubts << QStringLiteral("Lufttemperatur 300 °C ist unmöglich");
    StoredDive sameShare = Dive(QDateTime(QDate(2000, 1, 1), QTime(0, 5)));
    sameShare.oxygenPercent = 32;

    const Node uddf = ReadUddf(Uddf({Dive(), noSamples, nitrox, sameShare}));
    const auto dives = Dives(uddf);
    ASSERT_EQ(dives.size(), 4u);
    QStringList ids, starts, mixLinks;
    for (const Node* d : dives) {
        ids << d->At("@id");
        starts << d->At("informationbeforedive/datetime");
        for (const Node* link : d->All("informationbeforedive").at(0)->All("link")) mixLinks << link->At("@ref");
    }
    EXPECT_EQ(ids, QStringList({"dive1", "dive2", "dive3", "dive4"}));
    EXPECT_EQ(starts, QStringList({"2024-08-17T10:42:00", "2024-08-17T10:42:00", "1999-12-31T23:59:00",
                                   "2000-01-01T00:05:00"}));
    EXPECT_EQ(mixLinks.filter(QStringLiteral("mix")), QStringList({"mix21", "mix32", "mix32"}));
    EXPECT_EQ(uddf.All("gasdefinitions").at(0)->All("mix").size(), 2u);
    EXPECT_EQ(uddf.At("gasdefinitions/mix/o2"), QStringLiteral("0.21"));
    EXPECT_EQ(Waypoints(*dives[0]).first(), QStringLiteral("20 6"));  // no mix to switch to
    EXPECT_EQ(Waypoints(*dives[3]).first(), QStringLiteral("20 6 mix32"));

    // Without samples: no waypoint, no temperature, no surface interval; depth and duration,
    // which the format demands, are 0.
    const Node& empty = *dives[1];
    EXPECT_TRUE(empty.All("samples").empty());
    EXPECT_EQ(empty.At("informationbeforedive/airtemperature"), QStringLiteral("<none>"));
    EXPECT_EQ(empty.At("informationbeforedive/surfaceintervalbeforedive"), QStringLiteral("<none>"));
    EXPECT_EQ(empty.At("informationafterdive/lowesttemperature"), QStringLiteral("<none>"));
    EXPECT_EQ(empty.At("informationafterdive/greatestdepth"), QStringLiteral("0"));
    EXPECT_EQ(empty.At("informationafterdive/diveduration"), QStringLiteral("0"));

    EXPECT_EQ(dives[0]->At("informationafterdive/notes"), QStringLiteral("<none>"));
    const Node& notes = *dives[2]->All("informationafterdive").at(0)->All("notes").at(0);
    ASSERT_EQ(notes.children.size(), 2u);
    EXPECT_EQ(notes.children[0].text, QStringLiteral("Profil ohne Endmarke"));
    EXPECT_EQ(notes.children[1].text, QStringLiteral("Lufttemperatur 300 °C ist unmöglich"));
}

// A dive joins the group of the dive before it when its surface interval is short and the
// times agree; otherwise it begins a group of its own.
TEST(UddfDocument, GroupsRepetitiveDives) {
    StoredDive first = Dive(QDateTime(QDate(2024, 8, 17), QTime(10, 0)));
    first.durationMinutes = 40;
    StoredDive repetitive = Dive(QDateTime(QDate(2024, 8, 17), QTime(12, 0)));
    repetitive.surfaceIntervalMinutes = 80;  // 10:40 + 1:20
    StoredDive nextDay = Dive(QDateTime(QDate(2024, 8, 18), QTime(9, 0)));
    nextDay.surfaceIntervalMinutes = 60;  // stated short, yet far from the dive before
    const Node uddf = ReadUddf(Uddf({first, repetitive, nextDay}));
    QList<int> sizes;
    for (const Node* g : uddf.All("profiledata").at(0)->All("repetitiongroup")) sizes << int(g->All("dive").size());
    EXPECT_EQ(sizes, QList<int>({2, 1}));
}

// Documents of varied dives, and of none, pass the format's own schema.
TEST(UddfDocument, IsValidAgainstTheSchema) {
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    ASSERT_FALSE(xmllint.isEmpty()) << "xmllint is missing: install the Debian package libxml2-utils "
                                       "(scripts/install-deps.sh does)";
    StoredDive noSamples = Dive();
    noSamples.record.Entries.clear();
    noSamples.maxDepthMetres.reset();
    StoredDive alarms = Dive();
    alarms.record.Entries = {S(20, -9), M("SLOW"), M("CEIL"), S(40, -9), M("ATT"), S(60, 0), M("ERR")};
    alarms.record.EndedByMarker = false;
    alarms.oxygenPercent = 32;
    alarms.doubts << QStringLiteral("Lufttemperatur 300 °C ist unmöglich");
    StoredDive air = Dive(QDateTime(QDate(1999, 12, 31), QTime(23, 59)));
    air.oxygenPercent = 21;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.uddf"));
    for (const auto& dives :
         {std::vector<StoredDive>{Dive(), Dive(), noSamples, alarms, air}, std::vector<StoredDive>{}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Uddf(dives));
        file.close();
        QProcess lint;
        lint.start(xmllint, {"--noout", "--schema", VYPER_UDDF_SCHEMA, path});
        ASSERT_TRUE(lint.waitForFinished(30000));
        EXPECT_EQ(lint.exitCode(), 0) << dives.size() << " dives: " << lint.readAllStandardError().toStdString();
    }
}

TEST(CsvDocument, WritesOneLinePerDiveForASpreadsheet) {
    StoredDive doubtful = Dive(QDateTime(QDate(1999, 12, 31), QTime(23, 59)));
    doubtful.record.EndedByMarker = false;
    doubtful.record.SampleInterval = 60;
    doubtful.airTemperature.reset();
    doubtful.waterTemperature = -2;
    doubtful.surfaceIntervalMinutes = 48 * 60 + 5;
    doubtful.oxygenPercent = 32;
    doubtful.doubts << QStringLiteral("Lufttemperatur 300 °C ist unmöglich");
    StoredDive unknown = Dive(QDateTime(QDate(2000, 1, 1), QTime(0, 5)));
    unknown.durationMinutes.reset();
    unknown.maxDepthMetres.reset();
    unknown.surfaceIntervalMinutes.reset();

    const QByteArray csv = CsvDocument({{QStringLiteral("2024-08-17 10 Uhr 42.txt"), Dive()},
                                        {QStringLiteral("Riff; \"Nord\".txt"), doubtful},
                                        {QStringLiteral("x.txt"), unknown}});
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n")),
              QStringList({
                  "Datum;Uhrzeit;Tauchzeit (min);Max. Tiefe (m);Wasser (°C);Luft (°C);"
                  "Oberflächenpause (h:mm);Intervall (s);O2 (%);Hinweis;Datei",
                  "17.08.2024;10:42;6;17;19;26;2:15;20;;;2024-08-17 10 Uhr 42.txt",
                  "31.12.1999;23:59;6;17;-2;;48:05;60;32;"
                  "\"Profil ohne Endmarke; Lufttemperatur 300 °C ist unmöglich\";\"Riff; \"\"Nord\"\".txt\"",
                  "01.01.2000;00:05;;;19;26;;20;;;x.txt",
                  "",  // after the last CR LF
              }));
}

namespace {

// A profile folder with an "out" folder for the exports.
struct ExportFolder {
    QTemporaryDir dir;
    QString target = dir.filePath(QStringLiteral("out/export"));
    ExportFolder() {
        QDir(dir.path()).mkdir(QStringLiteral("out"));
        for (const QString name : {"2024-08-17 10 Uhr 42.txt", "2024-07-15 09 Uhr 07.txt"}) {
            QFile::copy(QStringLiteral(VYPER_SOURCE_DIR "/tests/golden/e2e/") + name, dir.filePath(name));
        }
        QFile bad(dir.filePath(QStringLiteral("kaputt.txt")));
        EXPECT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write("Hallo\r\n");
    }
    QStringList Out() const { return QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden); }
};

}  // namespace

// Good files are exported in the order given, refused ones named with their reason; with no
// good file nothing is written.
TEST(DiveExport, ExportsTheReadableFilesAndNamesTheOthers) {
    ExportFolder folder;
    AtomicFileWriter writer;
    const QStringList names{"2024-08-17 10 Uhr 42.txt", "kaputt.txt", "fehlt.txt", "2024-07-15 09 Uhr 07.txt"};

    const ExportOutcome uddf =
        ExportProfiles(folder.dir.path(), names, ExportFormat::Uddf, folder.target, writer, kGenerator);
    EXPECT_TRUE(uddf.written);
    EXPECT_EQ(uddf.exported, 2);
    ASSERT_EQ(uddf.skipped.size(), 2);
    EXPECT_TRUE(uddf.skipped[0].startsWith(QStringLiteral("kaputt.txt: ")) && uddf.skipped[0].size() > 12)
        << uddf.skipped[0].toStdString();
    EXPECT_TRUE(uddf.skipped[1].startsWith(QStringLiteral("fehlt.txt: ")) && uddf.skipped[1].size() > 11)
        << uddf.skipped[1].toStdString();
    const Node exported = ReadUddf(ReadAll(folder.target));
    const auto dives = Dives(exported);
    ASSERT_EQ(dives.size(), 2u);
    EXPECT_EQ(dives[0]->At("informationbeforedive/datetime"), QStringLiteral("2024-08-17T10:42:00"));
    const QStringList ceiling = Waypoints(*dives[1]);
    ASSERT_EQ(ceiling.size(), 47);
    EXPECT_EQ(ceiling.filter(QStringLiteral("deco")), QStringList({"60 18 deco", "80 18 deco"}));
    EXPECT_EQ(ceiling.last(), QStringLiteral("940 0"));

    const ExportOutcome csv =
        ExportProfiles(folder.dir.path(), names, ExportFormat::Csv, folder.target, writer, kGenerator);
    EXPECT_EQ(csv.exported, 2);
    const QStringList lines = QString::fromUtf8(ReadAll(folder.target)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1], QStringLiteral("17.08.2024;10:42;6;17;19;26;2:15;20;;;2024-08-17 10 Uhr 42.txt"));

    const ExportOutcome none = ExportProfiles(folder.dir.path(), {"kaputt.txt"}, ExportFormat::Csv,
                                              folder.dir.filePath(QStringLiteral("out/new")), writer, kGenerator);
    EXPECT_FALSE(none.written);
    EXPECT_EQ(none.exported, 0);
    EXPECT_EQ(none.skipped.size(), 1);
    EXPECT_EQ(folder.Out(), QStringList({"export"}));
}

// A disk that fills up during the write: the failure reaches the caller, and neither a part
// of the export nor a file beside it remains.
TEST(DiveExport, AFailedWriteLeavesNoFile) {
    ExportFolder folder;
    FaultyFileWriter writer;
    writer.bytesUntilFull = 100;
    EXPECT_THROW(ExportProfiles(folder.dir.path(), {"2024-08-17 10 Uhr 42.txt"}, ExportFormat::Uddf, folder.target,
                                writer, kGenerator),
                 RuntimeFailure);
    EXPECT_EQ(folder.Out(), QStringList());
}

// A download may rewrite or remove a file while a long export runs: a dive that cannot be
// read again when its samples are written is left out and named; when none is left,
// nothing is put in place.
TEST(DiveExport, ADiveThatChangesDuringTheExportIsLeftOutAndNamed) {
    class SpoilingWriter : public AtomicFileWriter {
    public:
        explicit SpoilingWriter(QStringList spoil) : spoil_(std::move(spoil)) {}
        void WriteWholeStreamed(const QString& path, const std::function<void(const ChunkSink&)>& produce) override {
            for (const QString& file : spoil_) QFile::remove(file);
            AtomicFileWriter::WriteWholeStreamed(path, produce);
        }

    private:
        QStringList spoil_;
    };
    ExportFolder folder;
    const QStringList names{"2024-08-17 10 Uhr 42.txt", "2024-07-15 09 Uhr 07.txt"};

    SpoilingWriter oneGoes({folder.dir.filePath(names[0])});
    const ExportOutcome one = ExportProfiles(folder.dir.path(), names, ExportFormat::Uddf, folder.target, oneGoes, kGenerator);
    EXPECT_TRUE(one.written);
    EXPECT_EQ(one.exported, 1);
    EXPECT_EQ(one.skipped, QStringList({"2024-08-17 10 Uhr 42.txt: die Datei gibt es nicht (mehr)"}));
    const Node exported = ReadUddf(ReadAll(folder.target));
    const auto dives = Dives(exported);
    ASSERT_EQ(dives.size(), 1u);
    EXPECT_EQ(dives[0]->At("informationbeforedive/datetime"), QStringLiteral("2024-07-15T09:07:00"));

    SpoilingWriter allGo({folder.dir.filePath(names[1])});
    const QString other = folder.dir.filePath(QStringLiteral("out/other"));
    const ExportOutcome none = ExportProfiles(folder.dir.path(), {names[1]}, ExportFormat::Uddf, other, allGo, kGenerator);
    EXPECT_FALSE(none.written);
    EXPECT_EQ(none.exported, 0);
    EXPECT_EQ(folder.Out(), QStringList({"export"}));
}
