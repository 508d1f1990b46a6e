// Downloads every dive of the emulated dive computer (48 dives, more than 8 KB) through the
// real main window and serial layer at 2400 baud with the default delay, and compares the
// time taken with what the line and the program's fixed pauses allow.
//
// Also measures the longest stall of the event loop during the download and, with
// --stop-after=S, the time from a click on "Sto&p" S seconds into the download until the
// transfer has ended, and whether any byte went out after the click.
//
// --slow-sync=MS gives every profile file's sync MS milliseconds (a slow USB stick or SD card);
// the program writes the files beside the window's loop, and --write-in-window writes them in
// the window's thread instead, as before, to compare the longest stall.
//
// The download is logged as the program logs it (a transfer log in a temporary state folder,
// or in FILE with --transfer-log=FILE), and the time spent inside the log's calls is
// measured; --no-log runs without the log.
//
// Usage: download_benchmark [--delay=MS] [--dives=large|default] [--echo] [--stop-after=S] [--messages]
//                           [--slow-sync=MS [--write-in-window]]
//                           [--no-log | --transfer-log=FILE]
//                           [--save-log=FILE] (the emulator's log of the download, to compare runs)

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <sys/resource.h>
#include <thread>

#include "platform/FileTransferLog.h"
#include "platform/PortDevices.h"
#include "platform/FileWriter.h"
#include "platform/PosixSerialControl.h"
#include "platform/MessageBoxes.h"
#include "support/EmulatorProcess.h"
#include "ui/main/frmVyper.h"

using namespace vyper;

namespace {

constexpr double kSecondsPerByte = 11.0 / 2400.0;  // start bit, 8 data bits, parity, stop bit
constexpr double kTickMs = 100;                     // the control timer's interval
constexpr double kSendPausesMs = 12 + 100;          // before the checksum byte, after it

// A message box nobody answers: the benchmark runs without a user.
class SilentBoxes : public MessageBoxes {
public:
    int Show(const QString& text, int, const QString&) override {
        std::fprintf(stderr, "message box: %s\n", qPrintable(text));
        return answer::Ok;
    }
};

// The program's transfer log with a stopwatch around every call: the time the download
// spends in the log, the clock reads of the stopwatch included.
class TimedLog : public TransferLog {
public:
    explicit TimedLog(TransferLog& log) : log_(log) {}
    void Begin(const QString& title) override { Timed([&] { log_.Begin(title); }); }
    void Sent(QByteArrayView bytes) override { Timed([&] { log_.Sent(bytes); }); }
    void Received(QByteArrayView bytes) override { Timed([&] { log_.Received(bytes); }); }
    void Note(const QString& line) override { Timed([&] { log_.Note(line); }); }
    void End(const QString& outcome) override { Timed([&] { log_.End(outcome); }); }
    QString Path() const override { return log_.Path(); }
    QString Problem() const override { return log_.Problem(); }

    std::chrono::nanoseconds spent{0};
    std::chrono::nanoseconds longest{0};
    long calls = 0;

private:
    template <typename Call>
    void Timed(Call call) {
        const auto start = std::chrono::steady_clock::now();
        call();
        const auto took = std::chrono::steady_clock::now() - start;
        spent += took;
        longest = std::max(longest, std::chrono::duration_cast<std::chrono::nanoseconds>(took));
        ++calls;
    }
    TransferLog& log_;
};

// The program's file writer on a slow medium: every sync takes `syncMs` longer.
class SlowSyncFileWriter : public AtomicFileWriter {
public:
    explicit SlowSyncFileWriter(int syncMs) : syncMs_(syncMs) {}
    std::atomic<int> syncs{0};

protected:
    int Sync(int fd) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(syncMs_));
        ++syncs;
        return AtomicFileWriter::Sync(fd);
    }

private:
    int syncMs_;
};

