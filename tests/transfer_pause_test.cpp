#include <gtest/gtest.h>

#include "link/Reception.h"
#include "transfer/ReceivePoll.h"
#include "support/DiveBytes.h"
#include "support/MainWindow.h"
#include "transfer/ReplyWait.h"
#include "transfer/TransferControl.h"
#include "transfer/TransferStop.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

// A click during one of a command's pauses: Stop, or "&Ende". The pause ends at once, no
// byte follows, no box appears and the tick returns without evaluating anything.
TEST(PauseDuringACommand, AClickEndsTheTransferAndNothingIsSentAfterIt) {
    struct Case {
        const char* name;
        int pauseClickedIn;  // 12, 100 or the delay's pause
        bool close;          // "&Ende" instead of Stop
        int bytesSent;       // the checksum byte follows the 12 ms pause
    };
    const Case cases[] = {
        {"Stop before the checksum byte", 12, false, 2},
        {"Stop while RTS is held", 100, false, 3},
        {"Stop during the delay", 1750, false, 3},
        {"Ende during the delay", 1750, true, 3},
    };
    for (const Case& c : cases) {
        MainWindow t;
        t.w.show();
        t.p.waits.onSleep = [&](int ms) {
            if (ms != c.pauseClickedIn || !t.m.TransferActive) return;
            if (c.close) t.w.cmdClose->click();
            else t.w.cmdStop->click();
        };
        t.w.cmdDownload->click();
        timDownLoadCtrl_Timer(t.m);

        EXPECT_EQ(t.p.serial.sent.size(), c.bytesSent) << c.name;
        EXPECT_TRUE(t.p.boxes.shown.empty()) << c.name;
        EXPECT_FALSE(t.m.TransferActive) << c.name;
        EXPECT_FALSE(t.m.InTick) << c.name;
        EXPECT_EQ(t.m.ErrorCount, 0) << c.name << ": nothing was evaluated";
        EXPECT_EQ(t.w.timDownLoadCtrl->Interval(), 0) << c.name;
        // The pauses after the click are not waited: the last one recorded is the one clicked in.
        EXPECT_EQ(t.p.waits.sleeps.back(), c.pauseClickedIn) << c.name;
        if (!c.close) {
            EXPECT_EQ(t.Lines().last(), QStringLiteral("Übertragung unterbrochen.")) << c.name;
        }
    }
}

// A new start right after a Stop (the old tick still unwinding) belongs to the new transfer:
// the old tick neither sends into it nor evaluates its state.
TEST(PauseDuringACommand, ATransferStartedAfterAStopIsNotTouchedByTheOldTick) {
    MainWindow t;
    t.w.show();
    bool restarted = false;
    t.p.waits.onSleep = [&](int ms) {
        if (ms != 1750 || restarted) return;
        restarted = true;
        t.w.cmdStop->click();
        t.w.cmdDownload->click();
    };
    t.w.cmdDownload->click();
    timDownLoadCtrl_Timer(t.m);
    EXPECT_EQ(t.p.serial.sent.size(), 3) << "only the first command";
    EXPECT_TRUE(t.m.TransferActive);
    EXPECT_EQ(t.m.DownloadState, 2);
    EXPECT_EQ(t.m.ErrorCount, 0);
    EXPECT_EQ(t.w.timDownLoadCtrl->Interval(), kControlTimerInterval) << "the new transfer's first tick is due";
}

// An answer still coming in while the wait runs: the message loop that the wait's pauses
// run takes each byte as it arrives, so the queue is empty whenever the wait looks. The
// line is still busy, and the wait must not take the answer as finished.
TEST(WaitForReply, BytesTakenByTheMessageLoopKeepTheLineBusy) {
    MainWindow t;
    t.p.serial.SetPortOpen(true);
    t.m.DownloadState = 2;
    t.m.ExpectedCount = 35;
    // Three full packets (96 bytes of a dive without a short packet), one byte per 5 ms pause.
    QByteArray payload;
    for (int i = 0; i < 96; ++i) payload.append(static_cast<char>(i % 100));
    const QByteArray line = Packets(payload);
    qsizetype next = 0;
    int64_t lastByteAt = 0;
    t.p.waits.onSleep = [&](int) {
        if (next >= line.size()) return;
        t.p.serial.Receive(line.mid(next++, 1));
        comVyper_OnComm(t.m);
        lastByteAt = t.p.waits.now;
    };
    EXPECT_EQ(WaitForReply(t.m), WaitEnd::Quiet);
    EXPECT_EQ(next, line.size()) << "the wait ended while the answer was coming in";
    EXPECT_EQ(t.m.ProfileCount, 96);
    EXPECT_GE(t.p.waits.now - lastByteAt, kQuietGapMs);
    EXPECT_LT(t.p.waits.now - lastByteAt, kQuietGapMs + 2 * kQuietPollMs);
}

// Between two exchanges the poll holds the control timer while bytes wait, so that no
// command goes out into an answer still coming. Noise that never stops must not hold it for
// ever: after a second of holding, counted across short gaps, the next tick may come.
TEST(ReceivePoll, HoldsTheNextExchangeForASecondAtMostWhileNoiseGoesOn) {
    MainWindow t;
    t.p.serial.SetPortOpen(true);
    t.m.DownloadState = 2;
    t.w.timDownLoadCtrl->SetInterval(kControlTimerInterval);
    int heldTicks = 0;
    for (int tick = 0; tick < 150; ++tick) {
        // Every fifth look finds the queue empty for a moment: noise in bursts.
        if (tick % 5 != 4) t.p.serial.Receive(Bytes({0x55}));
        timChkRxDone_Timer(t.m);
        if (t.w.timDownLoadCtrl->Interval() == 0) ++heldTicks;
        t.p.waits.now += kReceivePollInterval;
    }
    EXPECT_GE(heldTicks, 70) << "the poll holds the next exchange while bytes come";
    EXPECT_LE(heldTicks, 110) << "but not for more than about a second";
    EXPECT_EQ(t.w.timDownLoadCtrl->Interval(), kControlTimerInterval) << "the next exchange is due";
    EXPECT_TRUE(t.m.PollHoldGivenUp);
}

}  // namespace
