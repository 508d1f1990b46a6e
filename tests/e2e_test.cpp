// The whole program against the emulated dive computer, fault-free: the real main window,
// the real serial layer on a real pseudo-terminal, the port mapped through the settings
// store, buttons pressed as a user presses them. Faults of the line and the device are in
// fault_matrix_test.cpp.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <algorithm>
#include <vector>

#include "support/E2eSession.h"
#include "support/EmulatorProcess.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

// Run through either interface type, as chosen in the interface list.
class EndToEnd : public ::testing::TestWithParam<int> {
protected:
    const QString& Type() const { return kInterfaceTypes[GetParam()]; }
};

// The pauses on the line, as the emulator's log saw the bytes arrive: the checksum byte of
// every command after a pause of 12 ms, and the next command after 100 ms of RTS and
// 5 x the delay. The log has the times at which the emulator read the bytes, which wander
// by a few milliseconds, so half of each pause is asked for: a pause left out shows as 0.
// A busy machine may hold the emulator back while the first bytes wait, which shortens that
// command's 12 ms as logged, or lets it read all three bytes at once; so the typical
// (median) one of them is judged.
void ExpectCommandPauses(const QString& log, int delay) {
    static const QRegularExpression received(QStringLiteral("^\\[\\s*([0-9.]+)\\] <- ((?:[0-9A-F]{2} ?)+)$"));
    double previous = -1;  // when the command's bytes before the checksum came
    double checksum = -1;  // when the last checksum byte came
    int held = 0;          // bytes of the current command so far
    std::vector<double> checksumPauses;
    for (const QString& line : log.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = received.match(line.trimmed());
        if (!m.hasMatch()) continue;
        const double t = m.captured(1).toDouble();
        const qsizetype count = m.captured(2).split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
        if (held == 0 && checksum >= 0) {
            EXPECT_GE(t - checksum, (100 + 5 * delay) / 2000.0) << qPrintable(line);
        }
        if (held + count == 3) {
            checksumPauses.push_back(held == 2 ? t - previous : 0);  // 0: it came with the others
            checksum = t;
            held = 0;
            continue;
        }
        held += static_cast<int>(count);
        previous = t;
    }
    ASSERT_EQ(checksumPauses.size(), 7u) << "one checksum byte per command";
    std::sort(checksumPauses.begin(), checksumPauses.end());
    EXPECT_GE(checksumPauses[checksumPauses.size() / 2], 12 / 2000.0) << "shortest " << checksumPauses.front();
}

INSTANTIATE_TEST_SUITE_P(BothInterfaces, EndToEnd, ::testing::Values(0, 1), [](const auto& info) { return ColumnName(info.param); });

TEST_P(EndToEnd, SettingsReadReportsTheDeviceMemory) {
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(Type()));
    Program program(emulator.DevicePath(), Type());
    program.Press(program.window->cmdGetVyperSettings);

    const QStringList expected = GoldenSettingsReport();
    const QStringList messages = program.Messages();
    EXPECT_EQ(LinesAfter(messages, QStringLiteral("Lese Speicher von Vyper..."), 100), expected);
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
    EXPECT_EQ(program.window->lblCnt->Caption(), QStringLiteral("136"));  // 4 blocks of 37 bytes, 3 of each not counted
    const QStringList reads = {QStringLiteral("memory read address 0 length 32"), QStringLiteral("memory read address 32 length 32"),
                               QStringLiteral("memory read address 64 length 32"), QStringLiteral("memory read address 96 length 32")};
    EXPECT_EQ(emulator.Commands(), reads);
}

TEST_P(EndToEnd, DownloadAtLinePaceWritesEveryDiveAsTheHandCheckedFile) {
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(Type(), {}, true));
    Program program(emulator.DevicePath(), Type());
    program.Press(program.window->cmdDownload);

    const std::vector<GoldenDive> dives = {kDiveA, kDiveB, kDiveC, kDiveD};
    QStringList names;
    for (const GoldenDive& d : dives) {
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
    EXPECT_EQ(LinesAfter(messages, QStringLiteral("Übertragung beendet."), 7),
              QStringList({QString(), QStringLiteral("Alle Tauchgänge wurden in das Datenformat von Lotwerk"),
                           QStringLiteral("umgewandelt und im Ordner"), program.window->Module().ProfileFolder,
                           QStringLiteral("abgespeichert."),
                           QStringLiteral("Ergebnis: 4 neu gespeichert, 0 schon vorhanden (nicht überschrieben), 0 verloren.")}));
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
    ExpectCommandPauses(emulator.Log(), 0);  // the session types the delay 0
}

TEST_P(EndToEnd, OnlyNewDivesStopsAtTheFirstStoredDive) {
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(Type()));
    Program program(emulator.DevicePath(), Type());
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
    EXPECT_EQ(LinesAfter(messages, QStringLiteral("Tauchgang übertragen, der bereits gespeichert wurde."), 5),
              QStringList({QStringLiteral("~~~ >{{{°> ~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~"),
                           QStringLiteral("Übertragung unterbrochen."),
                           QStringLiteral("Nur neue Tauchgänge: beim ersten schon gespeicherten Tauchgang angehalten."),
                           QStringLiteral("Ergebnis: 1 neu gespeichert, 1 schon vorhanden (nicht überschrieben), 0 verloren.")}));
    EXPECT_TRUE(program.boxes.shown.empty());
    EXPECT_EQ(program.window->Module().DownloadState, 0);
    EXPECT_FALSE(program.window->Module().comVyper().PortOpen());
}

}  // namespace
