#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <deque>

#include "link/Reception.h"
#include "link/VyperComm.h"
#include "support/DiveBytes.h"
#include "support/MainWindow.h"
#include "transfer/TransferControl.h"
#include "ui/main/frmVyper.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

// One byte on the line at 2400 baud with 11 bits a byte.
constexpr double kByteMs = 11.0 * 1000.0 / 2400.0;

// One dive as the dive computer sends it: dive end first, header last; `samples` in time
// order, closed by the end marker unless `endMarker` is false.
QByteArray Dive(int year, int month, int day, int hour, int minute, std::vector<int> samples, bool endMarker = true) {
    if (endMarker) samples.push_back(128);
    return ToBytes(DiveAnswer({year, month, day, hour, minute, 30, 0, 24, 1, 30, 0, 18}, samples));
}

// A dive computer behind the fake serial control: it recognises the commands that were
// sent and puts its answer on the line byte by byte on the fake clock, so the answer
// arrives while the program sleeps and waits.
class ScriptedDevice {
public:
    ScriptedDevice(TestPlatform& p, VyperComm& m) : p_(p), m_(m) {
        p.serial.onOutput = [this](const QByteArray& bytes) { OnOutput(bytes); };
        p.waits.onSleep = [this](int) { Release(); };
        // The message loop delivers one receive event per waiting byte.
        p.waits.onDoEvents = [this] {
            Release();
            while (p_.serial.InBufferCount() > 0) comVyper_OnComm(m_);
            if (onDoEvents) onDoEvents();
        };
    }

    std::vector<QByteArray> dives;
    QByteArray memory = QByteArray(128, '\0');
    double latencyMs = 20;
    double packetGapMs = 5;
    // Extra silence before the packet with this index of every answer (0 = none).
    int slowPacket = -1;
    double slowPacketGapMs = 0;
    std::vector<QString> commands;
    std::function<void()> onDoEvents;

private:
    void OnOutput(const QByteArray& bytes) {
        command_ += bytes;
        const auto byteAt = [this](int i) { return static_cast<unsigned char>(command_[i]); };
        if ((byteAt(0) == 0x08 || byteAt(0) == 0x09) && command_.size() == 3) {
            commands.push_back(byteAt(0) == 0x08 ? QStringLiteral("08 165") : QStringLiteral("09 165"));
            next_ = byteAt(0) == 0x08 ? 0 : next_ + 1;
            if (next_ < dives.size()) Schedule(Packets(dives[next_]), true);
            command_.clear();
        } else if (byteAt(0) == 0x05 && command_.size() == 5) {
            const int address = byteAt(2);
            const int length = byteAt(3);
            commands.push_back(QStringLiteral("05 00 %1 %2").arg(address).arg(length));
            Schedule(WithChecksum(command_.left(4) + memory.mid(address, length)), false);
            command_.clear();
        } else if (byteAt(0) != 0x08 && byteAt(0) != 0x09 && byteAt(0) != 0x05) {
            command_.clear();
        }
    }

    void Schedule(const QByteArray& answer, bool packets) {
        double t = static_cast<double>(p_.waits.now) + latencyMs;
        int packet = 0;
        for (qsizetype i = 0; i < answer.size(); ++i) {
            if (packets && i > 0 && i % 35 == 0) {
                ++packet;
                t += packetGapMs + (packet == slowPacket ? slowPacketGapMs : 0);
            }
            line_.push_back({t, static_cast<unsigned char>(answer[i])});
            t += kByteMs;
        }
    }

    void Release() {
        while (!line_.empty() && line_.front().first <= static_cast<double>(p_.waits.now)) {
            if (p_.serial.PortOpen()) p_.serial.Receive(Bytes({line_.front().second}));
            line_.pop_front();
        }
    }

    TestPlatform& p_;
    VyperComm& m_;
    QByteArray command_;
    size_t next_ = 0;
    std::deque<std::pair<double, unsigned char>> line_;
};

std::vector<QByteArray> FiveDives() {
    return {
        Dive(24, 7, 15, 14, 5, {10, 10, 122, 246, 2, 254}),   Dive(24, 7, 14, 9, 30, std::vector<int>(40, 2)),
        Dive(24, 7, 12, 16, 0, {20, 20, 20, 236, 236, 236}),  Dive(24, 6, 1, 8, 7, std::vector<int>(70, 1), false),
        Dive(23, 12, 24, 10, 45, {5, 5, 251, 251}),
    };
}

struct Session : MainWindow {
    Session() { w.txtComDelay->SetText(QStringLiteral("0")); }
    // Runs ticks while the control timer runs, at most `limit` of them.
    int RunTicks(int limit = 50) {
        int ticks = 0;
        while (m.ui.timDownLoadCtrl->Interval() > 0 && ticks < limit) {
            timDownLoadCtrl_Timer(m);
            ++ticks;
        }
        return ticks;
    }
    ScriptedDevice device{p, m};
};

QStringList Tail(const QStringList& lines, int n) { return lines.mid(lines.size() - n); }

}  // namespace

