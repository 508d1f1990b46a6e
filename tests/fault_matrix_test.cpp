// Every fault the emulator can inject, through both interface types, in a download and in a
// settings read; every cell ends with a second start. Memory: tests/golden/dives.txt (dives
// A, B, C, D newest first). Before every download an unrelated dive and dive D's name with
// other content are stored; both must stay.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <algorithm>
#include <iterator>
#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "support/E2eSession.h"
#include "support/EmulatorProcess.h"
#include "transfer/SettingsReport.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

constexpr int kClockSpeed = 4;  // the program's pauses run four times as fast

const QString kStartLine = QStringLiteral("Lese Speicher von Vyper...");
const QString kDiscarded = QStringLiteral("Übertragungsfehler (CRC Falsch): Tauchgang verworfen, bitte erneut übertragen.");
const QString kKeptLabel = QStringLiteral("Dieser Tauchgang wurde bereits abgespeichert:");
const QString kOlderName = QStringLiteral("Tauchgang 2023-Mai-01 08 Uhr 00.txt");
const QByteArray kOlderBytes = "Time [s]\tDepth [m]\r\n20\t\t-2\r\n# END OF PROFILE #\r\n";
const QByteArray kEarlierD = "Time [s]\tDepth [m]\r\n60\t\t-1\r\n";

QString Blank(int n) { return QString(n, kUndisplayablePlaceholder); }

struct DownloadCell {
    const char* outcome;
    std::vector<StoredDive> received;  // in order; D is the one stored before
    int errors;
    QStringList lines;  // must appear
    int badPackets;     // "CRC Falsch" lines
};

struct SettingsCell {
    const char* outcome;
    QStringList changed;  // replace the true report's line of the same label; a label alone removes it
    QStringList lines;
    int badPackets;
};

// What a second start (a settings read) gives: the true report, a report with other noise,
// or (the emulator ended with status 3) a refusal with a box.
enum class Afterwards { TrueReport, ReportWithNoise, StartRefused };

template <typename CellType>
using Pair = std::array<CellType, 2>;  // original, self-built

struct FaultRow {
    const char* name;
    QStringList downloadFault;
    QStringList settingsFault;  // empty: not applicable
    Afterwards afterwards;
    Pair<DownloadCell> download;
    Pair<SettingsCell> settings;
};

template <typename CellType>
Pair<CellType> AsOriginal(const CellType& original, const char* selfBuilt = "as original") {
    CellType copy = original;
    copy.outcome = selfBuilt;
    return {original, copy};
}

const std::vector<StoredDive> kAll = {kDiveA, kDiveB, kDiveC, kDiveD};

// The echo "05 00 20 20 05" left in front of an unfinished reply: block 1 read five places early.
const QStringList kBlock1ShiftedByEcho = {"Messintervall:\t\t\t32 sec.", "Tauchgänge:\t\t\t32",
                                          "Gesamte Tauchzeit:\t\t1285 min.", "Seriennummer:\t\t\t05104"};
const QString kCutUserInfoShifted = "Benutzerinfo:\t\t\t" + Blank(1) + "]" + Blank(3) + "Grun" + Blank(11);
const QStringList kBlock1Zeros = {"Messintervall:\t\t\t0 sec.", "Tauchgänge:\t\t\t0", "Gesamte Tauchzeit:\t\t0 min.",
                                  "Seriennummer:\t\t\t0000", "Benutzerinfo:\t\t\t" + Blank(20)};
const QStringList kBlocks2And3Zeros = {
    "Bytes TG-Daten:\t\t\t0",       "Persönliche Einstellungen:\t\t0",     "Maßsystem                  \t\tU.S.",
    "Rechnermodus Dekompression: \tLuft", "Beleuchtung Dauer: \t\t0", "Tauchtiefenalarm: \t\t\tAus.",
    "Zeit bis Alarm: \t\t\t0 min.",    "Alarmtiefe: \t\t\t0 m"};

// Blocks 1 and 3 with the noise of seed 1 over their first 12 bytes; mode byte 0x5F is no mode.
const QStringList kBlocksWithNoise = {
    "Messintervall:\t\t\t55 sec.", "Tauchgänge:\t\t\t44680", "Gesamte Tauchzeit:\t\t56403 min.",
    "Seriennummer:\t\t\t26188193", "Persönliche Einstellungen:\t\t245", "Maßsystem                  \t\tU.S.",
    "Rechnermodus Dekompression: ", "Beleuchtung Dauer: \t\t47", "Zeit bis Alarm: \t\t\t44 min."};

QStringList Plus(QStringList a, const QStringList& b) { return a << b; }

