#include <gtest/gtest.h>

#include <QFile>
#include <deque>

#include "platform/MessageBoxes.h"
#include "support/CoreRig.h"
#include "support/DiveBytes.h"
#include "transfer/ActivityIndicator.h"
#include "transfer/ReceivePoll.h"
#include "transfer/TransferControl.h"
#include "transfer/TransferEnd.h"
#include "transfer/TransferStop.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

constexpr double kByteMs = 11.0 * 1000.0 / 2400.0;  // 2400 baud, 11 bits a byte

QByteArray Dive(int day, std::vector<int> samples) {
    samples.push_back(128);
    return Bytes(DiveAnswer({24, 7, day, 14, 5, 30, 0, 24, 1, 30, 0, 18}, samples));
}

// A dive computer behind the fake serial control: it answers the commands byte by byte on
// the fake clock (packets 5 ms apart), so the answer arrives while the program waits.
class ScriptedDevice {
public:
    ScriptedDevice(TestPlatform& p, VyperComm& m) : p_(p) {
        p.serial.onOutput = [this](const QByteArray& bytes) { OnOutput(bytes); };
        p.waits.onSleep = [this](int ms) {
            Release();
            if (onSleep) onSleep(ms);
        };
        p.waits.onDoEvents = [this, &m] {
            Release();
            while (p_.serial.InBufferCount() > 0) comVyper_OnComm(m);
            if (onDoEvents) onDoEvents();
        };
    }

    std::vector<QByteArray> dives = {Dive(15, {10, 10, 122, 246, 2, 254}), Dive(14, std::vector<int>(40, 2)),
                                     Dive(12, {20, 20, 20, 236, 236, 236}), Dive(1, std::vector<int>(70, 1)),
                                     Dive(24, {5, 5, 251, 251})};
    double latencyMs = 20;
    int slowPacket = -1;  // packet of every answer preceded by extra silence
    double slowPacketGapMs = 0;
    int answered = -1;    // commands answered before the device falls silent; -1: all of them
    int spoiltDive = -1;  // the dive whose first packet has a wrong checksum
    bool echo = false;    // the self-built interface: every byte sent comes back at once
    std::vector<int> commands;  // their first bytes
    std::function<void(int)> onSleep;  // after each pause of the program
    std::function<void()> onDoEvents;  // after each turn of the message loop

private:
    void OnOutput(const QByteArray& bytes) {
        if (command_.isEmpty()) line_.clear();  // a new command silences the line
        for (const char byte : bytes) {
            if (echo) line_.push_back({static_cast<double>(p_.waits.now), static_cast<unsigned char>(byte)});
        }
        command_ += bytes;
        const int code = static_cast<unsigned char>(command_[0]);
        const bool silent = answered >= 0 && static_cast<int>(commands.size()) >= answered;
        if ((code == 0x08 || code == 0x09) && command_.size() == 3) {
            next_ = code == 0x08 ? 0 : next_ + 1;
            const int spoilt = static_cast<int>(next_) == spoiltDive ? 0 : -1;
            if (next_ < dives.size() && !silent) Schedule(Packets(dives[next_], 0x09, spoilt), true);
        } else if (code == 0x05 && command_.size() == 5) {
            if (!silent) Schedule(WithChecksum(command_.left(4) + QByteArray(static_cast<unsigned char>(command_[3]), '\0')), false);
        } else if (code == 0x08 || code == 0x09 || code == 0x05) {
            return;  // not complete yet
        }
        commands.push_back(code);
        command_.clear();
    }

    void Schedule(const QByteArray& answer, bool packets) {
        double t = static_cast<double>(p_.waits.now) + latencyMs;
        for (qsizetype i = 0; i < answer.size(); ++i, t += kByteMs) {
            if (packets && i > 0 && i % 35 == 0) t += 5 + (i / 35 == slowPacket ? slowPacketGapMs : 0);
            line_.push_back({t, static_cast<unsigned char>(answer[i])});
        }
    }

    void Release() {
        for (; !line_.empty() && line_.front().first <= static_cast<double>(p_.waits.now); line_.pop_front()) {
            if (p_.serial.PortOpen()) p_.serial.Receive(Bytes({line_.front().second}));
        }
    }

    TestPlatform& p_;
    QByteArray command_;
    size_t next_ = 0;
    std::deque<std::pair<double, unsigned char>> line_;
};

