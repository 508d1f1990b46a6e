// The support log of a transfer: the file it is written to (lines, times, rotation, a folder
// that cannot be written), the serial control that logs every byte, the core's ends with and
// without a log, and the whole program against the emulated dive computer, whose own log of
// the line must match ours byte for byte.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cerrno>
#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <tuple>

#include "link/UserChoices.h"
#include "platform/FileTransferLog.h"
#include "platform/LoggingSerialControl.h"
#include "platform/PortDevices.h"
#include "support/CoreRig.h"
#include "support/DiveBytes.h"
#include "support/E2eSession.h"
#include "support/EmulatorProcess.h"
#include "transfer/ReceivePoll.h"
#include "transfer/TransferControl.h"
#include "transfer/TransferStop.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

// 7 December 2026, 19:03:04.123 local time, and later moments of that day.
int64_t At(int hour, int minute, int second, int ms) {
    return QDateTime(QDate(2026, 12, 7), QTime(hour, minute, second, ms)).toMSecsSinceEpoch();
}

std::string Hex(const QByteArray& bytes) { return bytes.toHex(' ').toStdString(); }

// The names of stored files, for readable messages.
std::string Names(const std::map<QString, QByteArray>& files) {
    QStringList names;
    for (const auto& [name, bytes] : files) names << name;
    return Text(names);
}

QStringList FileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {QStringLiteral("<missing: %1>").arg(path)};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

// A log whose clock the test sets.
struct ClockedLog {
    explicit ClockedLog(const QString& folder) : log(FileTransferLog::InFolder(folder, kKeptTransferLogs, [this] { return now; })) {}
    int64_t now = At(19, 3, 4, 123);
    std::unique_ptr<FileTransferLog> log;
};

// A log whose disk is full after `room` bytes.
class FullDiskLog : public FileTransferLog {
public:
    using FileTransferLog::Place;
    FullDiskLog(Place place, const QString& where, std::size_t room) : FileTransferLog(place, where, kKeptTransferLogs, {}), room_(room) {}

protected:
    ssize_t WriteSome(int fd, const char* data, std::size_t size) override {
        if (room_ == 0) {
            errno = ENOSPC;
            return -1;
        }
        const ssize_t written = FileTransferLog::WriteSome(fd, data, std::min(size, room_));
        if (written > 0) room_ -= static_cast<std::size_t>(written);
        return written;
    }

private:
    std::size_t room_;
};

// Records what the core reports; what comes after End (until the next Begin) apart.
class RecordingLog : public TransferLog {
public:
    void Begin(const QString& title) override {
        titles << title;
        open = true;
    }
    void Sent(QByteArrayView bytes) override { (open ? sent : outside).append(bytes.toByteArray()); }
    void Received(QByteArrayView bytes) override { (open ? received : outside).append(bytes.toByteArray()); }
    void Note(const QString& line) override { (open ? notes : notesOutside) << line; }
    void End(const QString& outcome) override {
        ends << outcome;
        open = false;
    }
    QString Path() const override { return path; }
    QString Problem() const override { return problem; }
    // The lines the message list got during the transfer, as the log has them.
    QStringList MessageLines() const {
        QStringList lines;
        for (const QString& note : notes) {
            if (note.startsWith(QStringLiteral("Meldung: "))) lines << note.mid(9);
        }
        return lines;
    }

    bool open = false;
    QStringList titles, notes, notesOutside, ends;
    QByteArray sent, received, outside;
    QString path = QStringLiteral("/state/transfer-2026-12-07T19-03-04.log");
    QString problem;
};

}  // namespace