const Pair<SettingsCell> kNoMemoryRead = AsOriginal<SettingsCell>(
    {"not applicable: the fault concerns dive answers only; a settings read sends memory reads", {}, {}, 0},
    "not applicable: as original");
const Pair<SettingsCell> kNoEndOfMemory = AsOriginal<SettingsCell>(
    {"not applicable: the end of the memory concerns dive requests; memory reads always get their answer", {}, {}, 0},
    "not applicable: as original");
const QString kCrc37 = "37 Zeichen empfangen. CRC Falsch";

const FaultRow kRows[] = {
    {"BadChecksum", {"--bad-checksum=2"}, {"--bad-checksum=m32"}, Afterwards::TrueReport,
     {{{"B's first packet is refused: B is discarded with a line, one error; the device has moved on, so B is "
        "missing and C follows",
        {kDiveA, kDiveC, kDiveD}, 3, {"35 Zeichen empfangen. CRC Falsch", "04 Zeichen empfangen. CRC OK", kDiscarded}, 1},
       {"as original; the refused first packet counts the echo (38 bytes), and the last packet, framed as if the echo "
        "were still in front of it, never completes",
        {kDiveA, kDiveC, kDiveD}, 3, {"38 Zeichen empfangen. CRC Falsch", kDiscarded}, 1}}},
     AsOriginal<SettingsCell>({"block 1 is reported with a CRC Falsch line; only the checksum byte is wrong, so its "
                               "values are the true ones", {}, {kCrc37}, 1},
                              "as original: the echo is taken off first")},

    {"BadChecksumEveryTime", {"--bad-checksum=1", "--faults-repeat"}, {"--bad-checksum=m96", "--faults-repeat"},
     Afterwards::TrueReport,
     {{{"every answer to 08 165 is refused: three errors, no dive, no file, no summary", {}, 3,
        {"35 Zeichen empfangen. CRC Falsch"}, 3},
       {"as original", {}, 3, {"38 Zeichen empfangen. CRC Falsch"}, 3}}},
     AsOriginal<SettingsCell>({"block 3 reported with a CRC Falsch line, values true", {}, {kCrc37}, 1})},

    {"DroppedByte", {"--drop-byte=1:5"}, {"--drop-byte=m32"}, Afterwards::TrueReport,
     {{{"A's first packet takes the next packet's code byte and is refused, the rest never completes: one error; "
        "08 165 again brings A again, then all others",
        kAll, 3, {"35 Zeichen empfangen. CRC Falsch"}, 1},
       {"as original", kAll, 3, {"38 Zeichen empfangen. CRC Falsch"}, 1}}},
     {{{"the 36-byte reply never completes, no line; block 1 is reported from it one place off after address 37: "
        "wrong serial number and user text, nothing tells the user",
        {"Seriennummer:\t\t\t2017930", "Benutzerinfo:\t\t\trundelnetz Vyper   t"}, {}, 0},
       {"the reply never completes, so the echo stays in front: every value of block 1 is wrong, nothing tells the user",
        Plus(kBlock1ShiftedByEcho, {"Benutzerinfo:\t\t\t]" + Blank(3) + "Grundelnetz Vype"}), {}, 0}}}},

    {"CutAnswer", {"--cut=3:12"}, {"--cut=m32:20"}, Afterwards::TrueReport,
     AsOriginal<DownloadCell>(
         {"C's first packet stays unfinished: one error; the device has moved on, so C is missing",
          {kDiveA, kDiveB, kDiveD}, 3, {}, 0}),
     {{{"block 1 is reported from the 20 bytes that came and zeros: only the user text loses its end, no line",
        {"Benutzerinfo:\t\t\tGrun" + Blank(16)}, {}, 0},
       {"the echo stays in front of the unfinished reply: every value of block 1 is wrong, no line",
        Plus(kBlock1ShiftedByEcho, {kCutUserInfoShifted}), {}, 0}}}},

    {"SilentDevice", {"--silent=2"}, {"--silent=m32"}, Afterwards::TrueReport,
     AsOriginal<DownloadCell>(
         {"no answer to the request for B: one error; the device did not hear it, so 09 165 again brings B", kAll, 3, {}, 0}),
     {{{"block 1 is reported from the cleared buffer: zeros, no line", kBlock1Zeros, {}, 0},
       {"block 1 from the echo alone: its last byte makes the total dive time 1280 min., the rest zeros",
        Plus(kBlock1Zeros, {"Gesamte Tauchzeit:\t\t1280 min."}), {}, 0}}}},

    {"DeviceVanishes", {"--vanish=3:12"}, {"--vanish=m32:20"}, Afterwards::StartRefused,
     AsOriginal<DownloadCell>(
         {"the device goes in the middle of C: C and every later request count as errors, A and B are stored",
          {kDiveA, kDiveB}, 3, {}, 0}),
     {{{"block 1 as with a cut answer; the blocks after it get no answer and are reported as zeros",
        Plus({"Benutzerinfo:\t\t\tGrun" + Blank(16)}, kBlocks2And3Zeros), {}, 0},
       {"block 1 as with a cut answer through the echo; blocks 2 and 3 as zeros",
        Plus(Plus(kBlock1ShiftedByEcho, {kCutUserInfoShifted}), kBlocks2And3Zeros), {}, 0}}}},

    {"OverlongDive", {"--overlong=2"}, {}, Afterwards::TrueReport,
     AsOriginal<DownloadCell>(
         {"B comes with 8320 bytes, more than the buffer holds: discarded with a line, one error; C follows",
          {kDiveA, kDiveC, kDiveD}, 3, {"Antwort des Tauchcomputers zu lang (mehr als 8193 Bytes): Tauchgang verworfen."}, 0}),
     kNoMemoryRead},

    {"Noise", {"--noise=12"}, {"--noise=12"}, Afterwards::ReportWithNoise,
     AsOriginal<DownloadCell>(
         {"12 noise bytes after every answer start a packet framed by the last packet's length: after A two, after B "
          "two, after D one CRC Falsch line; no noise packet is good, so every dive is stored intact",
          kAll, 3,
          {"05 Zeichen empfangen. CRC Falsch", "04 Zeichen empfangen. CRC Falsch", "08 Zeichen empfangen. CRC Falsch"}, 5},
         "as original: the echo only precedes the first packet"),
     AsOriginal<SettingsCell>({"the noise after each reply is too short to be judged but overwrites the reply's first "
                               "12 bytes in the buffer the report reads: blocks 1 and 3 report noise, silently",
                               kBlocksWithNoise, {}, 0},
                              "as original: the echo is taken off first")},

    {"EndSilent", {"--end=silent"}, {}, Afterwards::TrueReport,
     AsOriginal<DownloadCell>(
         {"all dives; three requests beyond the last one get nothing and end the download", kAll, 3, {}, 0}),
     kNoEndOfMemory},

    {"EndEmpty", {"--end=empty"}, {}, Afterwards::TrueReport,
     AsOriginal<DownloadCell>({"a packet announcing no payload is never complete: like silence", kAll, 3, {}, 0}),
     kNoEndOfMemory},

    {"EndShort", {"--end=short:15"}, {}, Afterwards::TrueReport,
     {{{"a good packet of 15 zeros is one byte short of a dive: three CRC OK lines, three errors", kAll, 3,
        {"18 Zeichen empfangen. CRC OK"}, 0},
       {"as original, the packet read behind the echo: three lines of 21 bytes", kAll, 3,
        {"21 Zeichen empfangen. CRC OK"}, 0}}},
     kNoEndOfMemory},
};

