// Profile files read back: every field of the hand-checked files, whatever the download
// writes, and a reason for anything else.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <unistd.h>

#include "logbook/LogbookColumns.h"
#include "logbook/LogbookFolder.h"
#include "profiles/ProfileText.h"
#include "profiles/StoredDive.h"
#include "support/E2eSession.h"

using namespace vyper;

namespace {

QByteArray GoldenBytes(const char* name) {
    QFile file(QDir(vyper::testing::GoldenFolder()).filePath(QStringLiteral("e2e/") + QString::fromUtf8(name)));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

StoredDive Dive(const QByteArray& bytes, ProfileDetail detail = ProfileDetail::WithEntries) {
    const StoredDiveResult result = ReadStoredDive(bytes, detail);
    if (const auto* refusal = std::get_if<ProfileRefusal>(&result)) {
        ADD_FAILURE() << "refused: " << refusal->reason.toStdString();
        return {};
    }
    return std::get<StoredDive>(result);
}

QString Refusal(const QByteArray& bytes) {
    const StoredDiveResult result = ReadStoredDive(bytes, ProfileDetail::WithEntries);
    const auto* refusal = std::get_if<ProfileRefusal>(&result);
    return refusal ? refusal->reason : QStringLiteral("(read as a dive)");
}

ProfileEntry S(int32_t seconds, int16_t depth) { return ProfileEntry::Sample(seconds, depth); }
ProfileEntry M(const char* text) { return ProfileEntry::Marker(QString::fromLatin1(text)); }

QByteArray FileOf(const DiveRecord& record) { return ProfileHeadBytes(record) + ProfileTailBytes(record); }

DiveRecord Record(uint8_t year, uint8_t month, uint8_t day, bool ended, std::vector<ProfileEntry> entries) {
    DiveRecord r;
    r.DiveYear = year;
    r.DiveMonth = month;
    r.DiveDay = day;
    r.DiveHour = 8;
    r.DiveMinute = 5;
    r.DateText = DateText(year, month, day);
    r.SurfaceHours = 1;
    r.SurfaceMinutes = 30;
    r.SampleInterval = 20;
    r.AirTemperature = 22;
    r.MaxDepthTemperature = 14;
    r.MaxDepth = 9;
    r.DurationMinutes = 1;
    r.EndedByMarker = ended;
    r.Entries = std::move(entries);
    return r;
}

}  // namespace

TEST(StoredDive, GoldenFilesGiveEveryFieldBack) {
    struct Case {
        const char* file;
        QString start;
        int duration, maxDepth, air, surfaceMinutes, interval;
        std::optional<int> water, oxygen;
        bool ended;
        std::vector<ProfileEntry> firstEntries;
        int samples;
        ProfileEntry last;
    };
    const Case cases[] = {
        {"2024-08-17 10 Uhr 42.txt", "2024-08-17T10:42:00", 6, 17, 26, 135, 20, 19, std::nullopt, true,
         {S(20, -6), S(40, -12), S(60, -17)}, 17, M("SLOW")},
        {"2024-08-16 15 Uhr 05.txt", "2024-08-16T15:05:00", 9, 18, 24, 45, 30, std::nullopt, 32, false,
         {S(30, -9), S(60, -18), M("ATT"), S(90, -18)}, 17, S(510, 0)},
        {"2024-07-15 09 Uhr 07.txt", "2024-07-15T09:07:00", 16, 18, 20, 48 * 60, 20, 11, std::nullopt, true,
         {S(20, -18), S(40, -18), M("CEIL"), S(60, -18), M("CEIL")}, 47, M("CEIL")},
        {"1999-12-31 23 Uhr 59.txt", "1999-12-31T23:59:00", 20, 10, 5, 5, 60, 4, std::nullopt, true,
         {S(60, -1), S(120, -2), S(180, -3)}, 20, M("")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const StoredDive d = Dive(GoldenBytes(c.file));
        EXPECT_EQ(d.start.toString(Qt::ISODate).left(19).toStdString(), c.start.toStdString());
        EXPECT_EQ(d.durationMinutes, c.duration);
        EXPECT_EQ(d.maxDepthMetres, c.maxDepth);
        EXPECT_EQ(d.airTemperature, c.air);
        EXPECT_EQ(d.waterTemperature, c.water);
        EXPECT_EQ(d.surfaceIntervalMinutes, c.surfaceMinutes);
        EXPECT_EQ(d.record.SampleInterval, c.interval);
        EXPECT_EQ(d.oxygenPercent, c.oxygen);
        EXPECT_EQ(d.record.EndedByMarker, c.ended);
        EXPECT_TRUE(d.doubts.isEmpty()) << d.doubts.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(d.sampleCount, c.samples);
        ASSERT_GE(d.record.Entries.size(), c.firstEntries.size());
        EXPECT_TRUE(std::equal(c.firstEntries.begin(), c.firstEntries.end(), d.record.Entries.begin()));
        EXPECT_EQ(d.record.Entries.back(), c.last);
    }
}

TEST(StoredDive, TheSummaryAloneLeavesTheEntriesOutButCountsTheSamples) {
    const StoredDive d = Dive(GoldenBytes("2024-08-17 10 Uhr 42.txt"), ProfileDetail::SummaryOnly);
    EXPECT_TRUE(d.record.Entries.empty());
    EXPECT_EQ(d.sampleCount, 17);
    EXPECT_EQ(d.maxDepthMetres, 17);
}

TEST(StoredDive, WhatTheDownloadWritesIsReadBackAsItWasWritten) {
    struct Case {
        const char* what;
        DiveRecord record;
        QString start;
    };
    DiveRecord nitrox = Record(0, 1, 1, false, {S(20, -3), M("ASC"), S(40, 0)});
    nitrox.OxygenPercent = 36;
    DiveRecord wide = Record(28, 2, 29, true, {S(20, -12), M(""), S(40, -12), M("")});
    wide.SurfaceHours = 123;  // a two-digit field of three digits
    wide.DurationMinutes = 32767;
    DiveRecord empty = Record(99, 12, 31, false, {});
    empty.MaxDepth = 9999;
    empty.DurationMinutes = 0;
    const Case cases[] = {
        {"year 00 is 2000, O2 stated", nitrox, "2000-01-01T08:05:00"},
        {"year 28 is 2028, leap day, wide fields", wide, "2028-02-29T08:05:00"},
        {"year 99 is 1999, no samples", empty, "1999-12-31T08:05:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const StoredDive d = Dive(FileOf(c.record));
        EXPECT_EQ(d.start.toString(Qt::ISODate).left(19), c.start);
        const DiveRecord& r = d.record;
        EXPECT_EQ(r.DateText, c.record.DateText);
        EXPECT_EQ(std::tie(r.DiveYear, r.DiveMonth, r.DiveDay, r.DiveHour, r.DiveMinute),
                  std::tie(c.record.DiveYear, c.record.DiveMonth, c.record.DiveDay, c.record.DiveHour,
                           c.record.DiveMinute));
        EXPECT_EQ(std::tie(r.SurfaceHours, r.SurfaceMinutes, r.SampleInterval, r.AirTemperature,
                           r.MaxDepthTemperature, r.MaxDepth, r.DurationMinutes, r.EndedByMarker),
                  std::tie(c.record.SurfaceHours, c.record.SurfaceMinutes, c.record.SampleInterval,
                           c.record.AirTemperature, c.record.MaxDepthTemperature, c.record.MaxDepth,
                           c.record.DurationMinutes, c.record.EndedByMarker));
        EXPECT_EQ(r.Entries, c.record.Entries);
    }
    EXPECT_EQ(Dive(FileOf(nitrox)).oxygenPercent, 36);
    EXPECT_EQ(Dive(FileOf(wide)).surfaceIntervalMinutes, 123 * 60 + 30);
    // The 9999 m of a dive without samples means "no depth", not a depth.
    const StoredDive none = Dive(FileOf(empty));
    EXPECT_EQ(none.maxDepthMetres, std::nullopt);
    EXPECT_EQ(none.durationMinutes, std::nullopt);
    EXPECT_TRUE(none.doubts.isEmpty());
}

TEST(StoredDive, ImpossibleValuesAreSetAsideAndNamed) {
    DiveRecord r = Record(24, 8, 17, true, {S(20, -5), M("")});
    r.AirTemperature = 200;
    r.MaxDepthTemperature = -20;
    r.MaxDepth = 9999;
    r.SurfaceMinutes = 75;
    const StoredDive d = Dive(FileOf(r));
    EXPECT_EQ(d.airTemperature, std::nullopt);
    EXPECT_EQ(d.waterTemperature, std::nullopt);
    EXPECT_EQ(d.maxDepthMetres, std::nullopt);
    EXPECT_EQ(d.surfaceIntervalMinutes, std::nullopt);
    EXPECT_EQ(d.doubts, QStringList({"Maximale Tiefe 9999 m ist unmöglich", "Wassertemperatur -20 °C ist unmöglich",
                                     "Lufttemperatur 200 °C ist unmöglich",
                                     "Oberflächenpause 1 h 75 min ist unmöglich"}));
    EXPECT_EQ(d.durationMinutes, 1);

    // Without its end marker the file says 0 ° C because no temperature was found.
    DiveRecord open = Record(24, 8, 17, false, {S(20, -5)});
    open.MaxDepthTemperature = 0;
    EXPECT_EQ(Dive(FileOf(open)).waterTemperature, std::nullopt);
    EXPECT_TRUE(Dive(FileOf(open)).doubts.isEmpty());
}

TEST(StoredDive, AnythingTheDownloadDoesNotWriteIsRefusedWithItsReason) {
    const QByteArray good = GoldenBytes("2024-08-17 10 Uhr 42.txt");
    auto replaced = [&](const QByteArray& from, const QByteArray& to) { return QByteArray(good).replace(from, to); };
    const struct {
        QByteArray bytes;
        QString reason;
    } cases[] = {
        {"", "leere Datei"},
        {"Einkaufsliste\r\nBrot\r\n", "keine Profildatei (die Kopfzeile fehlt)"},
        {QByteArray("\x89PNG\r\n\x1a\n\0\0", 10), "keine Profildatei (die Kopfzeile fehlt)"},
        {QByteArray(good).replace("\r\n", "\n"), "Zeile 1: das Zeilenende ist nicht CR LF"},
        {replaced("40\t\t-12\r\n", "40\t\t-12\n"), "Zeile 3: das Zeilenende ist nicht CR LF"},
        {replaced("40\t\t-12", QByteArray("40\t\t-1\0", 7)), "keine Textdatei (Nullbyte in Zeile 3)"},
        {good.chopped(1), "unvollständig: die letzte Zeile hat kein Zeilenende"},
        {good.left(good.indexOf("# END")), "unvollständig: die Endzeile „# END OF PROFILE #“ fehlt"},
        {good.left(good.indexOf("Lufttemp")), "unvollständig: die Zusammenfassung endet vor „Lufttemperatur vor TG:“"},
        {replaced("=> SLOW", "=> WARN"), "Zeile 15: weder Messwert noch Marke"},
        {replaced("40\t\t-12", "40\t-12"), "Zeile 3: weder Messwert noch Marke"},
        {replaced("40\t\t-12", "40\t\t-40000"), "Zeile 3: weder Messwert noch Marke"},
        {replaced("40\t\t-12", "10\t\t-12"), "Zeile 3: die Zeit läuft rückwärts"},
        {replaced("40\t\t-12", "040\t\t-12"), "Zeile 3: weder Messwert noch Marke"},
        {replaced("Datum: 24-08-17", "Datum: 024-08-17"), "Zeile 22: kein zweistelliger Wert"},
        {replaced("Datum: 24-08-17", "Datum: 24-8-17"), "Zeile 22: kein zweistelliger Wert"},
        {replaced("Datum: 24-08-17", "Datum: 24-13-17"), "das Datum 24-13-17 gibt es nicht"},
        {replaced("Datum: 24-08-17", "Datum: 23-02-29"), "das Datum 23-02-29 gibt es nicht"},
        {replaced("Datum: 24-08-17", "Datum: 124-08-17"), "das Datum 124-08-17 gibt es nicht"},
        {replaced("10 Uhr 42", "24 Uhr 42"), "die Uhrzeit 24:42 gibt es nicht"},
        {replaced("10 Uhr 42", "10 42"), "Uhrzeit und Temperatur gehören zu verschiedenen Profilenden"},
        {replaced("Dauer: 6 min.", "Dauer: 6 Minuten"), "Zeile 24: „Dauer: “ erwartet"},
        {replaced("Maximale Tiefe: 17 m", "Maximale Tiefe: 99999 m"), "Zeile 25: kein Wert, der in die Zusammenfassung passt"},
        {good + "Kommentar\r\n", "Zeile 30: nach der Zusammenfassung folgt noch Text"},
        {good + "O2-Anteil:  32 \r\n", "Zeile 30: nach der Zusammenfassung folgt noch Text"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Refusal(c.bytes).toStdString(), c.reason.toStdString()) << c.bytes.left(40).toStdString();
    }
}

TEST(StoredDive, EveryCutOfAFileIsRefusedButTheOneBeforeItsOptionalLine) {
    const QByteArray whole = GoldenBytes("2024-08-16 15 Uhr 05.txt");
    const qsizetype beforeOxygen = whole.indexOf("O2-Anteil");
    for (qsizetype size = 0; size < whole.size(); ++size) {
        const StoredDiveResult result = ReadStoredDive(whole.left(size), ProfileDetail::WithEntries);
        if (size == beforeOxygen) {
            ASSERT_TRUE(std::holds_alternative<StoredDive>(result));
            EXPECT_EQ(std::get<StoredDive>(result).oxygenPercent, std::nullopt);
        } else {
            EXPECT_TRUE(std::holds_alternative<ProfileRefusal>(result)) << "cut at " << size;
        }
    }
}

TEST(StoredDive, FilesThatCannotBeReadAreRefusedByName) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Tauchgang x.txt")));
    const auto reason = [&](const QString& name) {
        const LogbookRow row = ReadLogbookRow(dir.path(), name);
        EXPECT_EQ(row.fileName, name);
        const auto* refusal = std::get_if<ProfileRefusal>(&row.result);
        return refusal ? refusal->reason : QString();
    };
    EXPECT_EQ(reason(QStringLiteral("Tauchgang x.txt")), QStringLiteral("ein Ordner, keine Datei"));
    EXPECT_EQ(reason(QStringLiteral("fehlt.txt")), QStringLiteral("die Datei gibt es nicht (mehr)"));
    EXPECT_EQ(reason(QStringLiteral("kaputt\uFFFD.txt")), QStringLiteral("der Dateiname ist kein gültiger Text"));

    // A name whose bytes are no UTF-8 (written by another system) is listed, and refused.
    const QByteArray raw = QFile::encodeName(dir.path()) + "/Tauchgang \xE4.txt";
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const QStringList names = LogbookCandidates(dir.path());
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(reason(names[1]), QStringLiteral("der Dateiname ist kein gültiger Text"));
    ::unlink(raw.constData());  // which Qt could not remove
}

TEST(LogbookFolder, TheCandidatesAreFilesAndFoldersNamedLikeProfilesButNoHiddenOnes) {
    QTemporaryDir dir;
    QDir folder(dir.path());
    for (const char* name : {"b.txt", "a.txt", ".b.txt.Xy12Ab", "notiz"}) {
        QFile file(folder.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(folder.mkdir(QStringLiteral("Fotos")) && folder.mkdir(QStringLiteral("c.txt")));
    EXPECT_EQ(LogbookCandidates(dir.path()), QStringList({"a.txt", "b.txt", "c.txt", "notiz"}));
    EXPECT_TRUE(LogbookCandidates(folder.filePath(QStringLiteral("fehlt"))).isEmpty());
}

TEST(LogbookColumns, CellsShowValuesWithTheirUnitsAndNothingForTheUnknown) {
    const StoredDive nitrox = Dive(GoldenBytes("2024-08-16 15 Uhr 05.txt"));
    const StoredDive air = Dive(GoldenBytes("2024-07-15 09 Uhr 07.txt"));
    const QStringList nitroxCells = {"16.08.2024", "15:05", "9 min", "18 m", "", "24 °C",
                                     "0 h 45 min", "30 s", "32 %", "Profil ohne Endmarke"};
    const QStringList airCells = {"15.07.2024", "09:07", "16 min", "18 m", "11 °C", "20 °C",
                                  "48 h 00 min", "20 s", "", ""};
    for (int c = 0; c < kLogbookColumnCount; ++c) {
        const auto column = static_cast<LogbookColumn>(c);
        EXPECT_EQ(LogbookCell(nitrox, column), nitroxCells[c]) << c;
        EXPECT_EQ(LogbookCell(air, column), airCells[c]) << c;
    }
    // Unknown values sort before every known one, including cold water.
    StoredDive cold = air;
    cold.waterTemperature = -2;
    EXPECT_EQ(QVariant::compare(LogbookSortKey(nitrox, LogbookColumn::Water), LogbookSortKey(cold, LogbookColumn::Water)),
              QPartialOrdering::Less);
    EXPECT_EQ(QVariant::compare(LogbookSortKey(nitrox, LogbookColumn::Date), LogbookSortKey(air, LogbookColumn::Date)),
              QPartialOrdering::Greater);
}