// Every event is one line with its local time to the millisecond; bytes of one direction
// share a line while nothing comes between them, within 50 ms of each other, 48 at most.
TEST(TransferLogFile, WritesEachEventAsALineWithItsTime) {
    QTemporaryDir folder;
    ClockedLog c(folder.path());
    FileTransferLog& log = *c.log;
    log.Begin(QStringLiteral("Vyper-Grundelnetz 1.0.7 · Tauchgänge übertragen · COM2 = /dev/ttyUSB0"));
    const struct {
        int64_t at;
        char kind;  // > sent, < received, n note, e end
        QByteArray bytes;
        QString text;
    } events[] = {
        {At(19, 3, 4, 200), '>', "\x08\xA5", {}},
        {At(19, 3, 4, 212), '>', "\xAD", {}},  // 12 ms later: the same line
        {At(19, 3, 4, 400), '<', "\x09\x20", {}},
        {At(19, 3, 4, 449), '<', QByteArray(1, '\0'), {}},  // 49 ms: still the same line
        {At(19, 3, 4, 499), '<', "\x01", {}},  // 50 ms: a new one
        {At(19, 3, 4, 500), '<', QByteArray(49, '\x7F'), {}},  // fills the line to 48, two more
        {At(19, 3, 4, 510), 'n', {}, QStringLiteral("Meldung: 35 Zeichen empfangen. CRC OK")},
        {At(19, 3, 4, 511), '<', "\xFF", {}},  // after a note: a new line
        {At(19, 3, 4, 512), '>', "\x09", {}},  // the other direction: a new line
        {At(19, 3, 5, 7), 'n', {}, QStringLiteral("zwei\nZeilen °")},
        {At(19, 3, 6, 0), 'e', {}, QStringLiteral("Fehlergrenze erreicht; in Ordnung")},
    };
    for (const auto& e : events) {
        c.now = e.at;
        switch (e.kind) {
        case '>': log.Sent(e.bytes); break;
        case '<': log.Received(e.bytes); break;
        case 'n': log.Note(e.text); break;
        default: log.End(e.text); break;
        }
    }
    const QString full = QStringLiteral(" 7F").repeated(48);
    EXPECT_EQ(log.Path().toStdString(), folder.filePath(QStringLiteral("transfer-2026-12-07T19-03-04.log")).toStdString());
    EXPECT_EQ(Text(FileLines(log.Path())), Text(QStringList{
                                         QStringLiteral("2026-12-07 19:03:04.123 Vyper-Grundelnetz 1.0.7 · Tauchgänge übertragen · COM2 = /dev/ttyUSB0"),
                                         QStringLiteral("19:03:04.200 → 08 A5 AD"),
                                         QStringLiteral("19:03:04.400 ← 09 20 00"),
                                         QStringLiteral("19:03:04.499 ← 01") + full.left(47 * 3),
                                         QStringLiteral("19:03:04.500 ← 7F 7F"),
                                         QStringLiteral("19:03:04.510 · Meldung: 35 Zeichen empfangen. CRC OK"),
                                         QStringLiteral("19:03:04.511 ← FF"),
                                         QStringLiteral("19:03:04.512 → 09"),
                                         QStringLiteral("19:03:05.007 · zwei Zeilen °"),
                                         QStringLiteral("19:03:06.000 Ende: Fehlergrenze erreicht; in Ordnung"),
                                         QString(),
                                     }));
    // After its end the log takes nothing more until the next transfer begins.
    log.Note(QStringLiteral("danach"));
    EXPECT_EQ(FileLines(log.Path()).size(), 11);
}

// The file is on disk as the transfer goes, not only at its end: at every note, and at the
// latest a second after bytes that no note follows.
TEST(TransferLogFile, IsWrittenAtNotesAndAtLeastEverySecond) {
    QTemporaryDir folder;
    ClockedLog c(folder.path());
    c.log->Begin(QStringLiteral("Titel"));
    const QString path = c.log->Path();
    c.log->Sent("\x08");
    EXPECT_EQ(FileLines(path).size(), 2) << "the first line only";
    c.now += 10;
    c.log->Note(QStringLiteral("Warten beendet"));
    EXPECT_EQ(Text(FileLines(path).mid(1, 2)), Text({QStringLiteral("19:03:04.123 → 08"), QStringLiteral("19:03:04.133 · Warten beendet")}));
    c.now += 500;
    c.log->Received("\x01");
    EXPECT_EQ(FileLines(path).size(), 4) << "half a second: still in memory";
    c.now += 500;
    c.log->Received("\x02");
    EXPECT_EQ(Text(FileLines(path).mid(3)), Text({QStringLiteral("19:03:04.633 ← 01"), QStringLiteral("19:03:05.133 ← 02")}));
    // A log left open ends when it goes.
    c.log.reset();
    EXPECT_EQ(FileLines(path).value(5).toStdString(), "19:03:05.133 Ende: nicht abgeschlossen (Programm beendet)");
}

// A new transfer deletes the oldest logs so that, with its own, the newest 20 remain; the
// folder's other files stay. Names sort by their start time, a second log of the same
// second after the first.
TEST(TransferLogFile, KeepsOnlyTheNewestTwentyLogs) {
    QTemporaryDir folder;
    QStringList old;
    for (int day = 1; day <= 22; ++day) old << QStringLiteral("transfer-2026-11-%1T08-00-00.log").arg(day, 2, 10, QLatin1Char('0'));
    old << QStringLiteral("transfer-2026-11-22T08-00-00_2.log") << QStringLiteral("transfer-2026-11-22T08-00-00_10.log")
        << QStringLiteral("transfer-2025-12-31T23-59-59.log");
    const QStringList others{QStringLiteral("notes.txt"), QStringLiteral("transfer-old.log"), QStringLiteral("transfer-2026-11-01T08-00-00.log.bak")};
    for (const QString& name : old + others) WriteAll(folder.filePath(name), "x");

    ClockedLog c(folder.path());
    c.log->Begin(QStringLiteral("Titel"));
    c.log->End(QStringLiteral("in Ordnung"));

    QStringList expected = others;
    for (int day = 6; day <= 22; ++day) expected << QStringLiteral("transfer-2026-11-%1T08-00-00.log").arg(day, 2, 10, QLatin1Char('0'));
    expected << QStringLiteral("transfer-2026-11-22T08-00-00_2.log") << QStringLiteral("transfer-2026-11-22T08-00-00_10.log")
             << QStringLiteral("transfer-2026-12-07T19-03-04.log");
    expected.sort();
    EXPECT_EQ(Text(QDir(folder.path()).entryList(QDir::Files, QDir::Name)), Text(expected));

    // A second transfer in the same second gets a name of its own; the oldest goes.
    c.log->Begin(QStringLiteral("Titel"));
    EXPECT_EQ(c.log->Path().toStdString(), folder.filePath(QStringLiteral("transfer-2026-12-07T19-03-04_2.log")).toStdString());
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("transfer-2026-11-06T08-00-00.log"))));
}