struct Column {
    const char* name;
    QString type;
    int index;
};
const Column kColumns[] = {{"Original", kOriginal, 0}, {"SelfBuilt", kSelfBuilt, 1}};
void PrintTo(const FaultRow& row, std::ostream* os) { *os << row.name; }
void PrintTo(const Column& column, std::ostream* os) { *os << column.name; }
using Cell = std::tuple<FaultRow, Column>;
std::string CellName(const ::testing::TestParamInfo<Cell>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

// The last settings read's report, without the packet lines.
QStringList LastReport(const QStringList& messages) {
    const qsizetype at = messages.lastIndexOf(kStartLine);
    QStringList report = at < 0 ? QStringList() : messages.mid(at + 1);
    report.removeIf([](const QString& l) { return l.contains(QStringLiteral(" Zeichen empfangen. ")); });
    return report;
}

QStringList ExpectedReport(const QStringList& changed) {
    QStringList report = GoldenSettingsReport();
    for (const QString& line : changed) {
        const QString label = line.section(QLatin1Char('\t'), 0, 0);
        QStringList next;
        for (const QString& golden : report) {
            if (golden.section(QLatin1Char('\t'), 0, 0) != label) next << golden;
            else if (line.contains(QLatin1Char('\t'))) next << line;
        }
        report = next;
    }
    return report;
}

// The checks every cell shares, then the second start.
void Finish(Program& program, EmulatorProcess& emulator, const FaultRow& row, const QStringList& lines, int badPackets) {
    const QStringList messages = program.Messages();
    for (const QString& line : lines) EXPECT_TRUE(messages.contains(line)) << line.toStdString();
    EXPECT_EQ(messages.filter(QRegularExpression(" Zeichen empfangen. CRC Falsch$")).size(), badPackets) << Text(messages);
    const bool vanishes = row.afterwards == Afterwards::StartRefused;
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
    EXPECT_EQ(emulator.WaitForExit(vanishes ? 5000 : 0), vanishes ? 3 : -1);

    const std::size_t boxesBefore = program.boxes.shown.size();
    program.Press(program.window->cmdGetVyperSettings);
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
    if (vanishes) {
        EXPECT_EQ(program.boxes.shown.size(), boxesBefore + 1) << "the refused start tells the user";
        EXPECT_EQ(program.Messages().size(), messages.size()) << "no transfer started";
    } else if (row.afterwards == Afterwards::ReportWithNoise) {
        EXPECT_EQ(LastReport(program.Messages()).size(), GoldenSettingsReport().size() - 1) << "no mode line";
        EXPECT_EQ(program.Messages().constLast(), QStringLiteral("OK."));
    } else {
        EXPECT_EQ(Text(LastReport(program.Messages())), Text(GoldenSettingsReport())) << "second start";
    }
}

class FaultMatrixDownload : public ::testing::TestWithParam<Cell> {};
class FaultMatrixSettings : public ::testing::TestWithParam<Cell> {};

TEST_P(FaultMatrixDownload, EndsAsTheCellSays) {
    const auto& [row, column] = GetParam();
    const DownloadCell& cell = row.download[column.index];
    SCOPED_TRACE(cell.outcome);
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(column.type, row.downloadFault));
    Program program(emulator.DevicePath(), column.type, kClockSpeed);
    program.Store(kOlderName, kOlderBytes);
    program.Store(ProgramFileName(kDiveD), kEarlierD);
    program.Press(program.window->cmdDownload);

    EXPECT_EQ(ReadAll(program.ProfilePath(kOlderName)), kOlderBytes);
    EXPECT_EQ(ReadAll(program.ProfilePath(ProgramFileName(kDiveD))), kEarlierD);
    QStringList written;
    bool keptD = false;
    for (const StoredDive& d : cell.received) {
        if (QLatin1String(d.golden) == QLatin1String(kDiveD.golden) && (keptD = true)) continue;  // kept, not written
        written << ProgramFileName(d);
        EXPECT_EQ(ReadAll(program.ProfilePath(ProgramFileName(d))), Golden(d)) << d.golden;
    }
    VyperComm& m = program.window->Module();
    EXPECT_EQ(program.window->lstFiles->Items(), written);
    EXPECT_EQ(program.StoredFiles().size(), written.size() + 2);
    EXPECT_EQ(m.DivesConverted, static_cast<int>(cell.received.size()));
    EXPECT_EQ(m.ErrorCount, cell.errors);
    EXPECT_EQ(program.window->lblErr->Caption(), QString::number(cell.errors));
    const QStringList messages = program.Messages();
    EXPECT_EQ(messages.count(QStringLiteral("Übertragung beendet.")), 1) << "the download ends at the error limit";
    EXPECT_EQ(LinesAfter(messages, kKeptLabel, 1), keptD ? QStringList{ProgramFileName(kDiveD)} : QStringList{});
    EXPECT_EQ(messages.contains(QStringLiteral("Alle Tauchgänge wurden in das Datenformat von Lotwerk")),
              !cell.received.empty());
    Finish(program, emulator, row, cell.lines, cell.badPackets);
}

