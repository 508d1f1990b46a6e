// The fault matrix: every fault the emulated dive computer can inject, through both
// interface types, in a dive download and in a settings read. Each cell states what the
// user must see afterwards, in words and in fields that the test checks, and every cell
// ends with a second start that must work (or, once the device is gone, be refused with a
// message and without a hang).
//
// The memory is tests/golden/dives.txt: dives A (34 bytes: packets of 35 and 5 bytes on the
// line), B (33: 35 and 4), C (64: 35 and 35) and D (37: 35 and 8), newest first, then the
// end of the memory. The self-built interface puts the three echoed command bytes in front
// of a dive's first packet and the five echoed bytes of a memory read in front of its
// 37-byte reply. The error limit is the default 3 and the overwrite policy the default
// "Nie überschreiben". Before every download two files are stored: an unrelated older dive,
// and dive D's name with other content, which must both stay as they are.

#include <gtest/gtest.h>

#include <algorithm>
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

// The emulator answers at once, so the program's pauses (the 12 + 100 ms of a send and the
// 200 ms quiet gap) run four times as fast; its 100 ms control timer keeps real time.
constexpr int kClockSpeed = 4;

const QString kStartLine = QStringLiteral("Lese Speicher von Vyper...");
const QString kDiscarded = QStringLiteral("Übertragungsfehler (CRC Falsch): Tauchgang verworfen, bitte erneut übertragen.");
const QString kKeptLabel = QStringLiteral("Dieser Tauchgang wurde bereits abgespeichert:");
const QString kOlderName = QStringLiteral("Tauchgang 2023-Mai-01 08 Uhr 00.txt");
const QByteArray kOlderBytes = "Time [s]\tDepth [m]\r\n20\t\t-2\r\n# END OF PROFILE #\r\n";
const QByteArray kEarlierD = "Time [s]\tDepth [m]\r\n60\t\t-1\r\n";

// `n` characters the report shows for bytes it cannot display (code 0 among them).
QString Blank(int n) { return QString(n, kUndisplayablePlaceholder); }

struct DownloadCell {
    const char* outcome;              // in words
    std::vector<StoredDive> received;  // dives taken, in order; D is the one stored before
    int errors;                       // failed exchanges when the download has ended
    QStringList lines;                // message lines that must appear
    int badPackets;                   // "CRC Falsch" lines
};

struct SettingsCell {
    const char* outcome;  // in words; "not applicable: ..." for a fault without a memory read
    QStringList changed;  // report lines that differ from the true report (same label)
    QStringList lines;    // message lines that must appear
    int badPackets;       // "CRC Falsch" lines
};

// What a second start (a settings read) gives after the cell's transfer.
enum class Afterwards {
    TrueReport,       // the fault is spent: the true report
    ReportWithNoise,  // the noise goes on: a complete report, with other noise in it
    StartRefused,     // the device has gone (the emulator ended with status 3): refused with a box
};

template <typename CellType>
using Pair = std::array<CellType, 2>;  // original, self-built

struct FaultRow {
    const char* name;
    QStringList downloadFault;  // emulator options for the download columns
    QStringList settingsFault;  // emulator options for the settings columns; empty: not applicable
    Afterwards afterwards;
    Pair<DownloadCell> download;
    Pair<SettingsCell> settings;
};

// A cell that the self-built interface repeats, with the echo making no difference.
template <typename CellType>
Pair<CellType> AsOriginal(const CellType& original, const char* selfBuilt = "as original") {
    CellType copy = original;
    copy.outcome = selfBuilt;
    return {original, copy};
}

const std::vector<StoredDive> kAll = {kDiveA, kDiveB, kDiveC, kDiveD};

// Block 1 of a reply that came without its first 5 bytes being dropped: the self-built
// interface's echo "05 00 20 20 05" stays in front of an unfinished reply, so every value
// is read five places too early.
const QStringList kBlock1ShiftedByEcho = {"Messintervall:\t\t\t32 sec.", "Tauchgänge:\t\t\t32",
                                          "Gesamte Tauchzeit:\t\t1285 min.", "Seriennummer:\t\t\t05104"};
const QString kCutUserInfoShifted = "Benutzerinfo:\t\t\t" + Blank(1) + "]" + Blank(3) + "Grun" + Blank(11);
const QStringList kBlock1Zeros = {"Messintervall:\t\t\t0 sec.", "Tauchgänge:\t\t\t0", "Gesamte Tauchzeit:\t\t0 min.",
                                  "Seriennummer:\t\t\t0000", "Benutzerinfo:\t\t\t" + Blank(20)};
const QStringList kBlocks2And3Zeros = {
    "Bytes TG-Daten:\t\t\t0",       "Persönliche Einstellungen:\t\t0",     "Maßsystem                  \t\tU.S.",
    "Rechnermodus Dekompression: \tLuft", "Beleuchtung Dauer: \t\t0", "Tauchtiefenalarm: \t\t\tAus.",
    "Zeit bis Alarm: \t\t\t0 min.",    "Alarmtiefe: \t\t\t0 m"};

// Blocks 1 and 3 after the noise of the seed 1: the bytes 97 D6 3C FB DC 53 AE 88 37 1A 12 51
// and 77 FE E0 B6 F5 F9 27 5F AF 29 7E 2C in place of each reply's first 12 bytes. The
// mode byte 0x5F is no mode: that line is left out.
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
    int index;  // into a row's cells
};
const Column kColumns[] = {{"Original", kOriginal, 0}, {"SelfBuilt", kSelfBuilt, 1}};

