#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <deque>

#include "link/EchoCheck.h"
#include "link/Reception.h"
#include "transfer/ReceivePoll.h"
#include "transfer/VyperComm.h"
#include "platform/MessageBoxes.h"
#include "support/DiveBytes.h"
#include "support/MainWindow.h"
#include "transfer/TransferControl.h"
#include "transfer/TransferEnd.h"
#include "ui/main/frmVyper.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

constexpr double kByteMs = 11.0 * 1000.0 / 2400.0;  // 2400 baud, 11 bits a byte

QByteArray Dive(int day, std::vector<int> samples) {
    samples.push_back(128);
    return ToBytes(DiveAnswer({24, 7, day, 14, 5, 30, 0, 24, 1, 30, 0, 18}, samples));
}

// A dive computer behind the fake serial control: it answers the commands byte by byte on
// the fake clock (packets 5 ms apart), so the answer arrives while the program waits.
class ScriptedDevice {
public:
    ScriptedDevice(TestPlatform& p, VyperComm& m) : p_(p) {
        p.serial.onOutput = [this](const QByteArray& bytes) { OnOutput(bytes); };
        p.waits.onSleep = [this](int) { Release(); };
        p.waits.onDoEvents = [this, &m] {
            Release();
            while (p_.serial.InBufferCount() > 0) comVyper_OnComm(m);
            if (onDoEvents) onDoEvents();
        };
    }

