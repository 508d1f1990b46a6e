#include "link/Reception.h"

#include <algorithm>

#include "link/NumberText.h"
#include "link/VyperComm.h"

namespace vyper {

namespace {

// Bytes the self-built interface echoes in front of a memory-read reply.
constexpr int32_t kMemoryReadEcho = 5;
// A full profile packet: code, length 32, 32 payload bytes, checksum.
constexpr int32_t kFullProfilePacket = 35;
constexpr int32_t kLastIndex = kBufferSize - 1;
// The longest the poll holds the control timer between two exchanges while bytes keep coming.
constexpr int64_t kPollHoldLimitMs = 1000;
// Enough raw bytes of an answer to tell an echo of the command from the answer itself.
constexpr qsizetype kAnswerHeadBytes = 48;

// The length byte of a profile packet announces a shorter packet: it completes at L + 3.
// Behind the echo of the self-built interface the length byte comes after the echoed bytes;
// reading it there lets a dive shorter than one full packet arrive through that interface.
void ApplyLengthRule(VyperComm& m) {
    const int32_t echo = m.ProfileEcho;  // 0 or 3
    if (m.RxCount <= echo + 1) return;
    const int32_t v = m.RxBuffer[echo + 1];
    if (v >= 1 && v <= 31) m.ExpectedCount = v + 3 + echo;
}

// Drops the five echoed command bytes in front of a memory-read reply. A packet that holds
// no more than the echo (a stray byte judged at once while ExpectedCount is 0) is left as
// it is and judged unshifted: there is nothing behind an echo to move down.
void DropMemoryReadEcho(VyperComm& m) {
    if (m.RxCount <= kMemoryReadEcho) return;
    std::copy(m.RxBuffer.begin() + kMemoryReadEcho, m.RxBuffer.begin() + m.RxCount, m.RxBuffer.begin());
    m.RxCount -= kMemoryReadEcho;
}

// Appends RxBuffer[first .. first + length - 1] to ProfileBuffer. Indices past RxBuffer's
// end are never read, and bytes that no longer fit into ProfileBuffer are not stored but
// mark the answer as overlong, so that it is not taken for a complete dive.
void AppendPayload(VyperComm& m, int32_t first, int32_t length) {
    for (int32_t i = first; i < first + length && i <= kLastIndex; ++i) {
        if (m.ProfileCount >= kBufferSize) {
            m.ProfileOverlong = true;
            return;
        }
        m.ProfileBuffer[m.ProfileCount] = m.RxBuffer[i];
        ++m.ProfileCount;
    }
}

void TakeGoodPacket(VyperComm& m) {
    int32_t length = 0;
    if (m.DownloadState != 1 && m.ProfileEcho > 0) {
        // First packet of a profile answer with the echo in front: skip the k echo bytes.
        const int32_t k = m.ProfileEcho;
        length = m.RxBuffer[k + 1];
        if (m.DownloadState == 2 && m.ProfileCodeByte < 0) m.ProfileCodeByte = m.RxBuffer[k];
        AppendPayload(m, k + 2, length);
        m.ExpectedCount = kFullProfilePacket;  // the packets after it carry no echo
        m.ProfileEcho = 0;
    } else {
        length = m.RxBuffer[1];
        if (m.DownloadState == 2 && m.ProfileCodeByte < 0) m.ProfileCodeByte = m.RxBuffer[0];
        AppendPayload(m, 2, length);
    }
    if (m.DownloadState == 2 && length == kFullProfilePacket - 3) ++m.FullPacketsTaken;
    // A packet shorter than a full one is the last of a dive's answer.
    if (m.DownloadState == 2 && length < kFullProfilePacket - 3) {
        m.ProfileAnswerEnded = true;
        m.ProfileLastPacketLength = length;
    }
    // Only a reply of the length asked for is a whole memory block; it is kept aside now,
    // because the next packet (a stray byte, say) overwrites the front of RxBuffer.
    // Only the first packet after the command can be the reply: one after a spoilt reply is
    // noise, and must not pass for the block however its checksum falls out.
    if (m.DownloadState == 1 && !m.MemoryReplyJudged && m.RxCount == m.MemoryReadLength + 5) {
        std::copy(m.RxBuffer.begin(), m.RxBuffer.begin() + m.RxCount, m.MemoryReply.begin());
        std::fill(m.MemoryReply.begin() + m.RxCount, m.MemoryReply.end(), 0);
        m.MemoryReplyGood = true;
    }
    if (m.DownloadState == 2) {
        m.ui.lstVyperComm->AddItem(ZeroPad(m.RxCount, 2) + QStringLiteral(" Zeichen empfangen. CRC OK"));
    }
    // A packet of fewer than three bytes (a stray byte) carries no payload to count;
    // the byte counter never runs backwards.
    m.RxTotal += std::max(m.RxCount - 3, 0);
    m.ui.lblCnt->SetCaption(QString::number(m.RxTotal));
    m.ui.lblCnt->Refresh();
}

}  // namespace

void comVyper_OnComm(VyperComm& m) {
    m.ui.lblErr->Refresh();
    SerialControl& port = m.comVyper();
    if (port.InBufferCount() <= 0) return;
    const QByteArray input = port.Input();
    if (input.isEmpty()) return;
    const int32_t b = static_cast<uint8_t>(input[0]);
    ++m.RxBytesTaken;

    if (m.RxCount >= kBufferSize) {
        // Only a packet expected longer than the buffer gets here; it can never complete,
        // so like any unfinished packet it waits unjudged for the next command's reset.
        return;
    }
    m.RxBuffer[m.RxCount] = b;
    ++m.RxCount;
    if (m.AnswerHead.size() < kAnswerHeadBytes) m.AnswerHead.append(static_cast<char>(b));

    if (m.DownloadState == 2 && m.RxCount > 1) ApplyLengthRule(m);
    if (m.RxCount < m.ExpectedCount) return;

    if (m.InterfaceType == 2 && m.DownloadState == 1) DropMemoryReadEcho(m);

    const int32_t last = m.RxBuffer[m.RxCount - 1];
    if (RxChecksumOk(m, static_cast<int16_t>(last), m.RxCount - 1)) {
        TakeGoodPacket(m);
    } else {
        m.ui.lstVyperComm->AddItem(ZeroPad(m.RxCount, 2) + QStringLiteral(" Zeichen empfangen. CRC Falsch"));
        // Only a packet of the answer leaves a hole; one after its last packet is line noise.
        if (m.DownloadState == 2 && !m.ProfileAnswerEnded) m.ProfileDamaged = true;
    }
    if (m.DownloadState == 1) m.MemoryReplyJudged = true;
    m.ui.lstVyperComm->SelectLast();
    m.RxCount = 0;  // the next byte starts the next packet at index 0
}

void timChkRxDone_Timer(VyperComm& m) {
    Timer& control = *m.ui.timDownLoadCtrl;
    // A closed port receives nothing: the poll rests until the next open instead of waking
    // the program a hundred times a second for nothing.
    if (!m.comVyper().PortOpen()) {
        m.ui.timChkRxDone->SetInterval(0);
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

bool RxChecksumOk(const VyperComm& m, int16_t expected, int32_t count) {
    int32_t x = 0;
    const int32_t n = std::min(count, kBufferSize);
    for (int32_t i = 0; i < n; ++i) x ^= m.RxBuffer[i];
    return x == expected;
}

void ResetRxState(VyperComm& m) {
    m.RxCount = 0;
    m.ProfileCount = 0;
    m.ExpectedCount = 0;
    std::fill(m.RxBuffer.begin() + 1, m.RxBuffer.end(), 0);
    std::fill(m.ProfileBuffer.begin() + 1, m.ProfileBuffer.end(), 0);
    m.ProfileOverlong = false;
    m.ProfileDamaged = false;
    m.ProfileAnswerEnded = false;
    m.ProfileEcho = 0;
    m.ProfileLastPacketLength = 0;
    m.ProfileCodeByte = -1;
    m.FullPacketsTaken = 0;
    m.SentCommand.clear();
    m.AnswerHead.clear();
    m.MemoryReplyGood = false;
    m.MemoryReplyJudged = false;
}

}  // namespace vyper
