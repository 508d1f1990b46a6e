#pragma once
// The whole program against the emulated dive computer: the real main window, the real
// serial layer on a real pseudo-terminal, the port mapped through the settings store.
// The dive computer's memory is tests/golden/dives.txt; the profile files it must give are
// in tests/golden/e2e/, worked out by hand from those dive definitions.

#include <QByteArray>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "platform/FileWriter.h"
#include "platform/PosixSerialControl.h"
#include "platform/SettingsStore.h"
#include "platform/Waits.h"
#include "support/Fakes.h"
#include "ui/main/frmVyper.h"

namespace vyper::testing {

inline const QString kOriginal = QStringLiteral("Original Suunto (ohne Echo)");
inline const QString kSelfBuilt = QStringLiteral("Selbstbau (mit Echo)");
// Both, as the tests' columns: 0 the original interface, 1 the self-built one.
inline const QString kInterfaceTypes[] = {kOriginal, kSelfBuilt};
inline std::string ColumnName(int column) { return column == 0 ? "Original" : "SelfBuilt"; }

// The emulator executable and the folder of the hand-checked files.
QString EmulatorPath();
QString GoldenFolder();

// A dive of the emulator's memory: the golden file's name (the date with the month as a
// number) and what the program's file name is made of (month name of the locale).
struct GoldenDive {
    const char* golden;
    int year, month, day;
    const char* time;  // "HH Uhr MM"
};
// The four dives, newest first.
inline const GoldenDive kDiveA{"2024-08-17 10 Uhr 42.txt", 2024, 8, 17, "10 Uhr 42"};
inline const GoldenDive kDiveB{"2024-08-16 15 Uhr 05.txt", 2024, 8, 16, "15 Uhr 05"};
inline const GoldenDive kDiveC{"2024-07-15 09 Uhr 07.txt", 2024, 7, 15, "09 Uhr 07"};
inline const GoldenDive kDiveD{"1999-12-31 23 Uhr 59.txt", 1999, 12, 31, "23 Uhr 59"};

// The name the program gives the dive's file.
QString ProgramFileName(const GoldenDive& d);
// The hand-checked file of the dive.
QByteArray Golden(const GoldenDive& d);

// The emulator's options for the golden memory, echoing for the self-built interface;
// `extra` come first. Unpaced answers come at once; paced ones at 2400 baud, in packets
// with pauses between them, as the dive computer sends them.
QStringList EmulatorArguments(const QString& interfaceType, QStringList extra = {}, bool paced = false);

// The settings report that the golden memory gives, from the first block's line to "OK."
// (tests/golden/settings-report.txt, worked out by hand like the profile files).
QStringList GoldenSettingsReport();

// The lines as one text, a line per line, for readable assertion messages.
std::string Text(const QStringList& lines);

// The lines that follow `first` in `lines`, up to `count` of them; empty when `first` is
// missing.
QStringList LinesAfter(const QStringList& lines, const QString& first, int count);

// Real waits whose pauses last 1/speed as long. Only for a peer that answers at once (the
// emulator's --fast mode), where the pauses cost time and change nothing. The clock stays
// real, so that the quiet gap after an answer keeps its length and a busy machine cannot
// make an answer look finished early.
class FastWaits : public Waits {
public:
    explicit FastWaits(int speed) : speed_(speed) {}
    bool Pause(int ms, const std::function<bool()>& cancelled) override { return system_.Pause(ms / speed_, cancelled); }
    void InterruptPauses() override { system_.InterruptPauses(); }
    void DoEvents() override { system_.DoEvents(); }
    int64_t MonotonicMs() override { return system_.MonotonicMs(); }
    void RunAside(const std::function<void()>& work) override { system_.RunAside(work); }

private:
    int speed_;
    SystemWaits system_;
};

// The program as a user starts it: COM2 (the first-run choice) is mapped to the emulator's
// pseudo-terminal in the settings, the chosen interface type is stored there too, the
// program's folder is a temporary one, the command delay is 0.
class Program {
public:
    // `clockSpeed` 1 runs the program on the real clock; see FastWaits for more.
    Program(const QString& devicePath, const QString& interfaceType, int clockSpeed = 1);
    ~Program();

    // Presses a button and lets the program run until the transfer has ended (a failed
    // assertion when it has not ended after 30 s).
    void Press(QPushButton* button);

    QString ProfilePath(const QString& name) const;
    QStringList StoredFiles() const;
    void Store(const QString& name, const QByteArray& bytes) const { WriteAll(ProfilePath(name), bytes); }
    // The message list's lines as the program wrote them (a note split to the list's width whole).
    QStringList Messages() const { return window->lstVyperComm->Lines(); }

    RecordingMessageBoxes boxes;
    std::unique_ptr<frmVyper> window;

private:
    MemorySettingsStore settings_;
    PosixSerialControl serial_;
    FastWaits waits_;
    AtomicFileWriter files_;
    QTemporaryDir folder_;
};

}  // namespace vyper::testing
