// Every fault the emulator can inject, through both interface types, in a download and in a
// settings read; every cell ends with a second start. Memory: tests/golden/dives.txt (dives
// A, B, C, D newest first; C is 64 bytes long, two full packets and no short one). Before
// every download an unrelated dive and dive D's name with other content are stored; both
// must stay. Every cell ends one of two ways: a dive is stored whole, or it is named as lost.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <algorithm>
#include <iterator>
#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "link/EchoCheck.h"
#include "support/E2eSession.h"
#include "support/EmulatorProcess.h"
#include "transfer/SettingsReport.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

constexpr int kClockSpeed = 4;  // the program's pauses run four times as fast

const QString kStartLine = QStringLiteral("Lese Speicher von Vyper...");
const QString kDiscarded = QStringLiteral("Übertragungsfehler (CRC Falsch): Tauchgang verworfen, bitte erneut übertragen.");
const QString kCut = QStringLiteral(
    "Antwort des Tauchcomputers unvollständig (Verbindung unterbrochen?): Tauchgang verworfen, bitte erneut übertragen.");
const QString kOverlong = QStringLiteral("Antwort des Tauchcomputers zu lang (mehr als 8193 Bytes): Tauchgang verworfen.");
const QString kNoise = QStringLiteral("Keine verwertbare Antwort: Störungen auf der Leitung (Stecker locker?).");
const QString kAllStored = QStringLiteral("Alle Tauchgänge wurden in das Datenformat von Lotwerk");
const QString kKeptLabel = QStringLiteral("Dieser Tauchgang wurde bereits abgespeichert:");
const QString kOlderName = QStringLiteral("Tauchgang 2023-Mai-01 08 Uhr 00.txt");
const QByteArray kOlderBytes = "Time [s]\tDepth [m]\r\n20\t\t-2\r\n# END OF PROFILE #\r\n";
const QByteArray kEarlierD = "Time [s]\tDepth [m]\r\n60\t\t-1\r\n";

QString Lost(int place) {
    return QStringLiteral("  verloren: der %1. Tauchgang, vom neuesten an gezählt (Datum unbekannt)").arg(place);
}

// How a download ends: at the error limit, or at once because the device went away or the
// cable does not match the chosen interface type.
enum class End { ErrorLimit, DeviceLost, WrongInterface };

struct DownloadCell {
    const char* outcome;
    std::vector<StoredDive> received;  // in order; D is the one stored before
    int errors;
    QStringList lines;  // must appear, the lost-dive lines among them
    int badPackets;     // "CRC Falsch" lines; -1 when noise makes their number vary
    bool complete;      // "Alle Tauchgänge ..." closes the download
};

struct SettingsCell {
    const char* outcome;
    std::vector<int> unread;  // blocks reported as not read
    int lastBlock;            // the last block reached (3 when the read ran to its end)
    QStringList lines;
    int badPackets;
};

// What a second start (a settings read) gives: the true report, a report without blocks 1
// to 3 (the line stays jammed), the same wrong-cable line again, the first report again (the
// fault hits every reply), or (the emulator ended with status 3) a refusal with a box.
enum class Afterwards { TrueReport, JammedReport, WrongInterfaceAgain, SameReport, StartRefused };

template <typename CellType>
using Pair = std::array<CellType, 2>;  // original, self-built

struct FaultRow {
    const char* name;
    QStringList downloadFault;
    QStringList settingsFault;  // empty: not applicable
    Afterwards afterwards;
    End end;
    Pair<DownloadCell> download;
    Pair<SettingsCell> settings;
    bool otherCable = false;  // the emulator behaves as the other interface type
};

template <typename CellType>
Pair<CellType> AsOriginal(const CellType& original, const char* selfBuilt = "as original") {
    CellType copy = original;
    copy.outcome = selfBuilt;
    return {original, copy};
}

const std::vector<StoredDive> kAll = {kDiveA, kDiveB, kDiveC, kDiveD};
const QString kCrc37 = "37 Zeichen empfangen. CRC Falsch";
const QString kEchoes = WrongInterfaceLine(EchoVerdict::CableEchoes);
const QString kNoEcho = WrongInterfaceLine(EchoVerdict::CableDoesNotEcho);

