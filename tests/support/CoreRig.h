#pragma once
// The core on the platform fakes and on stand-ins for the window's seams: what the tests and
// the fuzzers drive when the window is not what they look at.

#include <QDir>
#include <QStringList>
#include <vector>

#include "link/UserChoices.h"
#include "platform/AppInfo.h"
#include "support/Fakes.h"
#include "transfer/VyperComm.h"

namespace vyper::testing {

// A message list that keeps its lines and which one is selected. A note (a line the program
// adds beyond its described texts) is in `lines` like any other and also in `notes`.
class RecordingSink : public MessageSink {
public:
    void AddItem(const QString& line) override { lines.append(line); }
    void SelectLast() override { selected = static_cast<int>(lines.size()) - 1; }
    void AddLineShown(const QString& line) override {
        AddItem(line);
        SelectLast();
    }
    void Refresh() override {}
    void AddNote(const QString& line) override {
        AddItem(line);
        notes.append(line);
    }
    void AddNoteShown(const QString& line) override {
        AddLineShown(line);
        notes.append(line);
    }
    QStringList lines;
    QStringList notes;
    int selected = -1;
};

class RecordingCounters : public CountersDisplay {
public:
    void ShowBytes(int32_t total) override { bytes = total; }
    void ShowDives(int32_t number) override { dives = number; }
    void ShowErrors(int16_t count) override { errors = count; }
    void MarkErrors(bool failed) override { errorsMarked = failed; }
    void RefreshErrors() override {}
    int32_t bytes = 0;
    int32_t dives = 0;
    int16_t errors = 0;
    bool errorsMarked = false;
};

// The user's choices as plain fields, set by the test.
class FixedChoices : public LinkChoices, public TransferControls, public StorageChoices {
public:
    QString InterfaceText() const override { return interfaceText; }
    QString PortText() const override { return portText; }
    QString DelayText() const override { return delayText; }
    QString DiveCountText() const override { return diveCountText; }
    QString ErrorLimitText() const override { return errorLimitText; }
    void FocusClose() override { ++closeFocused; }
    bool OnlyNewDives() const override { return onlyNew; }
    OverwritePolicy Overwrite() const override { return overwrite; }

    QString interfaceText = kInterfaceOriginal;
    QString portText = QStringLiteral("2");
    QString delayText = QStringLiteral("0");
    QString diveCountText = QStringLiteral("Alle");
    QString errorLimitText = QStringLiteral("3");
    bool onlyNew = false;
    OverwritePolicy overwrite = OverwritePolicy::Never;
    int closeFocused = 0;
};

class RecordingTimer : public IntervalTimer {
public:
    int Interval() const override { return interval; }
    void SetInterval(int ms) override { interval = ms; }
    int interval = 0;
};

// The core with everything of the window replaced, and a profile folder of its own.
struct CoreRig {
    // `log`, when given, is where every transfer is logged; it must outlive the rig.
    explicit CoreRig(TransferLog* log = nullptr);
    TestPlatform p;
    RecordingSink messages;
    RecordingSink files;
    RecordingCounters counters;
    FixedChoices choices;
    RecordingTimer control;  // timDownLoadCtrl
    RecordingTimer poll;     // timChkRxDone
    VyperComm m;

    // Runs ticks of the control timer while it is on, at most `limit`; returns how many ran.
    int RunTicks(int limit = 50);
    // The profile files stored so far, by name.
    QStringList ProfileFiles() const { return QDir(m.ProfileFolder).entryList(QDir::Files, QDir::Name); }

    // Opens the port, one byte a receive event, in a transfer state through an interface type.
    void OpenPort(int16_t downloadState, int16_t interfaceType = 1);
    // Bytes arriving, each handed to the receive handler by an event of its own.
    void Arrive(const QByteArray& bytes);
    // A file of the profile folder written or read (see ReadAll).
    void StoreProfile(const QString& name, const QByteArray& bytes) const { WriteAll(JoinPath(m.ProfileFolder, name), bytes); }
    QByteArray ReadProfile(const QString& name) const { return ReadAll(JoinPath(m.ProfileFolder, name)); }
    // Every change of TransferActive, in order.
    std::vector<bool> activeChanges;
};

}  // namespace vyper::testing