// Names the cell's parts in test listings.
void PrintTo(const FaultRow& row, std::ostream* os) { *os << row.name; }
void PrintTo(const Column& column, std::ostream* os) { *os << column.name; }

using Cell = std::tuple<FaultRow, Column>;

std::string CellName(const ::testing::TestParamInfo<Cell>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

// The report of the last settings read: the lines after its start line, without the
// receive handler's packet lines.
QStringList LastReport(const QStringList& messages) {
    const qsizetype at = messages.lastIndexOf(kStartLine);
    QStringList report;
    if (at < 0) return report;
    for (const QString& line : messages.mid(at + 1)) {
        if (!line.contains(QStringLiteral(" Zeichen empfangen. "))) report << line;
    }
    return report;
}

// The true report with the lines of `changed` in place of those with the same label; a
// label alone (no tab) removes its line.
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

qsizetype BadPacketLines(const QStringList& messages) {
    return std::count_if(messages.begin(), messages.end(),
                         [](const QString& l) { return l.endsWith(QStringLiteral(" Zeichen empfangen. CRC Falsch")); });
}

// A second start after the fault, a settings read: see Afterwards. A repeated checksum
// fault leaves its line again, with the values intact.
void ExpectSecondStartWorks(Program& program, Afterwards afterwards) {
    const std::size_t boxesBefore = program.boxes.shown.size();
    const qsizetype linesBefore = program.Messages().size();
    program.Press(program.window->cmdGetVyperSettings);
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
    switch (afterwards) {
    case Afterwards::StartRefused:
        EXPECT_EQ(program.boxes.shown.size(), boxesBefore + 1) << "the refused start tells the user";
        EXPECT_EQ(program.Messages().size(), linesBefore) << "no transfer started";
        break;
    case Afterwards::ReportWithNoise:
        EXPECT_EQ(LastReport(program.Messages()).size(), GoldenSettingsReport().size() - 1) << "no mode line";
        EXPECT_EQ(program.Messages().constLast(), QStringLiteral("OK."));
        EXPECT_EQ(program.window->Module().SettingsStep, 4);
        break;
    case Afterwards::TrueReport:
        EXPECT_EQ(Text(LastReport(program.Messages())), Text(GoldenSettingsReport())) << "second start";
        break;
    }
}

bool Vanishes(const FaultRow& row) { return row.afterwards == Afterwards::StartRefused; }

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
        if (QLatin1String(d.golden) == QLatin1String(kDiveD.golden)) {
            keptD = true;  // stored before: kept, not written
            continue;
        }
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
    for (const QString& line : cell.lines) EXPECT_TRUE(messages.contains(line)) << line.toStdString();
    EXPECT_EQ(BadPacketLines(messages), cell.badPackets) << Text(messages);
    EXPECT_EQ(messages.count(QStringLiteral("Übertragung beendet.")), 1) << "the download ends at the error limit";
    EXPECT_EQ(LinesAfter(messages, kKeptLabel, 1), keptD ? QStringList{ProgramFileName(kDiveD)} : QStringList{});
    EXPECT_EQ(messages.contains(QStringLiteral("Alle Tauchgänge wurden in das Datenformat von Lotwerk")),
              !cell.received.empty());
    EXPECT_FALSE(m.comVyper().PortOpen());
    EXPECT_EQ(emulator.WaitForExit(Vanishes(row) ? 5000 : 0), Vanishes(row) ? 3 : -1);

    ExpectSecondStartWorks(program, row.afterwards);
}

TEST_P(FaultMatrixSettings, ReportsAsTheCellSays) {
    const auto& [row, column] = GetParam();
    const SettingsCell& cell = row.settings[column.index];
    SCOPED_TRACE(cell.outcome);
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(column.type, row.settingsFault));
    Program program(emulator.DevicePath(), column.type, kClockSpeed);

    program.Press(program.window->cmdGetVyperSettings);

    const QStringList messages = program.Messages();
    EXPECT_EQ(Text(LastReport(messages)), Text(ExpectedReport(cell.changed)));
    for (const QString& line : cell.lines) EXPECT_TRUE(messages.contains(line)) << line.toStdString();
    EXPECT_EQ(BadPacketLines(messages), cell.badPackets);
    EXPECT_EQ(program.window->Module().SettingsStep, 4);
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
    EXPECT_TRUE(program.StoredFiles().isEmpty());
    EXPECT_EQ(emulator.WaitForExit(Vanishes(row) ? 5000 : 0), Vanishes(row) ? 3 : -1);

    ExpectSecondStartWorks(program, row.afterwards);
}

std::vector<FaultRow> RowsWithMemoryReads() {
    std::vector<FaultRow> rows;
    for (const FaultRow& row : kRows) {
        if (!row.settingsFault.isEmpty()) rows.push_back(row);
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Matrix, FaultMatrixDownload, ::testing::Combine(::testing::ValuesIn(kRows), ::testing::ValuesIn(kColumns)),
                         CellName);
INSTANTIATE_TEST_SUITE_P(Matrix, FaultMatrixSettings,
                         ::testing::Combine(::testing::ValuesIn(RowsWithMemoryReads()), ::testing::ValuesIn(kColumns)), CellName);

}  // namespace