TEST(TransferLogFile, TheStateFolderFollowsXdgStateHomeOrFallsBackToTheHome) {
    const struct {
        const char* stateHome;
        const char* home;
        const char* folder;
    } cases[] = {
        {"/data/state", "/home/anna", "/data/state/Vyper-Grundelnetz"},
        {"", "/home/anna", "/home/anna/.local/state/Vyper-Grundelnetz"},
        {"state", "/home/anna", "/home/anna/.local/state/Vyper-Grundelnetz"},  // relative: invalid
        {"./state", "/home/anna", "/home/anna/.local/state/Vyper-Grundelnetz"},
        {"", "", ""},
        {"/data/state", "", "/data/state/Vyper-Grundelnetz"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TransferLogFolder(QString::fromUtf8(c.stateHome), QString::fromUtf8(c.home)).toStdString(), c.folder)
            << c.stateHome << " / " << c.home;
    }

    // The program's own log reads the environment.
    QTemporaryDir home;
    const QByteArray savedHome = qgetenv("HOME");
    const std::optional<QByteArray> savedState =
        qEnvironmentVariableIsSet("XDG_STATE_HOME") ? std::optional(qgetenv("XDG_STATE_HOME")) : std::nullopt;
    qputenv("HOME", home.path().toUtf8());
    for (const QByteArray& stateHome : {home.filePath(QStringLiteral("st")).toUtf8(), QByteArray("relative/st")}) {
        qputenv("XDG_STATE_HOME", stateHome);
        const std::unique_ptr<FileTransferLog> log = FileTransferLog::InStateFolder();
        log->Begin(QStringLiteral("Titel"));
        const QString folder = stateHome.startsWith('/') ? home.filePath(QStringLiteral("st/Vyper-Grundelnetz"))
                                                         : home.filePath(QStringLiteral(".local/state/Vyper-Grundelnetz"));
        EXPECT_EQ(QFileInfo(log->Path()).absolutePath().toStdString(), folder.toStdString()) << stateHome.constData();
        EXPECT_TRUE(QFile::exists(log->Path()));
    }
    qputenv("HOME", savedHome);
    if (savedState) qputenv("XDG_STATE_HOME", *savedState);
    else qunsetenv("XDG_STATE_HOME");
}