const Pair<SettingsCell> kNoMemoryRead = AsOriginal<SettingsCell>(
    {"not applicable: the fault concerns dive answers only; a settings read sends memory reads", {}, 3, {}, 0},
    "not applicable: as original");
const Pair<SettingsCell> kNoEndOfMemory = AsOriginal<SettingsCell>(
    {"not applicable: the end of the memory concerns dive requests; memory reads always get their answer", {}, 3, {}, 0},
    "not applicable: as original");
const Pair<SettingsCell> kBlock1Unread = AsOriginal<SettingsCell>(
    {"block 1 has no whole reply with a right checksum: one line says so instead of its values, and the report "
     "ends saying that the read is incomplete", {1}, 3, {}, 0});

const FaultRow kRows[] = {
    {"BadChecksum", {"--bad-checksum=2"}, {"--bad-checksum=m32"}, Afterwards::TrueReport, End::ErrorLimit,
     {{{"B's first packet is refused: B is discarded with a line and named as lost; the device has moved on, so C "
        "follows",
        {kDiveA, kDiveC, kDiveD}, 3, {"35 Zeichen empfangen. CRC Falsch", "04 Zeichen empfangen. CRC OK", kDiscarded, Lost(2)},
        1, false},
       {"as original; the refused first packet counts the echo (38 bytes), and the last packet, framed as if the echo "
        "were still in front of it, never completes",
        {kDiveA, kDiveC, kDiveD}, 3, {"38 Zeichen empfangen. CRC Falsch", kDiscarded, Lost(2)}, 1, false}}},
     AsOriginal<SettingsCell>({"block 1 fails its checksum: not reported, the read is incomplete", {1}, 3, {kCrc37}, 1},
                              "as original: the echo is taken off first")},

    {"BadChecksumEveryTime", {"--bad-checksum=1", "--faults-repeat"}, {"--bad-checksum=m96", "--faults-repeat"},
     Afterwards::TrueReport, End::ErrorLimit,
     {{{"every answer to 08 165 is refused: three errors, no file; the newest dive is named as lost", {}, 3,
        {"35 Zeichen empfangen. CRC Falsch", Lost(1)}, 3, false},
       {"as original", {}, 3, {"38 Zeichen empfangen. CRC Falsch", Lost(1)}, 3, false}}},
     AsOriginal<SettingsCell>({"block 3 fails its checksum: not reported, the read is incomplete", {3}, 3, {kCrc37}, 1})},

    {"DroppedByte", {"--drop-byte=1:5"}, {"--drop-byte=m32"}, Afterwards::TrueReport, End::ErrorLimit,
     {{{"A's first packet takes the next packet's code byte and is refused: one error; 08 165 again brings A again, "
        "then all others, so nothing is lost",
        kAll, 3, {"35 Zeichen empfangen. CRC Falsch", kDiscarded}, 1, true},
       {"as original", kAll, 3, {"38 Zeichen empfangen. CRC Falsch", kDiscarded}, 1, true}}},
     AsOriginal<SettingsCell>({"the 36-byte reply never completes: block 1 is not reported, the read is incomplete",
                               {1}, 3, {}, 0},
                              "as original: the reply never completes behind its echo")},

    {"CutAnswer", {"--cut=3:12"}, {"--cut=m32:20"}, Afterwards::TrueReport, End::ErrorLimit,
     AsOriginal<DownloadCell>(
         {"C's first packet stays unfinished: one error, C is named as lost; the device has moved on", {kDiveA, kDiveB, kDiveD},
          3, {kCut, Lost(3)}, 0, false}),
     kBlock1Unread},

    {"CutAfterWholePackets", {"--cut=3:35"}, {}, Afterwards::TrueReport, End::ErrorLimit,
     AsOriginal<DownloadCell>(
         {"C stops after its first full packet: no short packet ends it and its header would be read from profile "
          "bytes (no possible date), so C is named as lost, nothing made up is stored",
          {kDiveA, kDiveB, kDiveD}, 3, {kCut, Lost(3)}, 0, false}),
     kNoMemoryRead},

    {"SilentDevice", {"--silent=2"}, {"--silent=m32"}, Afterwards::TrueReport, End::ErrorLimit,
     AsOriginal<DownloadCell>(
         {"no answer to the request for B: one error; the device did not hear it, so 09 165 again brings B", kAll, 3, {}, 0,
          true}),
     kBlock1Unread},

    {"DeviceVanishes", {"--vanish=3:12"}, {"--vanish=m32:20"}, Afterwards::StartRefused, End::DeviceLost,
     AsOriginal<DownloadCell>(
         {"the device goes in the middle of C: C is named as lost, A and B are stored, the transfer ends at once with "
          "one box",
          {kDiveA, kDiveB}, 1, {kCut, Lost(3)}, 0, false}),
     AsOriginal<SettingsCell>({"the device goes during block 1: block 0 stays reported, one box, no OK.", {}, 0, {}, 0})},

    {"OverlongDive", {"--overlong=2"}, {}, Afterwards::TrueReport, End::ErrorLimit,
     AsOriginal<DownloadCell>(
         {"B comes with 8320 bytes, more than the buffer holds: discarded with a line and named as lost; C follows",
          {kDiveA, kDiveC, kDiveD}, 3, {kOverlong, Lost(2)}, 0, false}),
     kNoMemoryRead},

    {"Noise", {"--noise=12"}, {"--noise=12"}, Afterwards::TrueReport, End::ErrorLimit,
     {{{"12 noise bytes after every answer start a packet framed by the last packet's length: after A two, after B "
        "two, after D one CRC Falsch line; no noise packet is good and none is taken for a piece of a dive (not after "
        "C either, whose answer has no short packet), so every dive is stored intact",
        kAll, 3, {"05 Zeichen empfangen. CRC Falsch", "04 Zeichen empfangen. CRC Falsch", "08 Zeichen empfangen. CRC Falsch"},
        5, true},
       {"as original: the echo only precedes the first packet", kAll, 3,
        {"05 Zeichen empfangen. CRC Falsch", "04 Zeichen empfangen. CRC Falsch", "08 Zeichen empfangen. CRC Falsch"}, 5,
        true}}},
     AsOriginal<SettingsCell>({"the noise after each reply cannot change the reply kept when it was judged: the true "
                               "report",
                               {}, 3, {}, 0},
                              "as original: the echo is taken off first")},

    {"JammedLine", {"--jam=1"}, {"--jam=1"}, Afterwards::JammedReport, End::ErrorLimit,
     AsOriginal<DownloadCell>(
         {"after A the line carries noise without a pause: each request ends when no good packet has come for a while, "
          "three errors; the summary says that the download may be incomplete instead of \"Alle Tauchgänge\"",
          {kDiveA}, 3,
          {kNoise,
           QStringLiteral("Störungen auf der Leitung: ob alle Tauchgänge übertragen wurden, ist nicht sicher "
                          "(1 Tauchgang gespeichert).")},
          -1, false}),
     AsOriginal<SettingsCell>({"after block 0 the line is jammed: blocks 1 to 3 are reported as not read, each wait "
                               "ends at its bound",
                               {1, 2, 3}, 3, {}, -1})},

    {"WrongCable", {}, {}, Afterwards::WrongInterfaceAgain, End::WrongInterface,
     {{{"an echoing cable with \"Original Suunto (ohne Echo)\" chosen: the echo of 08 165 is seen at once, one line "
        "names the type to choose, the transfer ends, nothing is stored (the fast emulator's whole answer may "
        "already have given a CRC Falsch line)",
        {}, 0, {kEchoes}, -1, false},
       {"a cable without echo with \"Selbstbau (mit Echo)\" chosen: the first packet comes whole without an echo in "
        "front, one line names the type to choose (a CRC Falsch line may come first, as in the original column)",
        {}, 0, {kNoEcho}, -1, false}}},
     {{{"the memory read's reply behind its echo fails its checksum; the echo in front names the cable", {0}, 0,
        {kEchoes, kCrc37}, 1},
       {"the reply without echo never completes at 42 bytes, but comes whole with a right checksum: the cable has "
        "no echo",
        {0}, 0, {kNoEcho}, 0}}},
     true},

    {"EndSilent", {"--end=silent"}, {}, Afterwards::TrueReport, End::ErrorLimit,
     AsOriginal<DownloadCell>(
         {"all dives; three requests beyond the last one get nothing and end the download", kAll, 3, {}, 0, true}),
     kNoEndOfMemory},

    {"EndEmpty", {"--end=empty"}, {}, Afterwards::TrueReport, End::ErrorLimit,
     AsOriginal<DownloadCell>(
         {"a packet announcing no payload is never complete and is no dive: like silence", kAll, 3, {}, 0, true}),
     kNoEndOfMemory},

    {"EndShort", {"--end=short:15"}, {}, Afterwards::TrueReport, End::ErrorLimit,
     {{{"a good packet of 15 zeros is one byte short of a dive: three CRC OK lines, three errors", kAll, 3,
        {"18 Zeichen empfangen. CRC OK"}, 0, true},
       {"as original, the packet read behind the echo: three lines of 21 bytes", kAll, 3,
        {"21 Zeichen empfangen. CRC OK"}, 0, true}}},
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

// The report of the golden memory with the given blocks not read, up to `lastBlock`.
QStringList ExpectedReport(const std::vector<int>& unread, int lastBlock = 3) {
    const QStringList golden = GoldenSettingsReport();
    const std::pair<int, int> blocks[] = {{0, 1}, {1, 5}, {6, 1}, {7, 9}};  // first line, lines
    QStringList report;
    for (int k = 0; k <= lastBlock; ++k) {
        const bool missing = std::find(unread.begin(), unread.end(), k) != unread.end();
        report << (missing ? QStringList{UnreadBlockLine(k)} : golden.mid(blocks[k].first, blocks[k].second));
    }
    if (lastBlock == 3) {
        report << golden[16] << (unread.empty() ? golden[17] : IncompleteReadLine(static_cast<int>(unread.size())));
    }
    return report;
}

// A read on a jammed line: a reply made of noise passes its checksum by a chance of 1 in
// 256; the read can then not be told from a true one, so only missed blocks are certain.
void ExpectJammedReport(const QStringList& report, int missedAtLeast) {
    EXPECT_GE(report.filter(QRegularExpression("^Speicherblock . .* konnte nicht gelesen werden.$")).size(), missedAtLeast)
        << Text(report);
    EXPECT_TRUE(report.last().startsWith(QStringLiteral("Einstellungen unvollständig gelesen"))) << Text(report);
}

// The checks every cell shares, then the second start.
void Finish(Program& program, EmulatorProcess& emulator, Afterwards afterwards,
            const QString& interfaceType, const QStringList& lines, int badPackets) {
    const QStringList messages = program.Messages();
    for (const QString& line : lines) EXPECT_TRUE(messages.contains(line)) << line.toStdString() << "\n" << Text(messages);
    if (badPackets >= 0) {
        EXPECT_EQ(messages.filter(QRegularExpression(" Zeichen empfangen. CRC Falsch$")).size(), badPackets)
            << Text(messages);
    }
    const bool vanishes = afterwards == Afterwards::StartRefused;
    const QStringList firstReport = LastReport(messages);
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
    EXPECT_FALSE(program.window->Module().TransferActive);
    EXPECT_TRUE(program.window->cmdDownload->isEnabled() && program.window->cmdGetVyperSettings->isEnabled());
    EXPECT_EQ(emulator.WaitForExit(vanishes ? 5000 : 0), vanishes ? 3 : -1);

    const std::size_t boxesBefore = program.boxes.shown.size();
    program.Press(program.window->cmdGetVyperSettings);
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
    const QStringList report = LastReport(program.Messages());
    if (vanishes) {
        EXPECT_EQ(program.boxes.shown.size(), boxesBefore + 1) << "the refused start tells the user";
        EXPECT_EQ(program.Messages().size(), messages.size()) << "no transfer started";
    } else if (afterwards == Afterwards::JammedReport) {
        ExpectJammedReport(report, 3);
    } else {
        const EchoVerdict cable = interfaceType == kOriginal ? EchoVerdict::CableEchoes : EchoVerdict::CableDoesNotEcho;
        const QStringList expected = afterwards == Afterwards::SameReport           ? firstReport
                                     : afterwards == Afterwards::WrongInterfaceAgain ? QStringList{WrongInterfaceLine(cable)}
                                                                                     : GoldenSettingsReport();
        EXPECT_EQ(Text(report), Text(expected)) << "second start";
    }
}

class FaultMatrixDownload : public ::testing::TestWithParam<Cell> {};
class FaultMatrixSettings : public ::testing::TestWithParam<Cell> {};

// The emulator as the row wants it: the cable of the column, or the other one.
QStringList RowEmulatorArguments(const FaultRow& row, const Column& column, const QStringList& fault) {
    const QString cable = row.otherCable ? (column.type == kOriginal ? kSelfBuilt : kOriginal) : column.type;
    return EmulatorArguments(cable, fault);
}

TEST_P(FaultMatrixDownload, EndsAsTheCellSays) {
    const auto& [row, column] = GetParam();
    const DownloadCell& cell = row.download[column.index];
    SCOPED_TRACE(cell.outcome);
    EmulatorProcess emulator(EmulatorPath(), RowEmulatorArguments(row, column, row.downloadFault));
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
    EXPECT_EQ(program.StoredFiles().size(), written.size() + 2) << "no made-up file";
    EXPECT_EQ(m.DivesConverted, static_cast<int>(cell.received.size()));
    EXPECT_EQ(m.ErrorCount, cell.errors);
    EXPECT_EQ(program.window->lblErr->Caption(), QString::number(cell.errors));
    const QStringList messages = program.Messages();
    EXPECT_EQ(messages.count(QStringLiteral("Übertragung beendet.")), row.end == End::ErrorLimit ? 1 : 0);
    if (row.end == End::DeviceLost) {
        ASSERT_EQ(program.boxes.shown.size(), 1u) << "one box, not a cascade";
        EXPECT_TRUE(program.boxes.shown[0].text.contains(emulator.DevicePath())) << qPrintable(program.boxes.shown[0].text);
        EXPECT_TRUE(program.boxes.shown[0].text.contains(QStringLiteral("Verbindung")));
    } else {
        EXPECT_TRUE(program.boxes.shown.empty());
    }
    EXPECT_EQ(LinesAfter(messages, kKeptLabel, 1), keptD ? QStringList{ProgramFileName(kDiveD)} : QStringList{});
    EXPECT_EQ(messages.contains(kAllStored), cell.complete) << Text(messages);
    Finish(program, emulator, row.afterwards, column.type, cell.lines, cell.badPackets);
}

TEST_P(FaultMatrixSettings, ReportsAsTheCellSays) {
    const auto& [row, column] = GetParam();
    const SettingsCell& cell = row.settings[column.index];
    SCOPED_TRACE(cell.outcome);
    EmulatorProcess emulator(EmulatorPath(), RowEmulatorArguments(row, column, row.settingsFault));
    Program program(emulator.DevicePath(), column.type, kClockSpeed);
    program.Press(program.window->cmdGetVyperSettings);

    const QStringList report = LastReport(program.Messages());
    if (row.afterwards == Afterwards::JammedReport) {
        EXPECT_EQ(report.first(), GoldenSettingsReport().first()) << Text(report);
        ExpectJammedReport(report, 2);
    } else if (row.end == End::WrongInterface) {
        EXPECT_EQ(Text(report), Text(QStringList{cell.lines[0]}));
    } else {
        EXPECT_EQ(Text(report), Text(ExpectedReport(cell.unread, cell.lastBlock)));
        EXPECT_EQ(program.window->Module().SettingsStep, cell.lastBlock + 1);
    }
    EXPECT_FALSE(program.Messages().contains(QStringLiteral("OK.")) && !cell.unread.empty()) << "no false OK.";
    EXPECT_EQ(program.boxes.shown.size(), row.end == End::DeviceLost ? 1u : 0u);
    EXPECT_TRUE(program.StoredFiles().isEmpty());
    const bool everyReply = row.settingsFault.contains(QStringLiteral("--faults-repeat"));
    Finish(program, emulator, everyReply ? Afterwards::SameReport : row.afterwards, column.type, cell.lines,
           cell.badPackets);
}

std::vector<FaultRow> RowsWithMemoryReads() {
    std::vector<FaultRow> rows;
    std::copy_if(std::begin(kRows), std::end(kRows), std::back_inserter(rows),
                 [](const FaultRow& r) { return !r.settingsFault.isEmpty() || r.otherCable; });
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Matrix, FaultMatrixDownload, ::testing::Combine(::testing::ValuesIn(kRows), ::testing::ValuesIn(kColumns)),
                         CellName);
INSTANTIATE_TEST_SUITE_P(Matrix, FaultMatrixSettings,
                         ::testing::Combine(::testing::ValuesIn(RowsWithMemoryReads()), ::testing::ValuesIn(kColumns)), CellName);

}  // namespace
