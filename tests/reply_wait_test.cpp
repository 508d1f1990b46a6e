#include <gtest/gtest.h>

#include "link/Commands.h"
#include "support/CoreRig.h"
#include "support/DiveBytes.h"
#include "transfer/ReceivePoll.h"
#include "transfer/ReplyWait.h"
#include "transfer/TransferControl.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

constexpr double kByteMs = 11.0 * 1000.0 / 2400.0;  // 2400 baud, 11 bits a byte

// The longest dive answer that the buffer holds: 8193 payload bytes need 257 packets of 35
// bytes, behind the 3-byte echo: 8998 bytes take 41240.8 ms, rounded up 41241; with 10 ms
// between packets (2570 ms) and a margin of 2 s the wait gives up after 45811 ms.
constexpr int kLongestAnswerMs = 45811;

// A wait after a command, on a line that never runs dry: every DoEvents hands what waits to
// the receive handler, as the receive events would, and then the next byte of `line`
// arrives, one byte time later on the fake clock.
struct Wait : CoreRig {
    Wait(int16_t downloadState, std::function<char(int)> line, int stopAfter, std::function<void(Wait&)> stop)
        : line_(std::move(line)) {
        OpenPort(downloadState);
        m.CommandDelay = 0;
        if (downloadState == 2) SendProfileStart(m, TransferStopped(m));
        else SendMemoryRead(m, 0, 32, TransferStopped(m));
        p.waits.onDoEvents = [this, stopAfter, stop] {
            while (p.serial.InBufferCount() > 0) comVyper_OnComm(m);
            if (stop && sent_ == stopAfter) stop(*this);
            // Long after any bound the line falls silent, so that a wait without one ends.
            if (!line_ || !p.serial.PortOpen() || Elapsed() > 2 * kLongestAnswerMs) return;
            p.serial.Receive(QByteArray(1, line_(sent_++)));
            carry_ += kByteMs;
            const auto whole = static_cast<int64_t>(carry_);
            carry_ -= static_cast<double>(whole);
            p.waits.now += whole;
        };
        start = p.waits.now;
    }
    int64_t Elapsed() const { return p.waits.now - start; }
    int64_t start = 0;

private:
    std::function<char(int)> line_;
    int sent_ = 0;
    double carry_ = 0;
};

std::function<char(int)> Repeating(const QByteArray& bytes) {
    return [bytes](int i) { return bytes[i % bytes.size()]; };
}
// The answer, then noise for ever.
std::function<char(int)> ThenNoise(const QByteArray& answer) {
    return [answer](int i) { return i < answer.size() ? answer[i] : '\x55'; };
}

}  // namespace

TEST(ReplyWait, EndsAsTheLineBehaves) {
    const QByteArray full = Packets(QByteArray(32, '\x02'));
    const QByteArray dive = Packets(Bytes(DiveAnswer({}, std::vector<int>(30, 2))));  // 46 bytes: 32 + 14
    const QByteArray reply = WithChecksum(Bytes({0x05, 0x00, 0x00, 0x20}) + QByteArray(32, '\x07'));
    // 35 + 5 bytes: the first packet fails its checksum, the short last one is good.
    const QByteArray spoiltDive = Packets(QByteArray(34, '\x02'), 0x09, 0);
    const auto closePort = [](Wait& w) { w.p.serial.SetPortOpen(false); };
    const auto endClick = [](Wait& w) { w.m.DownloadState = 0; };
    const auto byteTimes = [](qsizetype bytes) { return static_cast<int64_t>(bytes * kByteMs); };
    const int noGood = NoGoodPacketBoundMs();
    const struct {
        const char* name;
        int16_t downloadState;
        std::function<char(int)> line;
        int stopAfter;
        std::function<void(Wait&)> stop;
        WaitEnd end;
        int64_t from, to;  // the time the wait took, in ms (at once: within one look at the line)
    } cases[] = {
        {"good full packets for ever", 2, Repeating(full), -1, {}, WaitEnd::Bound, kLongestAnswerMs, kLongestAnswerMs + 10},
        {"noise", 2, Repeating(Bytes({0x55})), -1, {}, WaitEnd::Bound, noGood, noGood + 10},
        {"spoilt full packets", 2, Repeating(Packets(QByteArray(32, '\x02'), 0x09, 0)), -1, {}, WaitEnd::Bound, noGood,
         noGood + 10},
        {"a whole dive, then noise", 2, ThenNoise(dive), -1, {}, WaitEnd::Complete, byteTimes(dive.size()),
         byteTimes(dive.size()) + kQuietPollMs + 10},
        // A spoilt answer's short last packet does not end the wait: the rest of the
        // answer, or noise, may still come, and must not spill into the next exchange.
        {"a spoilt dive, then noise", 2, ThenNoise(spoiltDive), -1, {}, WaitEnd::Bound, noGood, noGood + 10},
        {"a whole memory block, then noise", 1, ThenNoise(reply), -1, {}, WaitEnd::Complete, byteTimes(reply.size()),
         byteTimes(reply.size()) + kQuietPollMs + 10},
        {"port closed", 2, Repeating(full), 100, closePort, WaitEnd::Stopped, byteTimes(100), byteTimes(100) + kQuietPollMs + 10},
        {"DownloadState 0", 1, Repeating(Bytes({0x55})), 30, endClick, WaitEnd::Stopped, byteTimes(30),
         byteTimes(30) + kQuietPollMs + 10},
        {"silence", 2, {}, -1, {}, WaitEnd::Quiet, kQuietGapMs, kQuietGapMs + kQuietPollMs},
    };
    ASSERT_LT(noGood + 1000, kLongestAnswerMs) << "noise must be told long before the bound";
    for (const auto& c : cases) {
        Wait w(c.downloadState, c.line, c.stopAfter, c.stop);
        EXPECT_EQ(WaitForReply(w.m), c.end) << c.name;
        EXPECT_GE(w.Elapsed(), c.from) << c.name;
        EXPECT_LE(w.Elapsed(), c.to) << c.name;
    }
}

// An answer still coming in while the wait runs: the message loop that the wait's pauses
// run takes each byte as it arrives, so the queue is empty whenever the wait looks. The
// line is still busy, and the wait must not take the answer as finished.
TEST(ReplyWait, BytesTakenByTheMessageLoopKeepTheLineBusy) {
    CoreRig t;
    t.OpenPort(2);
    t.m.ExpectedCount = 35;
    const QByteArray line = Packets(QByteArray(96, '\x02'));  // three full packets: no short one ends them
    qsizetype next = 0;
    int64_t lastByteAt = 0;
    t.p.waits.onSleep = [&](int) {  // a byte per pause, taken at once
        if (next >= line.size()) return;
        t.Arrive(line.mid(next++, 1));
        lastByteAt = t.p.waits.now;
    };
    EXPECT_EQ(WaitForReply(t.m), WaitEnd::Quiet);
    EXPECT_EQ(next, line.size()) << "the wait ended while the answer was coming in";
    EXPECT_EQ(t.m.ProfileCount, 96);
    EXPECT_GE(t.p.waits.now - lastByteAt, kQuietGapMs);
    EXPECT_LT(t.p.waits.now - lastByteAt, kQuietGapMs + 2 * kQuietPollMs);
}