// The system's waits, but work that would run aside runs in the window's thread, as the
// profile files were written before.
class InWindowWaits : public SystemWaits {
public:
    void RunAside(const std::function<void()>& work) override { work(); }
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// What the emulator's log says went over the line, per exchange.
struct LineTraffic {
    int exchanges = 0;
    long bytesToDevice = 0;
    long bytesFromDevice = 0;
    std::vector<long> answerBytes;  // bytes the device sent in each exchange
};

LineTraffic TrafficFromLog(const QString& log) {
    static const QRegularExpression byteLine(QStringLiteral("\\] (->|<-) ((?:[0-9A-F]{2} ?)+)"));
    LineTraffic t;
    for (const QString& line : log.split(QLatin1Char('\n'))) {
        if (line.contains(QStringLiteral("command: "))) {
            ++t.exchanges;
            t.answerBytes.push_back(0);
            continue;
        }
        const QRegularExpressionMatch match = byteLine.match(line);
        if (!match.hasMatch()) continue;
        const long count = match.captured(2).split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
        if (match.captured(1) == QStringLiteral("<-")) {
            t.bytesToDevice += count;
        } else {
            t.bytesFromDevice += count;
            if (!t.answerBytes.empty()) t.answerBytes.back() += count;
        }
    }
    return t;
}

QString Option(const QStringList& args, const QString& name, const QString& fallback) {
    for (const QString& a : args) {
        if (a.startsWith(name + QLatin1Char('='))) return a.mid(name.size() + 1);
    }
    return fallback;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int delay = Option(args, QStringLiteral("--delay"), QStringLiteral("350")).toInt();
    const bool echo = args.contains(QStringLiteral("--echo"));
    QStringList emulatorOptions{QStringLiteral("--dives=") + Option(args, QStringLiteral("--dives"), QStringLiteral("large"))};
    if (echo) emulatorOptions << QStringLiteral("--echo");

    try {
        vyper::testing::EmulatorProcess emulator(QStringLiteral(VYPER_EMULATOR_PATH), emulatorOptions);
        QTemporaryDir folder;
        MemorySettingsStore settings;
        settings.Save(QStringLiteral("Ports"), QStringLiteral("COM2"), emulator.DevicePath());
        settings.Save(QStringLiteral("CommPort"), QStringLiteral("InterfaceType"),
                      echo ? QStringLiteral("Selbstbau (mit Echo)") : QStringLiteral("Original Suunto (ohne Echo)"));
        settings.Save(QStringLiteral("CommPort"), QStringLiteral("Delay"), QString::number(delay));
        PosixSerialControl serial([&settings](int port) { return DevicePathForPort(settings, port); });
        SilentBoxes boxes;
        const bool writeInWindow = args.contains(QStringLiteral("--write-in-window"));
        SystemWaits asideWaits;
        InWindowWaits inWindowWaits;
        Waits& waits = writeInWindow ? static_cast<Waits&>(inWindowWaits) : asideWaits;
        const auto noDevices = [] { return std::vector<SerialDeviceChoice>{}; };
        const int syncMs = Option(args, QStringLiteral("--slow-sync"), QStringLiteral("0")).toInt();
        SlowSyncFileWriter files(syncMs);
        const bool logged = !args.contains(QStringLiteral("--no-log"));
        QTemporaryDir stateFolder;
        const QString logFile = Option(args, QStringLiteral("--transfer-log"), QString());
        const std::unique_ptr<FileTransferLog> fileLog =
            logFile.isEmpty() ? FileTransferLog::InFolder(stateFolder.path()) : FileTransferLog::AtPath(logFile);
        TimedLog log(*fileLog);
        frmVyper window(Platform{serial, settings, boxes, waits, files, AppInfo{folder.path(), 0, 7}, noDevices,
                                 logged ? &log : nullptr});

        std::printf("Downloading from the emulated dive computer (%s, delay %d ms, %s interface) ...\n",
                    qPrintable(emulatorOptions.first()), delay, echo ? "self-built" : "original");
        std::fflush(stdout);
        const double cpuBefore = CpuSeconds();
        QElapsedTimer clock;
        clock.start();

        // The longest time the window's thread went without returning to its event loop:
        // from waking up to the moment it is about to block again. Measured from the event
        // dispatcher's own signals, so that the measurement wakes nothing up itself.
        qint64 longestStall = 0;
        QElapsedTimer busy;
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        const QMetaObject::Connection woke = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [&] {
            if (!busy.isValid()) busy.start();
        });
        const QMetaObject::Connection blocks = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [&] {
            if (!busy.isValid()) return;
            longestStall = std::max(longestStall, busy.elapsed());
            busy.invalidate();
        });

        const double stopAfter = Option(args, QStringLiteral("--stop-after"), QStringLiteral("0")).toDouble();
        qint64 stopClickedAt = -1;
        qint64 stopEndedAt = -1;
        long bytesToDeviceAtStop = 0;
        if (stopAfter > 0) {
            QTimer::singleShot(static_cast<int>(stopAfter * 1000), [&] {
                bytesToDeviceAtStop = TrafficFromLog(emulator.Log()).bytesToDevice;
                stopClickedAt = clock.elapsed();
                window.cmdStop->click();
            });
        }
        window.cmdDownload->click();
        // The transfer has ended when it says so and its last tick has returned.
        while ((window.Module().TransferActive || window.Module().InTick) && clock.elapsed() < 60 * 60 * 1000) {
            // Blocks until something happens: the benchmark must not spin, or its own CPU
            // time would count as the program's.
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (stopClickedAt >= 0 && stopEndedAt < 0 && !window.Module().InTick && !window.Module().TransferActive) {
                stopEndedAt = clock.elapsed();
            }
        }
        if (stopClickedAt >= 0 && stopEndedAt < 0) stopEndedAt = clock.elapsed();
        QObject::disconnect(woke);
        QObject::disconnect(blocks);
        const double wallSeconds = static_cast<double>(clock.elapsed()) / 1000.0;
        const double cpuSeconds = CpuSeconds() - cpuBefore;