// A log that cannot be created or written is kept nowhere and says why; what comes after
// changes nothing. A file of the state folder is removed, one the user named stays as far
// as it got.
TEST(TransferLogFile, ALogThatCannotBeWrittenIsKeptNowhereAndSaysWhy) {
    QTemporaryDir dir;
    WriteAll(dir.filePath(QStringLiteral("plain")), "a file, no folder");
    const QString noSpace = QString::fromLocal8Bit(std::strerror(ENOSPC));
    const struct {
        const char* name;
        std::function<std::unique_ptr<FileTransferLog>()> make;
        QString problem;           // contained in Problem()
        QStringList filesLeft;     // in dir/st afterwards
    } cases[] = {
        {"folder below a file", [&] { return FileTransferLog::InFolder(dir.filePath(QStringLiteral("plain/st"))); },
         QStringLiteral("kann nicht angelegt werden"), {}},
        {"no folder at all", [] { return FileTransferLog::InFolder(QString()); }, QStringLiteral("$HOME"), {}},
        {"named file in a missing folder", [&] { return FileTransferLog::AtPath(dir.filePath(QStringLiteral("gone/x.log"))); },
         QString::fromLocal8Bit(std::strerror(ENOENT)), {}},
        {"state folder, disk full at the start",
         [&] { return std::unique_ptr<FileTransferLog>(new FullDiskLog(FullDiskLog::Place::Folder, dir.filePath(QStringLiteral("st")), 0)); },
         noSpace, {}},
        {"state folder, disk full later",
         [&] { return std::unique_ptr<FileTransferLog>(new FullDiskLog(FullDiskLog::Place::Folder, dir.filePath(QStringLiteral("st")), 200)); },
         noSpace, {}},
        {"named file, disk full later",
         [&] { return std::unique_ptr<FileTransferLog>(new FullDiskLog(FullDiskLog::Place::File, dir.filePath(QStringLiteral("st/named.log")), 200)); },
         noSpace, {QStringLiteral("named.log")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(dir.filePath(QStringLiteral("st"))).removeRecursively();
        QDir().mkpath(dir.filePath(QStringLiteral("st")));
        std::unique_ptr<FileTransferLog> log = c.make();
        log->Begin(QStringLiteral("Vyper-Grundelnetz · Tauchgänge übertragen · COM2 = /dev/ttyUSB0 · Interface: Original"));
        for (int i = 0; i < 20; ++i) {
            log->Sent("\x08\xA5\xAD");
            log->Received(QByteArray(35, '\x11'));
            log->Note(QStringLiteral("Warten beendet"));
        }
        log->End(QStringLiteral("in Ordnung"));
        EXPECT_TRUE(log->Path().isEmpty()) << qPrintable(log->Path());
        EXPECT_TRUE(log->Problem().contains(c.problem)) << qPrintable(log->Problem());
        EXPECT_EQ(Text(QDir(dir.filePath(QStringLiteral("st"))).entryList(QDir::Files)), Text(c.filesLeft));
    }
}

// The command line's --log FILE: the first transfer replaces the file, a second follows it;
// nothing else in its folder is touched.
TEST(TransferLogFile, ANamedFileIsReplacedOnceThenAppendedTo) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vyper.log"));
    WriteAll(path, "old content\n");
    for (int day = 1; day <= 25; ++day) WriteAll(dir.filePath(QStringLiteral("transfer-2026-11-%1T08-00-00.log").arg(day, 2, 10, QLatin1Char('0'))), "x");
    int64_t now = At(8, 0, 0, 0);
    const std::unique_ptr<FileTransferLog> log = FileTransferLog::AtPath(path, [&now] { return now; });
    for (const char* title : {"Einstellungen auslesen", "Tauchgänge übertragen"}) {
        log->Begin(QString::fromUtf8(title));
        now += 1000;
        log->End(QStringLiteral("in Ordnung"));
        EXPECT_EQ(log->Path().toStdString(), path.toStdString());
    }
    EXPECT_EQ(Text(FileLines(path)), Text({QStringLiteral("2026-12-07 08:00:00.000 Einstellungen auslesen"),
                                            QStringLiteral("08:00:01.000 Ende: in Ordnung"), QString(),
                                            QStringLiteral("2026-12-07 08:00:01.000 Tauchgänge übertragen"),
                                            QStringLiteral("08:00:02.000 Ende: in Ordnung"), QString()}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 26);
}

// The logging serial control hands every setting and call to the line and logs each byte
// that passes, whichever way it is read.
TEST(LoggingSerialControl, PassesEverythingOnAndLogsEveryByte) {
    FakeSerialControl line;
    line.deviceName = QStringLiteral("/dev/ttyUSB0");
    RecordingLog log;
    log.open = true;
    int events = 0;
    {
        LoggingSerialControl logged(line, log);
        logged.OnComm = [&events] { ++events; };
        logged.SetCommPort(3);
        logged.SetSettings(QStringLiteral("2400,o,8,1"));
        logged.SetDTREnable(true);
        logged.SetInputLen(1);
        logged.SetRThreshold(1);
        logged.SetInBufferSize(32640);
        logged.SetPortOpen(true);
        EXPECT_TRUE(line.PortOpen() && logged.PortOpen());
        EXPECT_EQ(std::tuple(line.CommPort(), line.Settings().toStdString(), line.DTREnable(), line.RTSEnable(), line.InputLen(), line.RThreshold(), line.InBufferSize()),
                  std::tuple(3, std::string("2400,o,8,1"), true, false, 1, 1, 32640));
        EXPECT_EQ(logged.DeviceName().toStdString(), "/dev/ttyUSB0");

        const std::size_t rtsBefore = line.rtsHistory.size();
        logged.SetRTSEnable(true);
        ASSERT_EQ(line.rtsHistory.size(), rtsBefore + 1);
        EXPECT_TRUE(line.rtsHistory.back());
        logged.Output(QByteArray("\x08\xA5", 2));
        logged.Output(QByteArray("\xAD", 1));
        EXPECT_EQ(Hex(line.sent), "08 a5 ad");

        line.Receive(QByteArray("\x09\x03\x00\x01\x02", 5));
        line.OnComm();
        EXPECT_EQ(events, 1);
        EXPECT_EQ(logged.InBufferCount(), 5);
        EXPECT_EQ(logged.InputByte(), 0x09);
        EXPECT_EQ(logged.Input(), QByteArray("\x03", 1));  // InputLen 1, handed to the line
        EXPECT_EQ(logged.InputByte(), 0x00);
        EXPECT_EQ(logged.InputByte(), 0x01);
        EXPECT_EQ(logged.InputByte(), 0x02);
        EXPECT_EQ(logged.InputByte(), -1);
        EXPECT_EQ(Hex(log.sent), "08 a5 ad");
        EXPECT_EQ(Hex(log.received), "09 03 00 01 02");

        // A lost device is noted once; its refused write is noted and thrown on.
        line.deviceLost = true;
        EXPECT_TRUE(logged.DeviceLost());
        EXPECT_TRUE(logged.DeviceLost());
        EXPECT_THROW(logged.Output(QByteArray("\x09", 1)), SerialFailure);
        EXPECT_EQ(Hex(log.sent), "08 a5 ad");
        logged.SetPortOpen(false);
        EXPECT_FALSE(line.PortOpen());
        EXPECT_EQ(Text(log.notes), Text({QStringLiteral("Gerät nicht mehr da: /dev/ttyUSB0"),
                                          QStringLiteral("Senden abgelehnt: Verbindung unterbrochen"),
                                          QStringLiteral("Schnittstelle geschlossen")}));
    }
    EXPECT_FALSE(static_cast<bool>(line.OnComm)) << "a gone control must not receive the line's events";
}

namespace {

QByteArray Dive(int day, std::vector<int> samples) {
    samples.push_back(128);
    return Bytes(DiveAnswer({24, 7, day, 14, 5, 30, 0, 24, 1, 30, 0, 18}, samples));
}

// The core on the fakes with a dive computer that answers every command at once: a memory
// read with 32 zero bytes, a dive request with the next dive in packets.
struct DeviceRig {
    explicit DeviceRig(TransferLog* log)
        : m(WithLog(p.Services(), log), CoreSeams{messages, files, counters, choices, choices, choices, control, poll}) {
        m.ProfileFolder = JoinPath(p.programFolder.path(), QStringLiteral("Tauchprofile"));
        QDir().mkdir(m.ProfileFolder);
        p.serial.onOutput = [this](const QByteArray& bytes) { OnOutput(bytes); };
        p.waits.onDoEvents = [this] {
            while (p.serial.InBufferCount() > 0) comVyper_OnComm(m);
        };
        p.waits.onSleep = [this](int) {
            if (onPause) onPause(*this);
        };
    }
    static Platform WithLog(Platform platform, TransferLog* log) {
        platform.log = log;
        return platform;
    }
    std::map<QString, QByteArray> ProfileFilesBytes() const {
        std::map<QString, QByteArray> stored;
        const QDir dir(m.ProfileFolder);
        for (const QString& name : dir.entryList(QDir::Files)) stored[name] = ReadAll(dir.filePath(name));
        return stored;
    }
    // The message list's or the log's lines with the profile folder, which differs from rig
    // to rig, named alike.
    QStringList SameFolder(QStringList lines) const {
        for (QString& line : lines) line.replace(m.ProfileFolder, QStringLiteral("<Tauchprofile>"));
        return lines;
    }
    void Run(bool settings) {
        settings ? cmdGetVyperSettings_Click(m) : cmdDownload_Click(m);
        for (int ticks = 0; control.interval > 0 && ticks < 50; ++ticks) timDownLoadCtrl_Timer(m);
    }

    TestPlatform p;
    RecordingSink messages;
    RecordingSink files;
    RecordingCounters counters;
    FixedChoices choices;
    RecordingTimer control;
    RecordingTimer poll;
    VyperComm m;

    std::vector<QByteArray> dives = {Dive(15, {10, 10, 122, 246, 2, 254}), Dive(14, std::vector<int>(40, 2)),
                                     Dive(12, {20, 20, 20, 236, 236, 236})};
    bool silent = false;
    int spoiltDive = -1;                          // its first packet has a wrong checksum
    std::function<void(DeviceRig&)> onCommand;    // after each whole command
    std::function<void(DeviceRig&)> onPause;      // after each pause of the program
    int commands = 0;
    QByteArray delivered;                         // every byte the device put on the line

private:
    void OnOutput(const QByteArray& bytes) {
        command_ += bytes;
        const int code = static_cast<unsigned char>(command_[0]);
        const bool whole = ((code == 0x08 || code == 0x09) && command_.size() == 3) || (code == 0x05 && command_.size() == 5);
        if (!whole) return;
        const QByteArray command = command_;
        command_.clear();
        ++commands;
        if (onCommand) onCommand(*this);
        if (silent || p.serial.deviceLost || !p.serial.PortOpen()) return;
        if (code == 0x05) {
            Deliver(WithChecksum(command.left(4) + QByteArray(32, '\0')));
            return;
        }
        next_ = code == 0x08 ? 0 : next_ + 1;
        if (next_ < dives.size()) Deliver(Packets(dives[next_], 0x09, static_cast<int>(next_) == spoiltDive ? 0 : -1));
    }
    void Deliver(const QByteArray& bytes) {
        p.serial.Receive(bytes);
        delivered += bytes;
    }

    QByteArray command_;
    std::size_t next_ = 0;
};

}  // namespace

// A transfer with a log shows the user exactly what it shows without one; only a failed
// transfer adds one line at the very end, naming the log. Every byte both ways and every line
// of the message list are in the log, between its first line and its end.
TEST(TransferLogCore, OnlyAFailedTransferNamesItsLogAndTheLogHoldsEverything) {
    const struct {
        const char* name;
        bool settings;
        std::function<void(DeviceRig&)> setUp;
        bool failed;
        const char* cause;  // in the log's outcome
    } cases[] = {
        {"settings read, every block answered", true, {}, false, "alle Speicherblöcke abgefragt"},
        {"settings read, silent device", true, [](DeviceRig& r) { r.silent = true; }, true, "alle Speicherblöcke abgefragt"},
        {"download, three dives, then the end of the memory", false, {}, false, "Fehlergrenze erreicht"},
        {"download, silent device", false, [](DeviceRig& r) { r.silent = true; }, true, "Fehlergrenze erreicht"},
        {"download, the second dive spoilt", false, [](DeviceRig& r) { r.spoiltDive = 1; }, true, "Fehlergrenze erreicht"},
        {"download, two dives asked for", false, [](DeviceRig& r) { r.choices.diveCountText = QStringLiteral("2"); }, false,
         "gewünschte Anzahl"},
        {"download, the device goes away at the second request", false,
         [](DeviceRig& r) { r.onCommand = [](DeviceRig& d) { d.p.serial.deviceLost = d.commands == 2; }; }, true, "Gerät nicht mehr da"},
        {"download, Stop during the second request's pause", false,
         [](DeviceRig& r) {
             r.onPause = [](DeviceRig& d) {
                 if (d.commands == 2 && d.m.TransferActive) cmdStop_Click(d.m);
             };
         },
         false, "Stop"},
        {"download, the self-built interface chosen, the cable does not echo", false,
         [](DeviceRig& r) { r.choices.interfaceText = kInterfaceSelfBuilt; }, true, "Interface-Typ"},
        {"download, the disk full from the first dive on", false, [](DeviceRig& r) { r.p.files.bytesUntilFull = 0; }, true,
         "Fehlergrenze erreicht"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceRig plain(nullptr);
        if (c.setUp) c.setUp(plain);
        plain.Run(c.settings);

        RecordingLog log;
        DeviceRig logged(&log);
        if (c.setUp) c.setUp(logged);
        logged.Run(c.settings);

        QStringList expected = plain.SameFolder(plain.messages.lines);
        if (c.failed) expected << QStringLiteral("Protokoll dieser Übertragung: /state/transfer-2026-12-07T19-03-04.log");
        EXPECT_EQ(Text(logged.SameFolder(logged.messages.lines)), Text(expected));
        EXPECT_EQ(Text(logged.files.lines), Text(plain.files.lines));
        EXPECT_TRUE(logged.ProfileFilesBytes() == plain.ProfileFilesBytes()) << Names(logged.ProfileFilesBytes());
        EXPECT_EQ(logged.p.boxes.shown.size(), plain.p.boxes.shown.size());

        ASSERT_EQ(log.titles.size(), 1);
        EXPECT_TRUE(log.titles[0].contains(c.settings ? QStringLiteral("Einstellungen auslesen") : QStringLiteral("Tauchgänge übertragen")))
            << qPrintable(log.titles[0]);
        EXPECT_TRUE(log.titles[0].contains(QStringLiteral("COM2"))) << qPrintable(log.titles[0]);
        ASSERT_EQ(log.ends.size(), 1);
        EXPECT_TRUE(log.ends[0].contains(QString::fromUtf8(c.cause))) << qPrintable(log.ends[0]);
        EXPECT_TRUE(log.ends[0].endsWith(c.failed ? QStringLiteral("fehlgeschlagen") : QStringLiteral("in Ordnung"))) << qPrintable(log.ends[0]);
        EXPECT_EQ(Hex(log.sent), Hex(logged.p.serial.sent));
        EXPECT_EQ(Hex(log.received), Hex(logged.delivered));
        EXPECT_TRUE(log.outside.isEmpty());
        // Lines before the log began (none) and the one naming the log after its end are not in it.
        EXPECT_EQ(Text(logged.SameFolder(log.MessageLines())), Text(plain.SameFolder(plain.messages.lines)));
        const qsizetype waits = std::count_if(log.notes.begin(), log.notes.end(),
                                              [](const QString& n) { return n.startsWith(QStringLiteral("Warten beendet nach ")); });
        EXPECT_GE(waits, logged.commands - 1);
        EXPECT_LE(waits, logged.commands);
    }
}

// The decisions about each dive are in the log in words, with the file's name.
TEST(TransferLogCore, NamesEveryDecisionAboutADive) {
    RecordingLog log;
    DeviceRig r(&log);
    r.spoiltDive = 1;
    r.Run(false);
    r.choices.overwrite = OverwritePolicy::Always;
    r.Run(false);  // the first and third dive again, stored already
    r.choices.overwrite = OverwritePolicy::Never;
    r.choices.onlyNew = true;
    r.Run(false);

    const QStringList names = r.files.lines.mid(0, 2);
    ASSERT_EQ(names.size(), 2);
    auto has = [&log](const QString& start) {
        return std::any_of(log.notes.begin(), log.notes.end(), [&start](const QString& n) { return n.startsWith(start); });
    };
    for (const QString& line : {
             QStringLiteral("Gespeichert: ") + JoinPath(r.m.ProfileFolder, names[0]),
             QStringLiteral("Gespeichert: ") + JoinPath(r.m.ProfileFolder, names[1]),
             QStringLiteral("Tauchgang verloren: der 2. vom neuesten an (14.07.2024, 14:05 Uhr), Paket mit falscher Prüfsumme"),
             QStringLiteral("Fehlerzahl jetzt 1: Tauchgang unvollständig"),
             QStringLiteral("Fehlerzahl jetzt 2: kein Tauchgang in der Antwort (0 Bytes Nutzdaten)"),
             QStringLiteral("Datei gibt es schon, wird überschrieben: ") + names[0],
             QStringLiteral("Datei gibt es schon, nur neue Tauchgänge gewünscht: ") + names[0],
             QStringLiteral("Warten beendet nach "),
             QStringLiteral("Anfrage: neuester Tauchgang (Nr. 1)"),
             QStringLiteral("Anfrage: nächster Tauchgang"),
         }) {
        EXPECT_TRUE(has(line)) << qPrintable(line) << "\n" << Text(log.notes);
    }
    ASSERT_EQ(log.ends.size(), 3);
    EXPECT_TRUE(log.ends[0].endsWith(QStringLiteral("; fehlgeschlagen"))) << qPrintable(log.ends[0]);
    EXPECT_TRUE(log.ends[2].endsWith(QStringLiteral("; in Ordnung"))) << qPrintable(log.ends[2]);
    EXPECT_TRUE(log.ends[2].startsWith(QStringLiteral("bereits gespeicherter Tauchgang, nur neue gewünscht; 1 Tauchgänge gelesen, 0 gespeichert")))
        << qPrintable(log.ends[2]);
}

namespace {

// The whole program against the emulator, as E2eSession's Program, with a transfer log.
struct LoggedProgram {
    LoggedProgram(const QString& devicePath, const QString& interfaceType, TransferLog* log)
        : serial([this](int port) { return DevicePathForPort(settings, port); }), waits(4) {
        settings.Save(QStringLiteral("Ports"), QStringLiteral("COM2"), devicePath);
        settings.Save(QStringLiteral("CommPort"), QStringLiteral("InterfaceType"), interfaceType);
        QDir(folder.path()).mkpath(QStringLiteral("Tauchprofile"));
        const auto noDevices = [] { return std::vector<SerialDeviceChoice>{}; };
        window = std::make_unique<frmVyper>(Platform{serial, settings, boxes, waits, files, AppInfo{folder.path(), 0, 7}, noDevices, log});
        window->txtComDelay->SetText(QStringLiteral("0"));
    }
    ~LoggedProgram() { window.reset(); }

    void Download() {
        window->cmdDownload->click();
        QElapsedTimer clock;
        clock.start();
        while (window->Module().TransferActive && clock.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_FALSE(window->Module().TransferActive) << "the transfer did not end";
    }
    // The message list, with the profile folder (a temporary one per program) named alike.
    QStringList Messages() const {
        QStringList lines = window->lstVyperComm->Lines();
        for (QString& line : lines) line.replace(window->Module().ProfileFolder, QStringLiteral("<Tauchprofile>"));
        return lines;
    }
    std::map<QString, QByteArray> Stored() const {
        std::map<QString, QByteArray> stored;
        const QDir dir(window->Module().ProfileFolder);
        for (const QString& name : dir.entryList(QDir::Files)) stored[name] = ReadAll(dir.filePath(name));
        return stored;
    }

    MemorySettingsStore settings;
    PosixSerialControl serial;
    RecordingMessageBoxes boxes;
    FastWaits waits;
    AtomicFileWriter files;
    QTemporaryDir folder;
    std::unique_ptr<frmVyper> window;
};

// The bytes of the byte lines of a log, per direction: ours ("→"/"←") or the emulator's
// ("<-" what it received, "->" what it sent), given as the program's view: sent, received.
std::pair<QByteArray, QByteArray> LoggedBytes(const QString& text, const QRegularExpression& line, const QString& sentMark) {
    std::pair<QByteArray, QByteArray> bytes;
    for (const QString& l : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = line.match(l);
        if (!match.hasMatch()) continue;
        QByteArray& into = match.captured(1) == sentMark ? bytes.first : bytes.second;
        for (const QString& hex : match.captured(2).split(QLatin1Char(' '), Qt::SkipEmptyParts)) into.append(static_cast<char>(hex.toInt(nullptr, 16)));
    }
    return bytes;
}

}  // namespace

class TransferLogEndToEnd : public ::testing::TestWithParam<int> {
protected:
    const QString& Type() const { return kInterfaceTypes[GetParam()]; }
};

INSTANTIATE_TEST_SUITE_P(BothInterfaces, TransferLogEndToEnd, ::testing::Values(0, 1),
                         [](const auto& info) { return ColumnName(info.param); });

// Every byte that the emulator says it received and sent is in our log, in the same order,
// and nothing else; the first line names the transfer, the last its outcome.
TEST_P(TransferLogEndToEnd, TheLogHoldsEveryByteOnTheLineInOrder) {
    QTemporaryDir state;
    const std::unique_ptr<FileTransferLog> log = FileTransferLog::InFolder(state.path());
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(Type()));
    LoggedProgram program(emulator.DevicePath(), Type(), log.get());
    program.Download();

    const QString ours = QString::fromUtf8(ReadAll(log->Path()));
    static const QRegularExpression ourLine(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} (→|←)((?: [0-9A-F]{2})+)$"));
    static const QRegularExpression emulatorLine(QStringLiteral("\\] (<-|->) ((?:[0-9A-F]{2} ?)+)"));
    const auto [sent, received] = LoggedBytes(ours, ourLine, QStringLiteral("→"));
    const auto [emulatorReceived, emulatorSent] = LoggedBytes(emulator.Log(), emulatorLine, QStringLiteral("<-"));
    EXPECT_EQ(sent.size(), 7 * 3) << "four dives and three requests beyond them, three bytes each";
    EXPECT_EQ(Hex(sent), Hex(emulatorReceived));
    EXPECT_FALSE(received.isEmpty());
    EXPECT_EQ(Hex(received), Hex(emulatorSent));

    const QStringList lines = ours.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    for (const QString& part : {QStringLiteral("Vyper-Grundelnetz 1."), QStringLiteral("Tauchgänge übertragen"),
                                QStringLiteral("COM2 = ") + emulator.DevicePath(), QStringLiteral("Interface: ") + Type(),
                                QStringLiteral("Verzögerung: 0 ms"), QStringLiteral("Max. Fehlerzahl: 3"), QStringLiteral("Anzahl: Alle")}) {
        EXPECT_TRUE(lines.first().contains(part)) << qPrintable(part) << " in " << qPrintable(lines.first());
    }
    EXPECT_TRUE(lines.last().contains(QStringLiteral(" Ende: Fehlergrenze erreicht; 4 Tauchgänge gelesen, 4 gespeichert, 0 verloren")))
        << qPrintable(lines.last());
    for (const auto& [name, bytes] : program.Stored()) {
        EXPECT_TRUE(ours.contains(QStringLiteral("· Gespeichert: ") + JoinPath(program.window->Module().ProfileFolder, name))) << qPrintable(name);
    }
}

// With a log, and with a state folder that cannot be written, the user sees what he sees
// without one and the same files are stored; a failed download (a silent device) adds the
// one line that names the log, or says why there is none.
TEST_P(TransferLogEndToEnd, OnlyAFailedDownloadAddsALineNamingItsLog) {
    QTemporaryDir state;
    WriteAll(state.filePath(QStringLiteral("plain")), "a file, no folder");
    const struct {
        const char* name;
        QStringList emulatorOptions;
        bool failed;
    } rows[] = {
        {"fault-free", {}, false},
        {"silent device", {QStringLiteral("--silent=1:3")}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QStringList plainMessages;
        std::map<QString, QByteArray> plainFiles;
        {
            EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(Type(), row.emulatorOptions));
            LoggedProgram program(emulator.DevicePath(), Type(), nullptr);
            program.Download();
            plainMessages = program.Messages();
            plainFiles = program.Stored();
        }
        for (const bool writable : {true, false}) {
            SCOPED_TRACE(writable ? "state folder" : "state folder below a file");
            const std::unique_ptr<FileTransferLog> log =
                FileTransferLog::InFolder(state.filePath(writable ? QStringLiteral("st") : QStringLiteral("plain/st")));
            EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(Type(), row.emulatorOptions));
            LoggedProgram program(emulator.DevicePath(), Type(), log.get());
            program.Download();
            QStringList expected = plainMessages;
            if (row.failed) {
                expected << (writable ? QStringLiteral("Protokoll dieser Übertragung: ") + log->Path()
                                      : QStringLiteral("Protokoll dieser Übertragung nicht gespeichert: Ordner %1 kann nicht angelegt werden")
                                            .arg(state.filePath(QStringLiteral("plain/st"))));
            }
            EXPECT_EQ(Text(program.Messages()), Text(expected));
            EXPECT_TRUE(program.Stored() == plainFiles) << Names(program.Stored()) << "\n" << Names(plainFiles);
            EXPECT_EQ(writable, QFile::exists(log->Path()));
            if (writable) {
                const QStringList lines = FileLines(log->Path());
                EXPECT_TRUE(lines.value(lines.size() - 2).endsWith(row.failed ? QStringLiteral("fehlgeschlagen") : QStringLiteral("in Ordnung")))
                    << qPrintable(lines.value(lines.size() - 2));
            }
        }
    }
}
