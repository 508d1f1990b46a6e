#include "link/Reception.h"

#include <algorithm>

#include "text/NumberText.h"

namespace vyper {

namespace {

// Bytes the self-built interface echoes in front of a memory-read reply.
constexpr int32_t kMemoryReadEcho = 5;
// A full profile packet: code, length 32, 32 payload bytes, checksum.
constexpr int32_t kFullProfilePacket = 35;
constexpr int32_t kLastIndex = kBufferSize - 1;
// Enough raw bytes of an answer to tell an echo of the command from the answer itself:
// two full packets and more, or a memory read's reply and the bytes after it.
constexpr qsizetype kAnswerHeadBytes = 80;

// The length byte of a profile packet announces a shorter packet: it completes at L + 3.
// Behind the echo of the self-built interface the length byte comes after the echoed bytes;
// reading it there lets a dive shorter than one full packet arrive through that interface.
void ApplyLengthRule(ReceptionState& m) {
    const int32_t echo = m.ProfileEcho;  // 0 or 3
    if (m.RxCount <= echo + 1) return;
    const int32_t v = m.RxBuffer[echo + 1];
    if (v >= 1 && v <= 31) m.ExpectedCount = v + 3 + echo;
}

// Drops the five echoed command bytes in front of a memory-read reply. A packet that holds
// no more than the echo (a stray byte judged at once while ExpectedCount is 0) is left as
// it is and judged unshifted: there is nothing behind an echo to move down.
void DropMemoryReadEcho(ReceptionState& m) {
    if (m.RxCount <= kMemoryReadEcho) return;
    std::copy(m.RxBuffer.begin() + kMemoryReadEcho, m.RxBuffer.begin() + m.RxCount, m.RxBuffer.begin());
    m.RxCount -= kMemoryReadEcho;
}

// Appends RxBuffer[first .. first + length - 1] to ProfileBuffer. Indices past RxBuffer's
// end are never read, and bytes that no longer fit into ProfileBuffer are not stored but
// mark the answer as overlong, so that it is not taken for a complete dive.
void AppendPayload(ReceptionState& m, int32_t first, int32_t length) {
    for (int32_t i = first; i < first + length && i <= kLastIndex; ++i) {
        if (m.ProfileCount >= kBufferSize) {
            m.ProfileOverlong = true;
            return;
        }
        m.ProfileBuffer[m.ProfileCount] = m.RxBuffer[i];
        ++m.ProfileCount;
    }
}

void TakeGoodPacket(Link& m, int16_t downloadState) {
    int32_t length = 0;
    if (downloadState != 1 && m.ProfileEcho > 0) {
        // First packet of a profile answer with the echo in front: skip the k echo bytes.
        const int32_t k = m.ProfileEcho;
        length = m.RxBuffer[k + 1];
        if (downloadState == 2 && m.ProfileCodeByte < 0) m.ProfileCodeByte = m.RxBuffer[k];
        AppendPayload(m, k + 2, length);
        m.ExpectedCount = kFullProfilePacket;  // the packets after it carry no echo
        m.ProfileEcho = 0;
    } else {
        length = m.RxBuffer[1];
        if (downloadState == 2 && m.ProfileCodeByte < 0) m.ProfileCodeByte = m.RxBuffer[0];
        AppendPayload(m, 2, length);
    }
    if (downloadState == 2 && length == kFullProfilePacket - 3) ++m.FullPacketsTaken;
    // A packet shorter than a full one is the last of a dive's answer.
    if (downloadState == 2 && length < kFullProfilePacket - 3) {
        m.ProfileAnswerEnded = true;
        m.ProfileLastPacketLength = length;
    }
    // Only a reply of the length asked for is a whole memory block; it is kept aside now,
    // because the next packet (a stray byte, say) overwrites the front of RxBuffer.
    // Only the first packet after the command can be the reply: one after a spoilt reply is
    // noise, and must not pass for the block however its checksum falls out.
    if (downloadState == 1 && !m.MemoryReplyJudged && m.RxCount == m.MemoryReadLength + 5) {
        std::copy(m.RxBuffer.begin(), m.RxBuffer.begin() + m.RxCount, m.MemoryReply.begin());
        std::fill(m.MemoryReply.begin() + m.RxCount, m.MemoryReply.end(), 0);
        m.MemoryReplyGood = true;
    }
    if (downloadState == 2) {
        m.io.messages.AddItem(ZeroPad(m.RxCount, 2) + QStringLiteral(" Zeichen empfangen. CRC OK"));
    }
    // A packet of fewer than three bytes (a stray byte) carries no payload to count;
    // the byte counter never runs backwards.
    m.RxTotal += std::max(m.RxCount - 3, 0);
    m.io.counters.ShowBytes(m.RxTotal);
}

}  // namespace

void comVyper_OnComm(Link& m, int16_t downloadState) {
    m.io.counters.RefreshErrors();
    SerialControl& port = m.comVyper();
    if (port.InBufferCount() <= 0) return;
    const int32_t b = port.InputByte();
    if (b < 0) return;
    ++m.RxBytesTaken;

    if (m.RxCount >= kBufferSize) {
        // Only a packet expected longer than the buffer gets here; it can never complete,
        // so like any unfinished packet it waits unjudged for the next command's reset.
        return;
    }
    m.RxBuffer[m.RxCount] = b;
    ++m.RxCount;
    if (m.AnswerHead.size() < kAnswerHeadBytes) m.AnswerHead.append(static_cast<char>(b));

    if (downloadState == 2 && m.RxCount > 1) ApplyLengthRule(m);
    if (m.RxCount < m.ExpectedCount) return;

    if (m.InterfaceType == 2 && downloadState == 1) DropMemoryReadEcho(m);

    const int32_t last = m.RxBuffer[m.RxCount - 1];
    if (RxChecksumOk(m, static_cast<int16_t>(last), m.RxCount - 1)) {
        TakeGoodPacket(m, downloadState);
    } else {
        m.io.messages.AddItem(ZeroPad(m.RxCount, 2) + QStringLiteral(" Zeichen empfangen. CRC Falsch"));
        // Only a packet of the answer leaves a hole; one after its last packet is line noise.
        if (downloadState == 2 && !m.ProfileAnswerEnded) m.ProfileDamaged = true;
    }
    if (downloadState == 1) m.MemoryReplyJudged = true;
    m.io.messages.SelectLast();
    m.RxCount = 0;  // the next byte starts the next packet at index 0
}

bool RxChecksumOk(const ReceptionState& m, int16_t expected, int32_t count) {
    int32_t x = 0;
    const int32_t n = std::min(count, kBufferSize);
    for (int32_t i = 0; i < n; ++i) x ^= m.RxBuffer[i];
    return x == expected;
}

void ResetRxState(ReceptionState& m) {
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