        const LineTraffic t = TrafficFromLog(emulator.Log());
        const QString saveLog = Option(args, QStringLiteral("--save-log"), QString());
        if (!saveLog.isEmpty()) {
            QFile out(saveLog);
            if (out.open(QIODevice::WriteOnly)) out.write(emulator.Log().toUtf8());
        }
        const int stored = static_cast<int>(QDir(window.Module().ProfileFolder).entryList({QStringLiteral("*.txt")}, QDir::Files).size());
        const double perExchangeMs = kSendPausesMs + 5.0 * delay + kTickMs;
        const double lineSeconds = static_cast<double>(t.bytesToDevice + t.bytesFromDevice) * kSecondsPerByte;
        const double bound = lineSeconds + t.exchanges * perExchangeMs / 1000.0;
        // The answer arrives while the program pauses after its command, so the line time
        // only counts where an answer outlasts that pause.
        double overlapped = 0;
        for (long answer : t.answerBytes) {
            overlapped += (kTickMs + 12 + std::max(100.0 + 5.0 * delay, answer * kSecondsPerByte * 1000.0)) / 1000.0;
        }

        std::printf("dives converted:               %d (%d files stored), failed exchanges: %d\n",
                    static_cast<int>(window.Module().DivesConverted), stored, static_cast<int>(window.Module().ErrorCount));
        std::printf("exchanges:                     %d\n", t.exchanges);
        std::printf("bytes on the line:             %ld (%ld from the device, %ld to it)\n",
                    t.bytesFromDevice + t.bytesToDevice, t.bytesFromDevice, t.bytesToDevice);
        std::printf("measured wall time:            %.1f s\n", wallSeconds);
        std::printf("line time + fixed pauses:      %.1f s (line %.1f s + %d x %.0f ms of pauses)\n", bound, lineSeconds,
                    t.exchanges, perExchangeMs);
        std::printf("ratio measured / (line + pauses): %.3f\n", wallSeconds / bound);
        std::printf("lower bound with each answer arriving during its pause: %.1f s, ratio %.3f\n", overlapped,
                    wallSeconds / overlapped);
        std::printf("program CPU time:              %.2f s (%.1f %% of the wall time, %.3f ms per byte from the device)\n",
                    cpuSeconds, 100.0 * cpuSeconds / wallSeconds,
                    t.bytesFromDevice > 0 ? 1000.0 * cpuSeconds / static_cast<double>(t.bytesFromDevice) : 0.0);
        std::printf("longest event-loop stall:      %lld ms\n", static_cast<long long>(longestStall));
        std::printf("profile file syncs:            %d, each %d ms longer, files written %s\n", files.syncs.load(), syncMs,
                    writeInWindow ? "in the window's thread" : "beside the window's loop");
        if (logged) {
            std::printf("transfer log:                  %.1f KB, %ld calls, %.1f ms inside them (%.2f us per byte on the "
                        "line, longest call %.2f ms)\n",
                        static_cast<double>(QFileInfo(fileLog->Path()).size()) / 1024.0, log.calls,
                        std::chrono::duration<double, std::milli>(log.spent).count(),
                        std::chrono::duration<double, std::micro>(log.spent).count() /
                            static_cast<double>(std::max(t.bytesFromDevice + t.bytesToDevice, 1L)),
                        std::chrono::duration<double, std::milli>(log.longest).count());
        } else {
            std::printf("transfer log:                  none (--no-log)\n");
        }
        if (stopClickedAt >= 0) {
            const long sentAfterStop = t.bytesToDevice - bytesToDeviceAtStop;
            std::printf("Stop clicked after %.1f s:      transfer ended %lld ms later, %ld bytes sent after the click\n",
                        static_cast<double>(stopClickedAt) / 1000.0, static_cast<long long>(stopEndedAt - stopClickedAt),
                        sentAfterStop);
        }
        if (args.contains(QStringLiteral("--messages"))) {
            for (const QString& line : window.lstVyperComm->Items()) std::printf("| %s\n", qPrintable(line));
        }
        return window.timDownLoadCtrl->Interval() == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "download_benchmark: %s\n", e.what());
        return 2;
    }
}
