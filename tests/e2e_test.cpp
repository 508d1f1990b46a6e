// The whole program against the emulated dive computer: the real main window, the real
// serial layer on a real pseudo-terminal, the port mapped through the settings store,
// buttons pressed as a user presses them. The dive computer's memory is
// tests/golden/dives.txt; the profile files it must give are in tests/golden/e2e/, worked
// out by hand from those dive definitions.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <ostream>
#include <memory>

#include "platform/PosixSerialControl.h"
#include "support/EmulatorProcess.h"
#include "support/Fakes.h"
#include "transfer/ActivityIndicator.h"
#include "ui/main/frmVyper.h"

using namespace vyper;
using vyper::testing::EmulatorProcess;

namespace {

const QString kGoldenFolder = QStringLiteral(VYPER_GOLDEN_DIR);
const QString kOriginal = QStringLiteral("Original Suunto (ohne Echo)");
const QString kSelfBuilt = QStringLiteral("Selbstbau (mit Echo)");
constexpr int kTransferTimeoutMs = 30000;

// The dives of the emulator's memory, newest first: the golden file's name (the date with
// the month as a number) and the name the program gives the file (month name of the locale).
struct StoredDive {
    const char* golden;
    int year, month, day;
    const char* time;  // "HH Uhr MM"
};
const StoredDive kDiveA{"2024-08-17 10 Uhr 42.txt", 2024, 8, 17, "10 Uhr 42"};
const StoredDive kDiveB{"2024-08-16 15 Uhr 05.txt", 2024, 8, 16, "15 Uhr 05"};
const StoredDive kDiveC{"2024-07-15 09 Uhr 07.txt", 2024, 7, 15, "09 Uhr 07"};
const StoredDive kDiveD{"1999-12-31 23 Uhr 59.txt", 1999, 12, 31, "23 Uhr 59"};

QString ProgramFileName(const StoredDive& d) {
    return QStringLiteral("Tauchgang %1-%2-%3 %4.txt")
        .arg(d.year)
        .arg(QLocale::system().monthName(d.month, QLocale::LongFormat))
        .arg(d.day, 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(d.time));
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing: ") + path.toUtf8() + ">";
}

QByteArray Golden(const StoredDive& d) { return ReadAll(kGoldenFolder + QStringLiteral("/e2e/") + d.golden); }

QStringList EmulatorArguments(const QString& interfaceType, QStringList extra = {}) {
    // No line pacing: the answers come at once, well inside the program's quiet gap.
    extra << QStringLiteral("--data=") + kGoldenFolder + QStringLiteral("/dives.txt") << QStringLiteral("--fast");
    if (interfaceType == kSelfBuilt) extra << QStringLiteral("--echo");
    return extra;
}

// The program as a user starts it: COM2 (the first-run choice) is mapped to the emulator's
// pseudo-terminal in the settings, the chosen interface type is stored there too, and the
// program's folder is a temporary one.
class Program {
public:
    Program(const QString& devicePath, const QString& interfaceType)
        : serial_([this](int port) { return DevicePathForPort(settings_, port); }) {
        settings_.Save(QStringLiteral("Ports"), QStringLiteral("COM2"), devicePath);
        settings_.Save(QStringLiteral("CommPort"), QStringLiteral("InterfaceType"), interfaceType);
        QDir(folder_.path()).mkpath(QStringLiteral("Tauchprofile"));
        window = std::make_unique<frmVyper>(Platform{serial_, settings_, boxes, waits_, AppInfo{folder_.path(), 0, 7}});
        window->txtComDelay->SetText(QStringLiteral("0"));
    }