TEST(TransferControl, DownloadsEndAtTheErrorLimitOrTheDiveLimit) {
    const QStringList summary = {QString(), QStringLiteral("Übertragung beendet."), QString(),
                                 QStringLiteral("Alle Tauchgänge wurden in das Datenformat von Lotwerk"),
                                 QStringLiteral("umgewandelt und im Ordner")};
    const struct {
        const char* name;
        bool device;
        const char *nDives, *errMax;
        int ticks, files, errors;
        bool box;
    } cases[] = {
        {"all dives", true, "Alle", "3", 8, 5, 3, false},
        {"dive limit", true, "2", "3", 2, 2, 0, true},
        {"no device", false, "Alle", "4", 4, 0, 4, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        if (c.device) s.device.dives = FiveDives();
        s.w.cmbNDives->SetText(QString::fromUtf8(c.nDives));
        s.w.txtErrMax->SetText(QString::fromUtf8(c.errMax));
        s.w.cmdDownload->click();
        EXPECT_EQ(s.m.DownloadState, 2);
        EXPECT_EQ(s.RunTicks(), c.ticks);
        // The first request, then one next-dive request per tick.
        std::vector<QString> commands(c.ticks, QStringLiteral("09 165"));
        commands[0] = QStringLiteral("08 165");
        EXPECT_EQ(s.device.commands, c.device ? commands : std::vector<QString>(c.ticks, QStringLiteral("08 165")));
        EXPECT_EQ(s.ProfileFiles().size(), c.files);
        EXPECT_EQ(s.m.DivesConverted, c.files);
        EXPECT_EQ(s.w.lblDiveCnt->Caption(), QString::number(c.files));
        EXPECT_EQ(s.w.lblErr->Caption(), QString::number(c.errors));
        EXPECT_FALSE(s.p.serial.PortOpen());
        EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 0);
        ASSERT_EQ(s.p.boxes.shown.size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(s.p.boxes.shown[0].text, QStringLiteral("Übertragung beendet"));
            EXPECT_EQ(s.p.boxes.shown[0].style, 0);
            EXPECT_FALSE(s.Lines().contains(QStringLiteral("Übertragung beendet.")));
        } else if (c.files > 0) {
            EXPECT_EQ(Tail(s.Lines(), 7), summary + QStringList({s.m.ProfileFolder, QStringLiteral("abgespeichert.")}));
            EXPECT_EQ(s.w.lblErr->ForeColor(), kColourRed);
        } else {
            EXPECT_EQ(Tail(s.Lines(), 3), summary.mid(0, 3));
        }
        EXPECT_EQ(s.w.lstVyperComm->ListIndex(), s.w.lstVyperComm->ListCount() - 1);
    }
}

TEST(TransferControl, ErrorLimitZeroEndsASettingsReadAfterItsFirstBlock) {
    Session s;
    s.w.txtErrMax->SetText(QStringLiteral("0"));
    s.w.cmdGetVyperSettings->click();
    EXPECT_EQ(s.RunTicks(), 1);
    EXPECT_EQ(s.device.commands.size(), 1u);
    EXPECT_TRUE(s.Lines().contains(QStringLiteral("Übertragung beendet.")));
    EXPECT_EQ(s.m.SettingsStep, 1);
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
    EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 0);
    EXPECT_TRUE(s.ProfileFiles().isEmpty());
    EXPECT_TRUE(s.Lines().contains(QStringLiteral("Übertragung unterbrochen.")));
}

TEST(TransferControl, AReplyTricklingInWithShortGapsArrivesWhole) {
    for (double gap : {0.0, 150.0}) {
        Session s;
        s.device.dives = {Dive(24, 7, 15, 14, 5, std::vector<int>(120, 2))};
        s.device.slowPacket = 2;
        s.device.slowPacketGapMs = gap;
        s.w.cmdDownload->click();
        timDownLoadCtrl_Timer(s.m);
        EXPECT_EQ(s.m.ProfileCount, s.device.dives[0].size()) << gap;
        EXPECT_EQ(s.m.DivesConverted, 1) << gap;
        ASSERT_EQ(s.ProfileFiles().size(), 1) << gap;
        QFile file(QDir(s.m.ProfileFolder).filePath(s.ProfileFiles()[0]));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        EXPECT_TRUE(content.contains("3600\t\t-120\r\n")) << gap;  // the 120th sample, 30 s apart
        EXPECT_TRUE(content.contains("Uhrzeit: 14 Uhr 05\r\n")) << gap;
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
        EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 0);
        ASSERT_EQ(s.p.boxes.shown.size(), 1u);
        EXPECT_EQ(s.p.boxes.shown[0].text,
                  QStringLiteral("Schnittstelle COM2: wird bereits von einem anderem Programm oder Prozess verwendet."));
        EXPECT_FALSE(s.Lines().contains(QStringLiteral("Lese Speicher von Vyper...")));
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
    ASSERT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 100);
    s.p.serial.Receive(Bytes({0x55, 0x66}));  // noise between two ticks
    timChkRxDone_Timer(s.m);
    EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 0);
    timChkRxDone_Timer(s.m);
    EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 0);
    timChkRxDone_Timer(s.m);  // the queue is empty again: the transfer goes on
    EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 100);
    timChkRxDone_Timer(s.m);
    EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 100);

    // A stopped transfer is not resumed.
    s.p.serial.Receive(Bytes({0x55}));
    timChkRxDone_Timer(s.m);
    s.w.cmdStop->click();
    timChkRxDone_Timer(s.m);
    EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 0);
}
