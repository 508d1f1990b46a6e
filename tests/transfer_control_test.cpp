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
    EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 0);
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
        EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 0);
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
    ASSERT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 100);
    s.p.serial.Receive(Bytes({0x55, 0x66}));  // noise between two ticks
    timChkRxDone_Timer(s.m);
    EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 0);
    timChkRxDone_Timer(s.m);
    EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 0);
    timChkRxDone_Timer(s.m);  // the queue is empty again: the transfer goes on
    EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 100);

    // A stopped transfer is not resumed.
    s.p.serial.Receive(Bytes({0x55}));
    timChkRxDone_Timer(s.m);
    s.w.cmdStop->click();
    timChkRxDone_Timer(s.m);
    EXPECT_EQ(s.m.ui.timDownLoadCtrl->Interval(), 0);
}