// The core on the scripted device, the command delay 0.
struct Session : CoreRig {
    explicit Session(TransferLog* log = nullptr) : CoreRig(log) {}
    ScriptedDevice device{p, m};
    void Start(bool settings) { settings ? cmdGetVyperSettings_Click(m) : cmdDownload_Click(m); }
};

const QString kEnded = QStringLiteral("Übertragung beendet.");
const QString kStopped = QStringLiteral("Übertragung unterbrochen.");
// The activity line for 1, which a stop and the end of a settings read write.
const QString kActivityOne = QStringLiteral("~~~ >{{{°> ~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~");

// The count line that closes every download.
QString ResultLine(int written, int kept, int lost) {
    return QStringLiteral("Ergebnis: %1 neu gespeichert, %2 schon vorhanden (nicht überschrieben), %3 verloren.")
        .arg(written).arg(kept).arg(lost);
}

const QString kOnlyNew = QStringLiteral("Nur neue Tauchgänge: beim ersten schon gespeicherten Tauchgang angehalten.");
const QString kRetry = QStringLiteral("Bitte noch einmal übertragen, mit ausgeschaltetem \"Nur neue Tauchgänge laden\".");

QString LostLine(int place) {
    return QStringLiteral("  verloren: der %1. Tauchgang, vom neuesten an gezählt (Datum unbekannt)").arg(place);
}

}  // namespace