    // Presses a button and lets the program run until the transfer has ended.
    void Press(QPushButton* button) {
        button->click();
        QElapsedTimer clock;
        clock.start();
        while (window->timDownLoadCtrl->Interval() > 0 && clock.elapsed() < kTransferTimeoutMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        ASSERT_EQ(window->timDownLoadCtrl->Interval(), 0) << "the transfer did not end";
    }

    QString ProfilePath(const QString& name) const { return JoinPath(window->Module().ProfileFolder, name); }
    QStringList StoredFiles() const {
        return QDir(window->Module().ProfileFolder).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    }
    void Store(const QString& name, const QByteArray& bytes) const {
        QFile file(ProfilePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QStringList Messages() const { return window->lstVyperComm->Items(); }

    vyper::testing::RecordingMessageBoxes boxes;
    std::unique_ptr<frmVyper> window;

private:
    MemorySettingsStore settings_;
    PosixSerialControl serial_;
    SystemWaits waits_;
    QTemporaryDir folder_;
};

// The lines that follow a line in the message list, up to `count` of them.
QStringList LinesAfter(const QStringList& lines, const QString& first, int count) {
    const qsizetype at = lines.indexOf(first);
    return at < 0 ? QStringList{} : lines.mid(at + 1, count);
}

struct InterfaceCase {
    const char* name;
    QString type;  // the entry of the interface list
};
void PrintTo(const InterfaceCase& c, std::ostream* os) { *os << c.name; }

class EndToEnd : public ::testing::TestWithParam<InterfaceCase> {};

INSTANTIATE_TEST_SUITE_P(BothInterfaces, EndToEnd,
                         ::testing::Values(InterfaceCase{"Original", kOriginal}, InterfaceCase{"SelfBuilt", kSelfBuilt}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(EndToEnd, SettingsReadReportsTheDeviceMemory) {
    EmulatorProcess emulator(QStringLiteral(VYPER_EMULATOR_PATH), EmulatorArguments(GetParam().type));
    Program program(emulator.DevicePath(), GetParam().type);
    program.Press(program.window->cmdGetVyperSettings);

    const QStringList expected = {
        QStringLiteral("Maximale Tauchtiefe:\t\t18 m"),
        QStringLiteral("Messintervall:\t\t\t20 sec."),
        QStringLiteral("Tauchgänge:\t\t\t4"),
        QStringLiteral("Gesamte Tauchzeit:\t\t51 min."),
        QStringLiteral("Seriennummer:\t\t\t2041793"),
        QStringLiteral("Benutzerinfo:\t\t\tGrundelnetz Vyper   "),
        QStringLiteral("Bytes TG-Daten:\t\t\t168"),
        QStringLiteral("Persönliche Einstellungen:\t\t0"),
        QStringLiteral("Maßsystem                  \t\tmetrisch"),
        QStringLiteral("Rechnermodus Dekompression: \tNitrox"),
        QStringLiteral("Beleuchtung: \t\t\tAus."),
        QStringLiteral("Beleuchtung Dauer: \t\t10"),
        QStringLiteral("Tauchzeitalarm: \t\t\tAus."),
        QStringLiteral("Tauchtiefenalarm: \t\t\tAn."),
        QStringLiteral("Zeit bis Alarm: \t\t\t45 min."),
        QStringLiteral("Alarmtiefe: \t\t\t30 m"),
        ActivityLine(1),
        QStringLiteral("OK."),
    };
    const QStringList messages = program.Messages();
    EXPECT_EQ(LinesAfter(messages, QStringLiteral("Lese Speicher von Vyper..."), 100), expected);
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
    EXPECT_EQ(program.window->lblCnt->Caption(), QStringLiteral("136"));  // 4 blocks of 37 bytes, 3 of each not counted
    const QStringList reads = {QStringLiteral("memory read address 0 length 32"), QStringLiteral("memory read address 32 length 32"),
                               QStringLiteral("memory read address 64 length 32"), QStringLiteral("memory read address 96 length 32")};
    EXPECT_EQ(emulator.Commands(), reads);
}

TEST_P(EndToEnd, DownloadWritesEveryDiveAsTheHandCheckedFile) {
    EmulatorProcess emulator(QStringLiteral(VYPER_EMULATOR_PATH), EmulatorArguments(GetParam().type));
    Program program(emulator.DevicePath(), GetParam().type);
    program.Press(program.window->cmdDownload);

    const std::vector<StoredDive> dives = {kDiveA, kDiveB, kDiveC, kDiveD};
    QStringList names;
    for (const StoredDive& d : dives) {
        names << ProgramFileName(d);
        EXPECT_EQ(ReadAll(program.ProfilePath(ProgramFileName(d))), Golden(d)) << d.golden;
    }
    EXPECT_EQ(program.window->lstFiles->Items(), names);
    QStringList sorted = names;
    sorted.sort();
    EXPECT_EQ(program.StoredFiles(), sorted);

    // The memory ends after dive 4: three requests beyond it end the download at the limit.
    EXPECT_EQ(program.window->Module().DivesConverted, 4);
    EXPECT_EQ(program.window->lblErr->Caption(), QStringLiteral("3"));
    EXPECT_EQ(emulator.Commands().count(QStringLiteral("first dive (08 165)")), 1);
    EXPECT_EQ(emulator.Commands().count(QStringLiteral("next dive (09 165)")), 6);
    const QStringList messages = program.Messages();
    EXPECT_EQ(LinesAfter(messages, QStringLiteral("Übertragung beendet."), 5),
              QStringList({QString(), QStringLiteral("Alle Tauchgänge wurden in das Datenformat von Lotwerk"),
                           QStringLiteral("umgewandelt und im Ordner"), program.window->Module().ProfileFolder,
                           QStringLiteral("abgespeichert.")}));
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
}

TEST_P(EndToEnd, OnlyNewDivesStopsAtTheFirstStoredDive) {
    EmulatorProcess emulator(QStringLiteral(VYPER_EMULATOR_PATH), EmulatorArguments(GetParam().type));
    Program program(emulator.DevicePath(), GetParam().type);
    // Dives B, C and D were stored before (B with an older rendering the program must keep);
    // dive A is new.
    const QByteArray earlierB = "Time [s]\tDepth [m]\r\n30\t\t-9\r\n";
    program.Store(ProgramFileName(kDiveB), earlierB);
    program.Store(ProgramFileName(kDiveC), Golden(kDiveC));
    program.Store(ProgramFileName(kDiveD), Golden(kDiveD));
    program.window->chkAbortWhenOldDive->SetValue(1);
    program.window->optAlways->SetValue(true);  // the only-new rule comes before overwriting

    program.Press(program.window->cmdDownload);

    EXPECT_EQ(ReadAll(program.ProfilePath(ProgramFileName(kDiveA))), Golden(kDiveA));
    EXPECT_EQ(ReadAll(program.ProfilePath(ProgramFileName(kDiveB))), earlierB);
    EXPECT_EQ(program.window->lstFiles->Items(), QStringList{ProgramFileName(kDiveA)});
    EXPECT_EQ(emulator.Commands(), QStringList({QStringLiteral("first dive (08 165)"), QStringLiteral("next dive (09 165)")}));
    const QStringList messages = program.Messages();
    EXPECT_EQ(LinesAfter(messages, QStringLiteral("Tauchgang übertragen, der bereits gespeichert wurde."), 2),
              QStringList({ActivityLine(1), QStringLiteral("Übertragung unterbrochen.")}));
    EXPECT_EQ(program.window->Module().DownloadState, 0);
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
}

// Faults of the line or the device. Every run starts with two files stored before: one of
// an unrelated older dive, and one with dive D's name and other content, which the
// default policy "Nie überschreiben" must keep.
struct FaultCase {
    const char* name;
    QStringList options;
    std::vector<StoredDive> written;  // the dives whose files the download writes, in order
    int errors;                       // failed exchanges when the download ends
    const char* line;                 // a message line the fault leaves, or nullptr
    int exitStatus;                   // the emulator's exit status, -1 while it runs on
};

// Names the case in test listings.
void PrintTo(const FaultCase& fault, std::ostream* os) { *os << fault.name; }

class FaultEndToEnd : public ::testing::TestWithParam<FaultCase> {};

const FaultCase kFaults[] = {
    // Dive B's first packet arrives spoilt: too few bytes of B remain for a dive; the device
    // has moved on, so the retry gets dive C and B is missing from this download.
    {"BadChecksum", {QStringLiteral("--bad-checksum=2")}, {kDiveA, kDiveC, kDiveD}, 3,
     "35 Zeichen empfangen. CRC Falsch", -1},
    // The device does not hear the request for dive B once: the retry gets B.
    {"Silence", {QStringLiteral("--silent=2")}, {kDiveA, kDiveB, kDiveC, kDiveD}, 3, nullptr, -1},
    // Dive C's answer breaks off in the middle of its packet: the packet is never complete.
    {"CutDive", {QStringLiteral("--cut=3:12")}, {kDiveA, kDiveB, kDiveD}, 3, nullptr, -1},
    // A byte of dive A is lost: its packet never completes; "08 165" is sent again and
    // the device answers it with dive A once more.
    {"DroppedByte", {QStringLiteral("--drop-byte=1:5")}, {kDiveA, kDiveB, kDiveC, kDiveD}, 3, nullptr, -1},
    // The device vanishes in the middle of dive C: the download ends at the error limit
    // with A and B stored.
    {"DeviceVanishes", {QStringLiteral("--vanish=3:12")}, {kDiveA, kDiveB}, 3, nullptr, 3},
};

INSTANTIATE_TEST_SUITE_P(Faults, FaultEndToEnd, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(FaultEndToEnd, DownloadEndsAtTheErrorLimitAndKeepsWhatWasStored) {
    const FaultCase& fault = GetParam();
    EmulatorProcess emulator(QStringLiteral(VYPER_EMULATOR_PATH), EmulatorArguments(kOriginal, fault.options));
    Program program(emulator.DevicePath(), kOriginal);
    const QString olderName = QStringLiteral("Tauchgang 2023-Mai-01 08 Uhr 00.txt");
    const QByteArray olderBytes = "Time [s]\tDepth [m]\r\n20\t\t-2\r\n# END OF PROFILE #\r\n";
    const QByteArray earlierD = "Time [s]\tDepth [m]\r\n60\t\t-1\r\n";
    program.Store(olderName, olderBytes);
    program.Store(ProgramFileName(kDiveD), earlierD);

    program.Press(program.window->cmdDownload);

    EXPECT_EQ(ReadAll(program.ProfilePath(olderName)), olderBytes);
    EXPECT_EQ(ReadAll(program.ProfilePath(ProgramFileName(kDiveD))), earlierD);
    QStringList written;
    for (const StoredDive& d : fault.written) {
        if (QLatin1String(d.golden) == QLatin1String(kDiveD.golden)) continue;  // stored before, kept
        written << ProgramFileName(d);
        EXPECT_EQ(ReadAll(program.ProfilePath(ProgramFileName(d))), Golden(d)) << d.golden;
    }
    EXPECT_EQ(program.window->lstFiles->Items(), written);
    EXPECT_EQ(program.StoredFiles().size(), written.size() + 2);
    EXPECT_EQ(program.window->Module().ErrorCount, fault.errors);
    EXPECT_EQ(program.window->Module().DivesConverted, static_cast<int>(fault.written.size()));
    const QStringList messages = program.Messages();
    EXPECT_TRUE(messages.contains(QStringLiteral("Übertragung beendet.")));
    if (fault.line) {
        EXPECT_TRUE(messages.contains(QString::fromUtf8(fault.line))) << fault.line;
    }
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
    EXPECT_EQ(emulator.WaitForExit(fault.exitStatus < 0 ? 0 : 5000), fault.exitStatus);
}

}  // namespace