    std::vector<QByteArray> dives;
    double latencyMs = 20;
    int slowPacket = -1;  // packet of every answer preceded by extra silence
    double slowPacketGapMs = 0;
    std::vector<int> commands;  // their first bytes
    std::function<void()> onDoEvents;

private:
    void OnOutput(const QByteArray& bytes) {
        if (command_.isEmpty()) line_.clear();  // a new command silences the line
        command_ += bytes;
        const int code = static_cast<unsigned char>(command_[0]);
        if ((code == 0x08 || code == 0x09) && command_.size() == 3) {
            next_ = code == 0x08 ? 0 : next_ + 1;
            if (next_ < dives.size()) Schedule(Packets(dives[next_]), true);
        } else if (code == 0x05 && command_.size() == 5) {
            Schedule(WithChecksum(command_.left(4) + QByteArray(static_cast<unsigned char>(command_[3]), '\0')), false);
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

std::vector<QByteArray> FiveDives() {
    return {Dive(15, {10, 10, 122, 246, 2, 254}), Dive(14, std::vector<int>(40, 2)), Dive(12, {20, 20, 20, 236, 236, 236}),
            Dive(1, std::vector<int>(70, 1)), Dive(24, {5, 5, 251, 251})};
}

struct Session : MainWindow {
    Session() { w.txtComDelay->SetText(QStringLiteral("0")); }
    int RunTicks(int limit = 50) {
        int ticks = 0;
        while (w.timDownLoadCtrl->Interval() > 0 && ticks < limit) {
            timDownLoadCtrl_Timer(m);
            ++ticks;
        }
        return ticks;
    }
    ScriptedDevice device{p, m};
};

QStringList Tail(const QStringList& lines, int n) { return lines.mid(lines.size() - n); }

QString LostLine(int place) {
    return QStringLiteral("  verloren: der %1. Tauchgang, vom neuesten an gezählt (Datum unbekannt)").arg(place);
}

// The controls that a running transfer locks.
std::vector<QWidget*> LockedControls(frmVyper& w) {
    return {w.cmdDownload, w.cmdGetVyperSettings, w.cmbCommPort, w.cmdPortDevices, w.lstInterfaceType, w.txtComDelay};
}

}  // namespace

TEST(TransferControl, DownloadsEndAtTheErrorLimitOrTheDiveLimit) {
    const QStringList summary = {QString(), QStringLiteral("Übertragung beendet."), QString(),
                                 QStringLiteral("Alle Tauchgänge wurden in das Datenformat von Lotwerk"),
                                 QStringLiteral("umgewandelt und im Ordner")};
    const struct {
        const char* name;
        const char* nDives;
        int ticks, files, errors;
        bool box;
    } cases[] = {
        {"all dives", "Alle", 8, 5, 3, false},  // the error limit 3 after the last dive
        {"dive limit", "2", 2, 2, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        s.device.dives = FiveDives();
        s.w.cmbNDives->SetText(QString::fromUtf8(c.nDives));
        s.w.cmdDownload->click();
        EXPECT_EQ(s.RunTicks(), c.ticks);
        std::vector<int> commands(c.ticks, 0x09);  // the first request, then one next-dive request per tick
        commands[0] = 0x08;
        EXPECT_EQ(s.device.commands, commands);
        EXPECT_EQ(s.ProfileFiles().size(), c.files);
        EXPECT_EQ(s.m.DivesConverted, c.files);
        EXPECT_EQ(s.w.lblErr->Caption(), QString::number(c.errors));
        EXPECT_FALSE(s.p.serial.PortOpen());
        ASSERT_EQ(s.p.boxes.shown.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(s.p.boxes.shown[0].text, QStringLiteral("Übertragung beendet"));
            EXPECT_FALSE(s.Lines().contains(QStringLiteral("Übertragung beendet.")));
        } else {
            EXPECT_EQ(Tail(s.Lines(), 7), summary + QStringList({s.m.ProfileFolder, QStringLiteral("abgespeichert.")}));
        }
    }
}

TEST(TransferControl, SettingsReadTakesFourTicksOrEndsAtErrorLimitZero) {
    for (auto [errMax, ticks] : {std::pair{"3", 4}, std::pair{"0", 1}}) {
        Session s;
        s.w.txtErrMax->SetText(QString::fromLatin1(errMax));
        s.w.cmdGetVyperSettings->click();
        EXPECT_EQ(s.RunTicks(), ticks) << errMax;
        EXPECT_EQ(s.device.commands.size(), static_cast<size_t>(ticks)) << errMax;
        EXPECT_EQ(s.m.SettingsStep, ticks) << errMax;
        EXPECT_FALSE(s.p.serial.PortOpen());
    }
}

TEST(TransferControl, StopDuringTheWaitEvaluatesNothing) {
    Session s;
    s.device.dives = FiveDives();
    s.device.latencyMs = 150;  // the answer is still on its way when the wait begins
    bool stopped = false;
    s.device.onDoEvents = [&] {
        if (!stopped && s.p.serial.InBufferCount() == 0 && s.m.RxTotal > 0) {
            stopped = true;
            s.w.cmdStop->click();
        }
    };
    s.w.cmdDownload->click();
    timDownLoadCtrl_Timer(s.m);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(s.m.DownloadState, 0);
    EXPECT_EQ(s.m.DivesConverted, 0);
    EXPECT_EQ(s.w.timDownLoadCtrl->Interval(), 0);
    EXPECT_TRUE(s.ProfileFiles().isEmpty());
    EXPECT_TRUE(s.Lines().contains(QStringLiteral("Übertragung unterbrochen.")));
}

TEST(TransferControl, AReplyTricklingInWithShortGapsArrivesWhole) {
    for (double gap : {0.0, 150.0}) {
        Session s;
        s.device.dives = {Dive(15, std::vector<int>(120, 2))};
        s.device.slowPacket = 2;
        s.device.slowPacketGapMs = gap;
        s.w.cmdDownload->click();
        timDownLoadCtrl_Timer(s.m);
        EXPECT_EQ(s.m.ProfileCount, s.device.dives[0].size()) << gap;
        EXPECT_EQ(s.m.DivesConverted, 1) << gap;
        ASSERT_EQ(s.ProfileFiles().size(), 1) << gap;
        QFile file(QDir(s.m.ProfileFolder).filePath(s.ProfileFiles()[0]));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().contains("3600\t\t-120\r\n")) << gap;  // the 120th sample, 30 s apart
    }
}

TEST(TransferControl, AFailedStartLeavesEverythingAsItWas) {
    for (bool settings : {false, true}) {
        Session s;
        s.p.serial.failNextOpen = std::make_unique<SerialFailure>(SerialFailureKind::PortBusy, QStringLiteral("/dev/ttyS1"),
                                                                  QStringLiteral("belegt"));
        if (settings) s.w.cmdGetVyperSettings->click();
        else s.w.cmdDownload->click();
        EXPECT_EQ(s.m.DownloadState, 0);
        EXPECT_EQ(s.w.timDownLoadCtrl->Interval(), 0);
        ASSERT_EQ(s.p.boxes.shown.size(), 1u);
        EXPECT_EQ(s.p.boxes.shown[0].text,
                  QStringLiteral("Schnittstelle COM2: wird bereits von einem anderem Programm oder Prozess verwendet."));
        // The program stays usable: the next start works.
        s.w.cmdDownload->click();
        EXPECT_EQ(s.m.DownloadState, 2);
    }
}

TEST(TransferControl, ATickNeverRunsInsideAnother) {
    Session s;
    s.device.dives = FiveDives();
    int nested = 0;
    s.device.onDoEvents = [&] {
        if (nested++ == 0) {
            s.w.cmdDownload->click();         // a start clicked during the wait fails: port open
            timDownLoadCtrl_Timer(s.m);      // and a tick fired meanwhile must not run
        }
    };
    s.w.cmdDownload->click();
    timDownLoadCtrl_Timer(s.m);
    EXPECT_EQ(s.device.commands.size(), 1u);
    EXPECT_EQ(s.m.DivesConverted, 1);
    EXPECT_FALSE(s.m.InTick);
}

TEST(TransferControl, BytesBetweenTicksHoldTheTimerOnlyUntilTheyAreTaken) {
    Session s;
    s.w.cmdDownload->click();
    ASSERT_EQ(s.w.timDownLoadCtrl->Interval(), 100);
    s.p.serial.Receive(Bytes({0x55, 0x66}));  // noise between two ticks
    timChkRxDone_Timer(s.m);
    EXPECT_EQ(s.w.timDownLoadCtrl->Interval(), 0);
    timChkRxDone_Timer(s.m);
    EXPECT_EQ(s.w.timDownLoadCtrl->Interval(), 0);
    timChkRxDone_Timer(s.m);  // the queue is empty again: the transfer goes on
    EXPECT_EQ(s.w.timDownLoadCtrl->Interval(), 100);

    // A stopped transfer is not resumed.
    s.p.serial.Receive(Bytes({0x55}));
    timChkRxDone_Timer(s.m);
    s.w.cmdStop->click();
    timChkRxDone_Timer(s.m);
    EXPECT_EQ(s.w.timDownLoadCtrl->Interval(), 0);
}

TEST(TransferControl, AStartDuringATransferChangesNothing) {
    for (bool settings : {false, true}) {
        SCOPED_TRACE(settings ? "settings read" : "download");
        Session s;
        s.device.dives = FiveDives();
        if (settings) s.w.cmdGetVyperSettings->click();
        else s.w.cmdDownload->click();
        timDownLoadCtrl_Timer(s.m);
        s.w.lstInterfaceType->SetListIndex(0);  // what a start would read: the other interface, COM3
        s.w.cmbCommPort->SetText(QStringLiteral("3"));
        const auto state = [&s] {
            return std::tuple(s.p.serial.opens, s.p.serial.closes, s.p.serial.PortOpen(), s.m.DownloadState,
                              s.m.SettingsStep, s.m.DiveNumber, s.m.DivesConverted, s.m.RxTotal, s.m.InterfaceType,
                              s.m.CommPortNumber, s.Lines(), s.p.boxes.shown.size(), s.w.lblCnt->Caption(),
                              s.w.timDownLoadCtrl->Interval());
        };
        const auto before = state();
        cmdDownload_Click(s.m);
        cmdGetVyperSettings_Click(s.m);
        EXPECT_EQ(state(), before);
        s.RunTicks();  // the transfer goes on as if nothing had been clicked
        EXPECT_EQ(settings ? s.Lines().last() : QString::number(s.ProfileFiles().size()),
                  settings ? QStringLiteral("OK.") : QStringLiteral("5"));
    }
}

TEST(TransferControl, StartsAndLinkChoicesAreLockedUntilTheTransferEndsInAnyWay) {
    const struct {
        const char* name;
        bool settings;
        std::function<void(Session&)> prepare, afterFirstTick;
        QString evidence;  // a line of the list, or a part of a box's text
    } cases[] = {
        {"error limit", false, {}, {}, QStringLiteral("Übertragung beendet.")},
        {"dive limit", false, [](Session& s) { s.w.cmbNDives->SetText(QStringLiteral("2")); }, {},
         QStringLiteral("Übertragung beendet")},
        {"Stop", false, {}, [](Session& s) { s.w.cmdStop->click(); }, QStringLiteral("Übertragung unterbrochen.")},
        {"settings read", true, {}, {}, QStringLiteral("OK.")},
        {"device lost", false, [](Session& s) { s.device.onDoEvents = [&s] { s.p.serial.deviceLost = true; }; }, {},
         QStringLiteral("Verbindung")},
        {"wrong cable", false, [](Session& s) { s.w.lstInterfaceType->SetListIndex(0); }, {},
         WrongInterfaceLine(EchoVerdict::CableDoesNotEcho)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        s.device.dives = FiveDives();
        if (c.prepare) c.prepare(s);
        if (c.settings) s.w.cmdGetVyperSettings->click();
        else s.w.cmdDownload->click();
        for (QWidget* control : LockedControls(s.w)) EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
        EXPECT_TRUE(s.w.cmdStop->isEnabled());
        timDownLoadCtrl_Timer(s.m);
        if (c.afterFirstTick) c.afterFirstTick(s);
        s.RunTicks();
        for (QWidget* control : LockedControls(s.w)) EXPECT_TRUE(control->isEnabled()) << control->metaObject()->className();
        EXPECT_FALSE(s.m.TransferActive);
        EXPECT_FALSE(s.p.serial.PortOpen());
        EXPECT_EQ(s.w.timDownLoadCtrl->Interval(), 0);
        const bool inBox = std::any_of(s.p.boxes.shown.begin(), s.p.boxes.shown.end(),
                                       [&c](const auto& box) { return box.text.contains(c.evidence); });
        EXPECT_TRUE(s.Lines().contains(c.evidence) || inBox);
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
        s.device.dives = FiveDives();
        s.p.serial.deviceName = QStringLiteral("/dev/ttyUSB0");
        s.w.cmdDownload->click();
        timDownLoadCtrl_Timer(s.m);
        const QStringList stored = s.ProfileFiles();
        ASSERT_EQ(stored.size(), 1);
        if (c.lostWhen) {
            s.device.onDoEvents = [&s, &c] {
                if (c.lostWhen(s.m)) s.p.serial.deviceLost = true;
            };
        } else {
            s.p.serial.deviceLost = true;
        }
        timDownLoadCtrl_Timer(s.m);
        ASSERT_EQ(s.p.boxes.shown.size(), 1u);
        const auto& box = s.p.boxes.shown[0];
        EXPECT_TRUE(box.text.contains(QStringLiteral("/dev/ttyUSB0")) && box.text.contains(QStringLiteral("Verbindung")))
            << qPrintable(box.text);
        EXPECT_EQ(box.style & 0xF0, style::Critical);
        EXPECT_FALSE(s.p.serial.PortOpen());
        EXPECT_FALSE(s.m.TransferActive);
        EXPECT_EQ(s.ProfileFiles(), stored);
        EXPECT_EQ(s.Lines().contains(LostLine(2)), c.secondDiveNamed);

        // Nothing further happens, even if a tick came.
        const QStringList lines = s.Lines();
        const size_t writes = s.p.serial.writes.size();
        timDownLoadCtrl_Timer(s.m);
        EXPECT_EQ(s.Lines(), lines);
        EXPECT_EQ(s.p.serial.writes.size(), writes);
        EXPECT_EQ(s.p.boxes.shown.size(), 1u);
    }
}

TEST(TransferEnd, LostDiveLinesNameEveryLostDive) {
    const QString again = QStringLiteral("Bitte noch einmal übertragen, mit ausgeschaltetem \"Nur neue Tauchgänge laden\".");
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
        {0, {}, true,
         {QStringLiteral("Störungen auf der Leitung: ob alle Tauchgänge übertragen wurden, ist nicht sicher "
                         "(0 Tauchgänge gespeichert)."),
          again}},
        {1, {{2, QString()}}, true,
         {QStringLiteral("Nicht alle Tauchgänge wurden abgespeichert: 1 Tauchgang gespeichert, 1 Tauchgang verloren:"),
          LostLine(2),
          QStringLiteral("Störungen auf der Leitung: ob alle Tauchgänge übertragen wurden, ist nicht sicher "
                         "(1 Tauchgang gespeichert)."),
          again}},
    };
    for (const auto& c : cases) EXPECT_EQ(LostDiveLines(c.stored, c.lost, c.disturbed), c.lines) << c.stored;
}
