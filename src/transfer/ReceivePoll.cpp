#include "transfer/ReceivePoll.h"

#include "link/Reception.h"
#include "transfer/VyperComm.h"

namespace vyper {

namespace {
// The longest the poll holds the control timer between two exchanges while bytes keep coming.
constexpr int64_t kPollHoldLimitMs = 1000;
}  // namespace

void comVyper_OnComm(VyperComm& m) { comVyper_OnComm(static_cast<Link&>(m), m.DownloadState); }

void timChkRxDone_Timer(VyperComm& m) {
    IntervalTimer& control = m.seams.timDownLoadCtrl;
    // A closed port receives nothing: the poll rests until the next open instead of waking
    // the program a hundred times a second for nothing.
    if (!m.comVyper().PortOpen()) {
        m.seams.timChkRxDone.SetInterval(0);
        return;
    }
    if (m.comVyper().InBufferCount() <= 0) {
        // Bytes that came between two ticks held the control timer of a running transfer;
        // once they are taken, the transfer goes on instead of standing still. Inside a tick
        // the tick itself decides, so that no tick can start within another.
        if (m.PollHeldControlTimer && !m.InTick) {
            m.PollHeldControlTimer = false;
            if (m.DownloadState != 0) control.SetInterval(kControlTimerInterval);
        }
        return;
    }
    if (!m.InTick && !m.PollHoldGivenUp && control.Interval() > 0) {
        if (m.PollHeldSince < 0) m.PollHeldSince = m.platform.waits.MonotonicMs();
        m.PollHeldControlTimer = true;
    }
    // Counted from the first hold since the last tick: bytes in bursts with short gaps
    // between them would otherwise restart the count for ever.
    if (m.PollHeldControlTimer && !m.InTick && m.PollHeldSince >= 0 &&
        m.platform.waits.MonotonicMs() - m.PollHeldSince >= kPollHoldLimitMs) {
        // Bytes have kept coming between two exchanges for so long that the line will not
        // fall quiet: the next command goes out anyway (it discards what waits).
        m.PollHeldControlTimer = false;
        m.PollHoldGivenUp = true;
        if (m.DownloadState != 0) control.SetInterval(kControlTimerInterval);
        comVyper_OnComm(m);
        return;
    }
    if (!m.PollHoldGivenUp || m.InTick) control.SetInterval(0);
    comVyper_OnComm(m);
}

}  // namespace vyper
