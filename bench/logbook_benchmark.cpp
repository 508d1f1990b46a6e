// The logbook at scale: a profile folder of 10,000 dives (by default), as a diver who has
// downloaded for years has it. Measures, with a warm file cache:
//   - reading every file's summary as the logbook does (names, then one file after another),
//   - the logbook window on that folder: the time until its first rows show, until the whole
//     table is there, and the longest stall of the window's event loop meanwhile,
//   - the memory the process holds afterwards,
//   - a UDDF and a CSV export of all dives.
// Prints its figures; fails on nothing (the targets are in the README).
//
// Usage: logbook_benchmark [--dives=N] [--samples=N] [--keep=FOLDER]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

#include "logbook/DiveExport.h"
#include "logbook/LogbookFolder.h"
#include "platform/AppInfo.h"
#include "platform/FileWriter.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "profiles/ProfileNames.h"
#include "profiles/ProfileText.h"
#include "ui/logbook/frmLogbook.h"

using namespace vyper;

namespace {

QString Option(const QStringList& args, const QString& name, const QString& fallback) {
    for (const QString& a : args) {
        if (a.startsWith(name + QLatin1Char('='))) return a.mid(name.size() + 1);
    }
    return fallback;
}

long MaxRssMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

long CurrentRssMegabytes() {
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4096 / (1024 * 1024) : -1;
}

// A dive of `samples` samples a minute apart in 20 s steps, down to 10..40 m and back, with
// a marker now and then; dive i is a day older than dive i - 1, two dives a day.
DiveRecord MadeUpDive(int i, int samples) {
    DiveRecord r;
    const QDate day = QDate(2025, 12, 31).addDays(-(i / 2));
    r.DiveYear = static_cast<uint8_t>(day.year() % 100);
    r.DiveMonth = static_cast<uint8_t>(day.month());
    r.DiveDay = static_cast<uint8_t>(day.day());
    r.DiveHour = static_cast<uint8_t>(i % 2 == 0 ? 10 : 15);
    r.DiveMinute = static_cast<uint8_t>(i % 60);
    r.DateText = DateText(r.DiveYear, r.DiveMonth, r.DiveDay);
    r.SurfaceHours = static_cast<int16_t>(i % 2 == 0 ? 18 : 2);
    r.SurfaceMinutes = static_cast<int16_t>(i % 60);
    r.SampleInterval = 20;
    r.AirTemperature = static_cast<int16_t>(15 + i % 15);
    r.MaxDepthTemperature = static_cast<int16_t>(8 + i % 18);
    r.OxygenPercent = 21;
    const int bottom = 10 + i % 31;
    int16_t deepest = 0;
    for (int s = 1; s <= samples; ++s) {
        const int depth = std::min({bottom, s, samples - s + 1}) * -1;
        if (s % 50 == 0) r.Entries.push_back(ProfileEntry::Marker(QStringLiteral("SLOW")));
        r.Entries.push_back(ProfileEntry::Sample(s * 20, static_cast<int16_t>(depth)));
        deepest = static_cast<int16_t>(std::max<int>(deepest, -depth));
    }
    r.Entries.push_back(ProfileEntry::Marker(QStringLiteral("SLOW")));
    r.MaxDepth = deepest;
    r.DurationMinutes = static_cast<int16_t>((samples * 20 + 59) / 60);
    r.EndedByMarker = true;
    return r;
}

// Writes the folder quickly (no sync per file: this is the benchmark's setup, not the program).
bool FillFolder(const QString& folder, int dives, int samples) {
    QDir().mkpath(folder);
    const QLocale german(QLocale::German, QLocale::Germany);
    for (int i = 0; i < dives; ++i) {
        const DiveRecord r = MadeUpDive(i, samples);
        QFile file(JoinPath(folder, ProfileFileName(r, german)));
        if (!file.open(QIODevice::WriteOnly) || file.write(ProfileHeadBytes(r) + ProfileTailBytes(r)) < 0) return false;
    }
    return true;
}

class SilentBoxes : public MessageBoxes {
public:
    int Show(const QString& text, int, const QString&) override {
        std::fprintf(stderr, "message box: %s\n", qPrintable(text));
        return answer::Ok;
    }
};

// Opens the logbook on the folder and runs the message loop until it has read everything.
void LogbookWindowMeasure(const QString& programFolder, MessageBoxes& boxes) {
    MemorySettingsStore settings;
    AtomicFileWriter files;
    // A timer that wants to run every 5 ms: the longest gap between two of its runs, less
    // those 5 ms, is the longest time the window's thread did not get back to its events.
    qint64 longestStall = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, sinceTick.restart() - 5);
    });
    ticker.start(5);

    QElapsedTimer clock;
    clock.start();
    frmLogbook logbook(LogbookServices{programFolder, &boxes, &settings, &files, nullptr, QStringLiteral("benchmark")});
    logbook.show();
    qint64 firstRows = -1;
    bool finished = false;
    QEventLoop loop;
    QObject::connect(&logbook.Shown(), &QAbstractItemModel::rowsInserted, [&] {
        if (firstRows < 0) firstRows = clock.elapsed();
    });
    QObject::connect(&logbook, &frmLogbook::LoadFinished, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    const qint64 whole = clock.elapsed();
    ticker.stop();
    std::printf("logbook window: first rows after %lld ms, all %d rows after %lld ms%s\n",
                static_cast<long long>(firstRows), logbook.Shown().rowCount(), static_cast<long long>(whole),
                finished ? "" : " (not finished)");
    std::printf("logbook window: longest event-loop stall while reading: %lld ms\n",
                static_cast<long long>(longestStall));
}