// The limits typed in the window end a transfer after the tick that reaches them, once: the
// dive limit with a box, the error limit with its lines. (The error limit after the last
// dive, and the other ends, are in the end-to-end tests and the fault matrix.)
TEST(TransferControl, TheDiveAndErrorLimitsEndATransferOnce) {
    const struct {
        const char* name;
        bool settings;
        const char *diveLimit, *errorLimit;
        int ticks;
        bool box;
    } cases[] = {
        {"dive limit 2", false, "2", "3", 2, true},
        {"dive limit 1, the error limit 0 reached as well", false, "1", "0", 1, true},
        {"error limit 0, download", false, "Alle", "0", 1, false},
        {"error limit 0, settings read", true, "Alle", "0", 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        s.choices.diveCountText = QString::fromUtf8(c.diveLimit);
        s.choices.errorLimitText = QString::fromUtf8(c.errorLimit);
        s.Start(c.settings);
        EXPECT_EQ(s.RunTicks(), c.ticks);  // and the timer is off
        EXPECT_EQ(s.device.commands.size(), c.ticks);
        EXPECT_EQ(s.ProfileFiles().size(), c.settings ? 0 : c.ticks);
        EXPECT_EQ(c.settings ? s.m.SettingsStep : s.m.DivesConverted, c.ticks);
        EXPECT_EQ(s.activeChanges, (std::vector<bool>{true, false}));
        EXPECT_FALSE(s.p.serial.PortOpen());
        EXPECT_EQ(s.p.boxes.shown.size(), c.box ? 1u : 0u);
        for (const auto& box : s.p.boxes.shown) EXPECT_EQ(box.text, QStringLiteral("Übertragung beendet"));
        EXPECT_EQ(s.messages.lines.count(kEnded), c.box ? 0 : 1);
    }
}

// A click while a tick runs (in a pause of its command or in the wait for the answer) takes
// effect at once: no byte and no pause of the command follows a Stop, and nothing of the
// interrupted exchange is evaluated, not even when a new transfer has begun meanwhile.
TEST(TransferControl, AClickDuringATickEndsItsExchangeAtOnce) {
    enum class Click { Stop, StopAndStart, StartAndTick };
    const struct {
        const char* name;
        int pause;  // the pause clicked in (12, 100, the delay's 1750); 0: the wait for the answer
        Click click;
        qsizetype bytesSent;
        int converted;
    } cases[] = {
        {"Stop before the checksum byte", 12, Click::Stop, 2, 0},
        {"Stop while RTS is held", 100, Click::Stop, 3, 0},
        {"Stop during the delay", 1750, Click::Stop, 3, 0},
        {"Stop during the wait", 0, Click::Stop, 3, 0},
        {"Stop and a new start during the delay", 1750, Click::StopAndStart, 3, 0},
        // A start clicked during the wait is refused; a tick fired meanwhile must not run.
        {"a start and a tick during the wait", 0, Click::StartAndTick, 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        s.choices.delayText = QStringLiteral("350");
        bool clicked = false;
        const auto click = [&] {
            clicked = true;
            if (c.click != Click::StartAndTick) cmdStop_Click(s.m);
            if (c.click != Click::Stop) cmdDownload_Click(s.m);
            if (c.click == Click::StartAndTick) timDownLoadCtrl_Timer(s.m);
        };
        s.device.onSleep = [&](int ms) {
            if (!clicked && ms == c.pause) click();
        };
        s.device.onDoEvents = [&] {
            if (!clicked && c.pause == 0 && s.m.RxTotal > 0) click();
        };
        cmdDownload_Click(s.m);
        timDownLoadCtrl_Timer(s.m);
        ASSERT_TRUE(clicked);
        EXPECT_EQ(s.p.serial.sent.size(), c.bytesSent);
        EXPECT_EQ(s.m.DivesConverted, c.converted);
        EXPECT_EQ(s.m.ErrorCount, 0);
        EXPECT_FALSE(s.m.InTick);
        EXPECT_TRUE(s.p.boxes.shown.empty());
        const bool running = c.click != Click::Stop;
        EXPECT_EQ(s.m.TransferActive, running);
        EXPECT_EQ(s.control.interval, running ? kControlTimerInterval : 0);
        EXPECT_EQ(s.p.serial.PortOpen(), running);
        if (running) continue;
        EXPECT_EQ(s.messages.lines.mid(s.messages.lines.size() - 3),
                  (QStringList{kActivityOne, kStopped, ResultLine(0, 0, 0)}));
        EXPECT_EQ(s.messages.selected, s.messages.lines.size() - 1);
        if (c.pause > 0) {
            EXPECT_EQ(s.p.waits.sleeps.back(), c.pause) << "a pause waited after the click";
        }
    }
}

TEST(TransferControl, AReplyTricklingInWithShortGapsArrivesWhole) {
    for (double gap : {0.0, 150.0}) {
        Session s;
        s.device.dives = {Dive(15, std::vector<int>(120, 2))};
        s.device.slowPacket = 2;
        s.device.slowPacketGapMs = gap;
        cmdDownload_Click(s.m);
        timDownLoadCtrl_Timer(s.m);
        EXPECT_EQ(s.m.ProfileCount, s.device.dives[0].size()) << gap;
        ASSERT_EQ(s.ProfileFiles().size(), 1) << gap;
        EXPECT_TRUE(s.ReadProfile(s.ProfileFiles()[0]).contains("3600\t\t-120\r\n")) << gap;  // the 120th sample
    }
}

// A port that does not open is reported and changes nothing: no transfer, the delay as it
// was; the next start works.
TEST(TransferControl, AFailedStartLeavesEverythingAsItWas) {
    for (bool settings : {false, true}) {
        Session s;
        s.m.CommandDelay = 100;
        s.choices.delayText = QStringLiteral("500");
        s.p.serial.failNextOpen = std::make_unique<SerialFailure>(SerialFailureKind::PortBusy, QStringLiteral("/dev/ttyS1"),
                                                                  QStringLiteral("belegt"));
        s.Start(settings);
        EXPECT_EQ(std::tuple(s.m.DownloadState, s.m.CommandDelay, s.activeChanges.size(), s.control.interval),
                  std::tuple(0, 100, 0u, 0));
        ASSERT_EQ(s.p.boxes.shown.size(), 1u);
        EXPECT_EQ(s.p.boxes.shown[0].text,
                  QStringLiteral("Schnittstelle COM2: wird bereits von einem anderem Programm oder Prozess verwendet."));
        cmdDownload_Click(s.m);
        EXPECT_EQ(std::tuple(s.m.DownloadState, s.m.CommandDelay), std::tuple(2, 500));
    }
}

TEST(TransferControl, AStartDuringATransferChangesNothing) {
    for (bool settings : {false, true}) {
        SCOPED_TRACE(settings ? "settings read" : "download");
        Session s;
        s.Start(settings);
        timDownLoadCtrl_Timer(s.m);
        s.choices.interfaceText = kInterfaceSelfBuilt;  // what a start would read: the other interface, COM3
        s.choices.portText = QStringLiteral("3");
        const auto state = [&s] {
            return std::tuple(s.p.serial.opens, s.p.serial.closes, s.p.serial.PortOpen(), s.m.DownloadState,
                              s.m.SettingsStep, s.m.DiveNumber, s.m.DivesConverted, s.m.RxTotal, s.m.InterfaceType,
                              s.m.CommPortNumber, s.messages.lines, s.p.boxes.shown.size(), s.counters.bytes,
                              s.control.interval, s.activeChanges);
        };
        const auto before = state();
        cmdDownload_Click(s.m);
        cmdGetVyperSettings_Click(s.m);
        EXPECT_EQ(state(), before);
        s.RunTicks();  // the transfer goes on as if nothing had been clicked
        EXPECT_EQ(settings ? s.messages.lines.last() : QString::number(s.ProfileFiles().size()),
                  settings ? QStringLiteral("OK.") : QStringLiteral("5"));
    }
}

// Whatever the window's loop runs while a dive's file is written (the program holds clicks
// back then; a timer could still stop a transfer or start one) leaves the file whole and
// listed, and the tick that wrote it does not go on in a transfer started meanwhile.
TEST(TransferControl, AStopOrANewStartDuringAFileWriteEndsOnlyTheOldTransfer) {
    {
        SCOPED_TRACE("Stop during the second dive's write");
        Session s;
        s.Start(false);
        s.p.waits.onAside = [&s] {
            if (s.p.waits.asides == 2) cmdStop_Click(s.m);
        };
        EXPECT_EQ(s.RunTicks(), 2);
        QStringList listed = s.files.lines;
        listed.sort();
        EXPECT_EQ(listed, s.ProfileFiles());
        EXPECT_EQ(s.ProfileFiles().size(), 2);
        // The dive was on its way to the disk: its nine lines come after the Stop's lines,
        // without an activity step of a transfer that is over.
        const QStringList& lines = s.messages.lines;
        EXPECT_LT(lines.indexOf(kStopped), lines.size() - 9);
        EXPECT_EQ(lines.value(lines.size() - 9), QStringLiteral("Datum: \t\t\t\t24-07-14"));
        EXPECT_EQ(std::tuple(s.m.DownloadState, s.m.TransferActive, s.control.interval, s.p.serial.PortOpen()),
                  std::tuple(0, false, 0, false));
        EXPECT_FALSE(s.messages.lines.contains(kEnded));
    }
    {
        SCOPED_TRACE("Stop and a new download during the first dive's write, error limit 0");
        Session s;
        s.choices.errorLimitText = QStringLiteral("0");
        s.Start(false);
        s.p.waits.onAside = [&s] {
            if (s.p.waits.asides != 1) return;
            cmdStop_Click(s.m);
            s.Start(false);
        };
        timDownLoadCtrl_Timer(s.m);
        // The old tick neither ends the new transfer at its error limit nor counts into it.
        EXPECT_EQ(std::tuple(s.m.DownloadState, s.m.TransferActive, s.control.interval, s.m.DiveNumber, s.m.DivesConverted),
                  std::tuple(2, true, 100, 1, 0));
        EXPECT_FALSE(s.messages.lines.contains(kEnded));
        const QStringList& lines = s.messages.lines;
        EXPECT_LT(lines.indexOf(kStopped), lines.size() - 9);
        EXPECT_EQ(lines.value(lines.size() - 9), QStringLiteral("Datum: \t\t\t\t24-07-15"));
        // The new download meets the stored dive ("Nie überschreiben") and ends at its limit.
        EXPECT_EQ(s.RunTicks(), 1);
        EXPECT_EQ(lines.count(kEnded), 1);
        const qsizetype skipped = lines.indexOf(QStringLiteral("Dieser Tauchgang wurde bereits abgespeichert:"));
        EXPECT_EQ(lines.mid(skipped + 1, 2), (QStringList{s.ProfileFiles().value(0), ActivityLine(2)}));
        EXPECT_EQ(s.files.lines, s.ProfileFiles());
    }
}

TEST(TransferControl, ALostDeviceEndsTheDownloadOnceAndKeepsTheStoredDives) {
    // The second dive (57 bytes) comes in packets of 35 and 28 bytes.
    const struct {
        const char* name;
        std::function<bool(const VyperComm&)> lostWhen;  // looked at during the second answer
        bool secondDiveNamed;
    } cases[] = {
        {"before the second command", {}, false},
        {"inside the second packet", [](const VyperComm& m) { return m.FullPacketsTaken == 1 && m.RxCount > 0; }, true},
        {"right after the first packet", [](const VyperComm& m) { return m.FullPacketsTaken == 1; }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        s.p.serial.deviceName = QStringLiteral("/dev/ttyUSB0");
        cmdDownload_Click(s.m);
        timDownLoadCtrl_Timer(s.m);
        const QStringList stored = s.ProfileFiles();
        ASSERT_EQ(stored.size(), 1);
        s.p.serial.deviceLost = !c.lostWhen;
        s.device.onDoEvents = [&s, &c] { s.p.serial.deviceLost |= c.lostWhen && c.lostWhen(s.m); };
        timDownLoadCtrl_Timer(s.m);
        ASSERT_EQ(s.p.boxes.shown.size(), 1u);
        const auto& box = s.p.boxes.shown[0];
        EXPECT_TRUE(box.text.contains("/dev/ttyUSB0") && box.text.contains("Verbindung") && (box.style & 0xF0) == style::Critical)
            << qPrintable(box.text);
        EXPECT_FALSE(s.p.serial.PortOpen() || s.m.TransferActive);
        EXPECT_EQ(s.ProfileFiles(), stored);
        EXPECT_EQ(s.messages.lines.contains(LostLine(2)), c.secondDiveNamed);
        const auto after = std::tuple(s.messages.lines, s.p.serial.writes.size(), s.p.boxes.shown.size());
        timDownLoadCtrl_Timer(s.m);  // nothing further happens, even if a tick came
        EXPECT_EQ(std::tuple(s.messages.lines, s.p.serial.writes.size(), s.p.boxes.shown.size()), after);
    }
}

// Between two ticks the poll holds the control timer while bytes wait, so that no command
// goes out into an answer still coming, and lets it go once they are taken. Noise that never
// stops must not hold it for ever: after a second of holding, across short gaps, the next
// tick may come. A stopped transfer is not resumed.
TEST(ReceivePoll, HoldsTheNextExchangeWhileBytesWaitButNotForEver) {
    Session s;
    cmdDownload_Click(s.m);
    s.p.serial.Receive(Bytes({0x55, 0x66}));
    for (int interval : {0, 0, kControlTimerInterval}) {
        timChkRxDone_Timer(s.m);
        EXPECT_EQ(s.control.interval, interval);
    }
    int heldTicks = 0;
    for (int tick = 0; tick < 150; ++tick) {
        if (tick % 5 != 4) s.p.serial.Receive(Bytes({0x55}));  // every fifth look finds the queue empty
        timChkRxDone_Timer(s.m);
        if (s.control.interval == 0) ++heldTicks;
        s.p.waits.now += kReceivePollInterval;
    }
    EXPECT_GE(heldTicks, 70) << "the poll holds the next exchange while bytes come";
    EXPECT_LE(heldTicks, 110) << "but not for more than about a second";
    EXPECT_EQ(s.control.interval, kControlTimerInterval) << "the next exchange is due";

    s.p.serial.Receive(Bytes({0x55}));
    cmdStop_Click(s.m);
    timChkRxDone_Timer(s.m);
    EXPECT_EQ(s.control.interval, 0);
}

// Stop while no transfer runs still appends its lines and changes nothing else. (Stop during
// a transfer is in AClickDuringATickEndsItsExchangeAtOnce.)
TEST(TransferStop, AppendsItsLinesEvenWhenIdle) {
    CoreRig t;
    cmdStop_Click(t.m);
    cmdStop_Click(t.m);
    const QStringList pair{kActivityOne, kStopped};
    EXPECT_EQ(t.messages.lines, pair + pair);
    EXPECT_EQ(t.messages.selected, 3);
    EXPECT_EQ(std::tuple(t.p.serial.opens, t.p.serial.closes, t.m.DownloadState, t.activeChanges.size()),
              std::tuple(0, 0, 0, 0u));
}

TEST(ActivityIndicator, TheFishSwimsRightThenLeft) {
    const QString right = QStringLiteral(" >{{{\u00B0> ");
    const QString left = QStringLiteral(" <\u00B0}}}< ");
    const struct {
        int16_t n;
        int leftTildes;
        bool headingRight;
        int rightTildes;
    } cases[] = {
        {0, 0, true, 36},  {1, 3, true, 36},   {3, 9, true, 35},   {18, 36, true, 3},
        {19, 36, false, 0}, {20, 36, false, 3}, {37, 2, false, 36}, {38, 1, true, 36},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ActivityLine(c.n), QString(c.leftTildes, QLatin1Char('~')) + (c.headingRight ? right : left) +
                                         QString(c.rightTildes, QLatin1Char('~')))
            << c.n;
    }
}

TEST(TransferEnd, LostDiveLinesNameEveryLostDive) {
    const QString again = QStringLiteral("Bitte noch einmal übertragen, mit ausgeschaltetem \"Nur neue Tauchgänge laden\".");
    const QString noise = QStringLiteral("Störungen auf der Leitung: ob alle Tauchgänge übertragen wurden, ist nicht sicher (%1).");
    const struct {
        int stored;
        std::vector<LostDive> lost;
        bool disturbed;
        QStringList lines;
    } cases[] = {
        {3, {}, false, {}},
        {4, {{2, QStringLiteral("16.08.2024, 15:05 Uhr")}}, false,
         {QStringLiteral("Nicht alle Tauchgänge wurden abgespeichert: 4 Tauchgänge gespeichert, 1 Tauchgang verloren:"),
          QStringLiteral("  verloren: der 2. Tauchgang, vom neuesten an gezählt (vom 16.08.2024, 15:05 Uhr)"), again}},
        {1, {{1, QString()}, {3, QStringLiteral("01.02.2003, 04:05 Uhr")}}, false,
         {QStringLiteral("Nicht alle Tauchgänge wurden abgespeichert: 1 Tauchgang gespeichert, 2 Tauchgänge verloren:"),
          LostLine(1), QStringLiteral("  verloren: der 3. Tauchgang, vom neuesten an gezählt (vom 01.02.2003, 04:05 Uhr)"),
          again}},
        {0, {}, true, {noise.arg(QStringLiteral("0 Tauchgänge gespeichert")), again}},
        {1, {{2, QString()}}, true,
         {QStringLiteral("Nicht alle Tauchgänge wurden abgespeichert: 1 Tauchgang gespeichert, 1 Tauchgang verloren:"),
          LostLine(2), noise.arg(QStringLiteral("1 Tauchgang gespeichert")), again}},
    };
    for (const auto& c : cases) EXPECT_EQ(LostDiveLines(c.stored, c.lost, c.disturbed), c.lines) << c.stored;
}

namespace {

// A log kept at a fixed place, for the line that names it.
class PlacedLog : public TransferLog {
public:
    void Begin(const QString&) override {}
    void Sent(QByteArrayView) override {}
    void Received(QByteArrayView) override {}
    void Note(const QString&) override {}
    void End(const QString&) override {}
    QString Path() const override { return QStringLiteral("/state/transfer.log"); }
};

std::string Text(const QStringList& lines) { return lines.join(QLatin1Char('\n')).toStdString(); }

// A download of every dive, its lines forgotten: the dives are stored before the next one.
void DownloadBefore(Session& s) {
    s.Start(false);
    s.RunTicks();
    s.messages.lines.clear();
    s.messages.notes.clear();
}

}  // namespace

// The lines that the program adds beyond its described texts are notes, which a window may
// split to its width; the described texts (packet lines, the settings report, the closing
// lines) never are.
TEST(TransferMessages, OnlyTheProgramsOwnAdditionsAreNotes) {
    const QString logLine = QStringLiteral("Protokoll dieser Übertragung: /state/transfer.log");
    const struct {
        const char* name;
        bool settings;
        std::function<void(Session&)> setUp;
        QStringList notes;
    } cases[] = {
        {"settings read, every block answered", true, {}, {}},
        {"download, five dives", false, {}, {ResultLine(5, 0, 0)}},
        {"settings read, silent device", true, [](Session& s) { s.device.answered = 0; },
         {QStringLiteral("Speicherblock 1 (Adresse 0 bis 31) konnte nicht gelesen werden."),
          QStringLiteral("Speicherblock 2 (Adresse 32 bis 63) konnte nicht gelesen werden."),
          QStringLiteral("Speicherblock 3 (Adresse 64 bis 95) konnte nicht gelesen werden."),
          QStringLiteral("Speicherblock 4 (Adresse 96 bis 127) konnte nicht gelesen werden."),
          QStringLiteral("Einstellungen unvollständig gelesen: 4 von 4 Speicherblöcken fehlen. Bitte noch einmal auslesen."),
          QStringLiteral("Keine Antwort vom Tauchcomputer: kein einziges Byte empfangen."), logLine}},
        {"download, the second dive spoilt", false, [](Session& s) { s.device.spoiltDive = 1; },
         {QStringLiteral("Übertragungsfehler (CRC Falsch): Tauchgang verworfen, bitte erneut übertragen."),
          QStringLiteral("Nicht alle Tauchgänge wurden abgespeichert: 4 Tauchgänge gespeichert, 1 Tauchgang verloren:"),
          QStringLiteral("  verloren: der 2. Tauchgang, vom neuesten an gezählt (vom 14.07.2024, 14:05 Uhr)"),
          kRetry, ResultLine(4, 0, 1), logLine}},
        // The described texts about stored dives stay plain lines.
        {"download, every dive stored before, never overwrite", false, [](Session& s) { DownloadBefore(s); },
         {ResultLine(0, 5, 0)}},
        {"download, only new dives, every dive stored before", false,
         [](Session& s) { DownloadBefore(s); s.choices.onlyNew = true; },
         {kOnlyNew, ResultLine(0, 1, 0)}},
        {"download, the self-built interface chosen, the cable does not echo", false,
         [](Session& s) { s.choices.interfaceText = kInterfaceSelfBuilt; },
         {QStringLiteral("Das Interface sendet kein Echo: bitte \"Original Suunto (ohne Echo)\" wählen und die "
                         "Übertragung neu starten."),
          ResultLine(0, 0, 0), logLine}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PlacedLog log;
        Session s(&log);
        if (c.setUp) c.setUp(s);
        s.Start(c.settings);
        s.RunTicks();
        EXPECT_FALSE(s.m.TransferActive);
        EXPECT_EQ(Text(s.messages.notes), Text(c.notes));
        // Every note is in the list as well, in its place among the other lines.
        QStringList inList;
        for (const QString& line : s.messages.lines) {
            if (c.notes.contains(line)) inList << line;
        }
        EXPECT_EQ(Text(inList), Text(c.notes));
    }
}

// A dive computer that sends nothing at all (the self-built interface's echo aside) is named
// once the transfer has run to its own end: one note in the list and one box that says what
// to check, the port with its device and the log. A device that answered at first keeps its
// own messages, and a Stop gets no box.
TEST(TransferControl, ASilentDiveComputerIsNamedOnce) {
    const QString checks = QStringLiteral(
        "Der Tauchcomputer hat nicht geantwortet. Bitte prüfen:\n"
        "1. Ist der Tauchcomputer im Übertragungsmodus?\n"
        "2. Sitzt das Interface fest auf den Kontakten des Tauchcomputers?\n"
        "3. Steckt das Interface an COM2 (/dev/ttyUSB0)?\n\n"
        "Protokoll dieser Übertragung: /state/transfer.log");
    const QString nothing = QStringLiteral("Keine Antwort vom Tauchcomputer: kein einziges Byte empfangen.");
    const QString echoOnly = QStringLiteral("Keine Antwort vom Tauchcomputer: nur das Echo des Interfaces kam zurück.");
    const struct {
        const char* name;
        bool settings;
        bool selfBuilt;
        int answered;
        bool stopInSecondExchange;
        QString line;  // empty: no such line and no box
    } cases[] = {
        {"settings read, original interface", true, false, 0, false, nothing},
        {"settings read, self-built interface", true, true, 0, false, echoOnly},
        {"download, original interface", false, false, 0, false, nothing},
        {"download, self-built interface", false, true, 0, false, echoOnly},
        {"download, two dives and then silence", false, false, 2, false, {}},
        {"settings read, two blocks and then silence", true, true, 2, false, {}},
        {"download, Stop while the device is silent", false, false, 0, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PlacedLog log;
        Session s(&log);
        s.p.serial.deviceName = QStringLiteral("/dev/ttyUSB0");
        s.device.answered = c.answered;
        s.device.echo = c.selfBuilt;
        if (c.selfBuilt) s.choices.interfaceText = kInterfaceSelfBuilt;
        s.device.onSleep = [&s, &c](int) {
            if (c.stopInSecondExchange && s.device.commands.size() == 2 && s.m.TransferActive) cmdStop_Click(s.m);
        };
        s.Start(c.settings);
        s.RunTicks();
        EXPECT_FALSE(s.m.TransferActive);
        EXPECT_EQ(s.ProfileFiles().size(), !c.settings && c.answered > 0 ? c.answered : 0);
        const bool named = !c.line.isEmpty();
        EXPECT_EQ(s.messages.lines.count(nothing) + s.messages.lines.count(echoOnly), named ? 1 : 0);
        EXPECT_EQ(s.messages.notes.contains(c.line), named);
        ASSERT_EQ(s.p.boxes.shown.size(), named ? 1u : 0u);
        if (!named) continue;
        EXPECT_EQ(s.p.boxes.shown[0].text, checks);
        EXPECT_EQ(s.p.boxes.shown[0].style, style::Critical);
        // The described closing lines stay, the note follows them.
        const QStringList described = c.settings ? QStringList{QStringLiteral("Speicherblock 4 (Adresse 96 bis 127) konnte nicht gelesen werden."),
                                                               kActivityOne}
                                                 : QStringList{QString(), kEnded, QString()};
        const qsizetype at = s.messages.lines.indexOf(c.line);
        ASSERT_GE(at, 3);
        EXPECT_EQ(s.messages.lines.mid(at - 3, described.size()), described);
    }
}

// Every download ends with its outcome in numbers after the described closing lines: files
// written (an overwritten one too), dives stored before and kept, dives lost.
TEST(TransferControl, EveryDownloadEndsWithItsResult) {
    const QString summaryEnd = QStringLiteral("abgespeichert.");
    const struct {
        const char* name;
        int storedBefore;  // the newest dives stored by an earlier download are the oldest ones
        std::function<void(Session&)> setUp;
        QStringList tail;
        int boxes;
    } cases[] = {
        {"all new", 0, {}, {summaryEnd, ResultLine(5, 0, 0)}, 0},
        {"three stored before, never overwrite", 3, {}, {summaryEnd, ResultLine(2, 3, 0)}, 0},
        {"all stored before, asked: yes once, then no", 5,
         [](Session& s) {
             s.choices.overwrite = OverwritePolicy::Ask;
             s.p.boxes.answers = {answer::Yes, answer::No};
         },
         {summaryEnd, ResultLine(1, 4, 0)}, 5},
        {"the second dive lost", 0, [](Session& s) { s.device.spoiltDive = 1; },
         {kRetry, ResultLine(4, 0, 1)}, 0},
        {"only new dives, three stored before", 3, [](Session& s) { s.choices.onlyNew = true; },
         {QStringLiteral("Tauchgang übertragen, der bereits gespeichert wurde."), kActivityOne, kStopped, kOnlyNew,
          ResultLine(2, 1, 0)}, 0},
        {"two dives asked for", 0, [](Session& s) { s.choices.diveCountText = QStringLiteral("2"); },
         {QStringLiteral("~~~~~~~~~ >{{{°> ~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~"), ResultLine(2, 0, 0)}, 1},
        {"Stop in the third exchange", 0,
         [](Session& s) {
             s.device.onSleep = [&s](int) {
                 if (s.device.commands.size() == 3 && s.m.TransferActive) cmdStop_Click(s.m);
             };
         },
         {kActivityOne, kStopped, ResultLine(2, 0, 0)}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        if (c.storedBefore > 0) {
            DownloadBefore(s);
            const QStringList names = s.ProfileFiles();
            ASSERT_EQ(names.size(), 5);
            // The two newest dives are 15 and 14 July; the others are kept on disk.
            for (const QString& name : names) {
                if (c.storedBefore < 5 && (name.contains(QStringLiteral("-15 ")) || name.contains(QStringLiteral("-14 ")))) {
                    QFile::remove(JoinPath(s.m.ProfileFolder, name));
                }
            }
            ASSERT_EQ(s.ProfileFiles().size(), c.storedBefore);
        }
        if (c.setUp) c.setUp(s);
        s.Start(false);
        s.RunTicks();
        EXPECT_FALSE(s.m.TransferActive);
        ASSERT_GE(s.messages.lines.size(), c.tail.size());
        EXPECT_EQ(Text(s.messages.lines.mid(s.messages.lines.size() - c.tail.size())), Text(c.tail));
        EXPECT_EQ(s.messages.notes.last(), c.tail.last());
        EXPECT_EQ(s.messages.selected, s.messages.lines.size() - 1);
        EXPECT_EQ(s.p.boxes.shown.size(), static_cast<std::size_t>(c.boxes));
    }
}

// A port that refuses the commands has its own box each time; the dive computer, which never
// heard a command, is not blamed for its silence.
TEST(TransferControl, ARefusedCommandIsNoSilentDiveComputer) {
    for (bool settings : {false, true}) {
        SCOPED_TRACE(settings ? "settings read" : "download");
        Session s;
        s.Start(settings);
        s.p.serial.SetPortOpen(false);
        s.RunTicks();
        EXPECT_FALSE(s.m.TransferActive);
        ASSERT_FALSE(s.p.boxes.shown.empty());
        for (const auto& box : s.p.boxes.shown) {
            EXPECT_EQ(box.text, QStringLiteral("Nur möglich, wenn Schnittstelle anprechbar ist."));
        }
        EXPECT_TRUE(s.messages.lines.filter(QStringLiteral("Keine Antwort vom Tauchcomputer")).isEmpty());
    }
}
