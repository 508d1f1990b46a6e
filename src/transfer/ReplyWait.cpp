#include "transfer/ReplyWait.h"

#include <cmath>

#include "link/EchoCheck.h"

namespace vyper {

namespace {

constexpr double kMsPerByte = 11.0 * 1000.0 / 2400.0;
constexpr int kFullPacket = 35;
constexpr int kFullPayload = 32;
constexpr int kProfileEcho = 3;
constexpr int kMemoryReadEchoAndFrame = 10;
constexpr int kPausePerPacketMs = 10;
constexpr int kMarginMs = 2000;

}  // namespace

int ReplyWaitBoundMs(int16_t downloadState, int32_t memoryReadLength) {
    int bytes = 0;
    int packets = 1;
    if (downloadState == 1) {
        bytes = memoryReadLength + kMemoryReadEchoAndFrame;
    } else {
        packets = (kBufferSize + kFullPayload - 1) / kFullPayload;
        bytes = packets * kFullPacket + kProfileEcho;
    }
    return static_cast<int>(std::ceil(bytes * kMsPerByte)) + packets * kPausePerPacketMs + kMarginMs;
}

int NoGoodPacketBoundMs() {
    constexpr int kPackets = 4;
    return static_cast<int>(std::ceil(kPackets * kFullPacket * kMsPerByte)) + kMarginMs;
}

bool AnswerFramingComplete(const VyperComm& m) {
    // Only a good answer ends the wait early. After a spoilt one the line must fall quiet
    // first, so that the rest of it cannot spill into the next exchange, and so that a line
    // full of noise (which never falls quiet) is told from a damaged answer.
    if (m.DownloadState == 1) return m.MemoryReplyGood;
    if (m.DownloadState == 2) return m.ProfileAnswerEnded && !m.ProfileDamaged && !m.ProfileOverlong;
    return false;
}

WaitEnd WaitForReply(VyperComm& m) {
    Waits& waits = m.platform.waits;
    SerialControl& port = m.comVyper();
    const int64_t start = waits.MonotonicMs();
    const int64_t bound = ReplyWaitBoundMs(m.DownloadState, m.MemoryReadLength);
    const uint32_t generation = m.TransferGeneration;
    const auto stopped = [&m, &port, generation] {
        return m.DownloadState == 0 || !port.PortOpen() || m.TransferGeneration != generation;
    };
    int64_t quietSince = start;
    uint32_t bytesSeen = m.RxBytesTaken;
    // Every good full packet is progress; noise brings one only by rare chance.
    int32_t goodSoFar = m.FullPacketsTaken;
    int64_t progressSince = start;
    for (;;) {
        // Stop and "&Ende" set DownloadState 0; Stop also closes the port.
        if (stopped()) return WaitEnd::Stopped;
        if (port.DeviceLost()) return WaitEnd::DeviceLost;
        if (AnswerFramingComplete(m)) return WaitEnd::Complete;
        // A dive command's echo is unmistakable (its second byte, 165, is no packet length),
        // so a wrong cable is told at once instead of after a stream of spoilt packets.
        if (m.DownloadState == 2) {
            const EchoVerdict echo = JudgeEcho(m.SentCommand, m.AnswerHead, m.InterfaceType, false);
            if (echo == EchoVerdict::CableEchoes || echo == EchoVerdict::CableDoesNotEcho) {
                return WaitEnd::WrongInterface;
            }
        }
        const int64_t now = waits.MonotonicMs();
        if (m.FullPacketsTaken != goodSoFar) {
            goodSoFar = m.FullPacketsTaken;
            progressSince = now;
        }
        if (now - start >= bound || now - progressSince >= NoGoodPacketBoundMs()) return WaitEnd::Bound;
        // Bytes still waiting, or taken meanwhile by the receive events that the pauses and
        // yields deliver: either way the line is busy.
        if (port.InBufferCount() > 0 || m.RxBytesTaken != bytesSeen) {
            bytesSeen = m.RxBytesTaken;
            waits.DoEvents();
            quietSince = waits.MonotonicMs();
            // Bytes wait but no event took one: let time pass instead of spinning.
            if (m.RxBytesTaken == bytesSeen) waits.Pause(kQuietPollMs, stopped);
            continue;
        }
        if (now - quietSince >= kQuietGapMs) return WaitEnd::Quiet;
        waits.DoEvents();
        waits.Pause(kQuietPollMs, stopped);
    }
}

}  // namespace vyper