void MeasureReading(const QString& folder) {
    for (const char* pass : {"cold or first", "warm"}) {
        QElapsedTimer clock;
        clock.start();
        const QStringList names = LogbookCandidates(folder);
        int dives = 0;
        for (const QString& name : names) dives += std::holds_alternative<StoredDive>(ReadLogbookRow(folder, name).result);
        std::printf("reading every summary (%s):  %d of %lld files in %lld ms\n", pass, dives,
                    static_cast<long long>(names.size()), static_cast<long long>(clock.elapsed()));
    }
}

void MeasureExport(const QString& folder, const QString& target, ExportFormat format, const char* what) {
    AtomicFileWriter writer;
    const ExportGenerator generator{QStringLiteral("Vyper-Grundelnetz"), QStringLiteral("benchmark"),
                                    QDateTime::currentDateTime()};
    const QStringList names = LogbookCandidates(folder);
    QElapsedTimer clock;
    clock.start();
    const ExportOutcome outcome = ExportProfiles(folder, names, format, target, writer, generator);
    std::printf("%s export of all dives:        %d dives, %lld KB in %lld ms\n", what, outcome.exported,
                static_cast<long long>(QFileInfo(target).size() / 1024), static_cast<long long>(clock.elapsed()));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int dives = Option(args, QStringLiteral("--dives"), QStringLiteral("10000")).toInt();
    const int samples = Option(args, QStringLiteral("--samples"), QStringLiteral("150")).toInt();
    QTemporaryDir temporary;
    const QString programFolder = Option(args, QStringLiteral("--keep"), temporary.path());
    const QString folder = JoinPath(programFolder, QStringLiteral("Tauchprofile"));

    QElapsedTimer setup;
    setup.start();
    if (QDir(folder).entryList(QDir::Files).size() < dives && !FillFolder(folder, dives, samples)) {
        std::fprintf(stderr, "cannot write the folder %s\n", qPrintable(folder));
        return 1;
    }
    std::printf("folder: %d dives of %d samples in %s (made in %lld ms)\n", dives, samples, qPrintable(folder),
                static_cast<long long>(setup.elapsed()));
    MeasureReading(folder);
    const long rssBeforeWindow = CurrentRssMegabytes();

    SilentBoxes boxes;
    LogbookWindowMeasure(programFolder, boxes);
    std::printf("memory: %ld MB held before the window, %ld MB with the logbook open, %ld MB at most\n",
                rssBeforeWindow, CurrentRssMegabytes(), MaxRssMegabytes());

    MeasureExport(folder, JoinPath(temporary.path(), QStringLiteral("Logbuch.uddf")), ExportFormat::Uddf, "UDDF");
    MeasureExport(folder, JoinPath(temporary.path(), QStringLiteral("Logbuch.csv")), ExportFormat::Csv, "CSV ");
    return 0;
}