TEST_P(FaultMatrixSettings, ReportsAsTheCellSays) {
    const auto& [row, column] = GetParam();
    const SettingsCell& cell = row.settings[column.index];
    SCOPED_TRACE(cell.outcome);
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(column.type, row.settingsFault));
    Program program(emulator.DevicePath(), column.type, kClockSpeed);
    program.Press(program.window->cmdGetVyperSettings);

    EXPECT_EQ(Text(LastReport(program.Messages())), Text(ExpectedReport(cell.changed)));
    EXPECT_EQ(program.window->Module().SettingsStep, 4);
    EXPECT_TRUE(program.StoredFiles().isEmpty());
    Finish(program, emulator, row, cell.lines, cell.badPackets);
}

std::vector<FaultRow> RowsWithMemoryReads() {
    std::vector<FaultRow> rows;
    std::copy_if(std::begin(kRows), std::end(kRows), std::back_inserter(rows),
                 [](const FaultRow& r) { return !r.settingsFault.isEmpty(); });
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Matrix, FaultMatrixDownload, ::testing::Combine(::testing::ValuesIn(kRows), ::testing::ValuesIn(kColumns)),
                         CellName);
INSTANTIATE_TEST_SUITE_P(Matrix, FaultMatrixSettings,
                         ::testing::Combine(::testing::ValuesIn(RowsWithMemoryReads()), ::testing::ValuesIn(kColumns)), CellName);

}  // namespace
