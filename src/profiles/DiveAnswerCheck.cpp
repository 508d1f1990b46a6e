#include "profiles/DiveAnswerCheck.h"

#include "profiles/DiveRecord.h"
#include "profiles/ProfileDecoding.h"
#include "text/NumberText.h"

namespace vyper {

namespace {

constexpr int32_t kFullPayload = 32;
constexpr int32_t kHeaderBytes = 14;

int HeaderByte(std::span<const int32_t> payload, std::size_t fromEnd) {
    return payload[payload.size() - fromEnd] & 0xFF;
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

// An unfinished packet is a piece of the answer when it starts as the answer's packets do:
// with their code byte and a possible length. A first packet has no code byte to match.
bool PendingPacketBelongsToAnswer(const DiveAnswerFacts& f) {
    if (f.pendingBytes <= 0) return false;
    const bool lengthPossible = f.pendingLengthByte < 0 || InRange(f.pendingLengthByte, 1, kFullPayload);
    if (f.payloadCount == 0) return f.pendingLengthByte >= 0 && lengthPossible;
    return f.pendingCodeByte == f.codeByte && lengthPossible;
}

}  // namespace

bool PlausibleDiveHeader(std::span<const int32_t> payload) {
    if (payload.size() < static_cast<std::size_t>(kMinimumDiveBytes)) return false;
    return InRange(HeaderByte(payload, 10), 1, 31)     // day
           && InRange(HeaderByte(payload, 11), 1, 12)  // month
           && InRange(HeaderByte(payload, 12), 0, 99)  // year
           && InRange(HeaderByte(payload, 13), 0, 23)  // hour
           && InRange(HeaderByte(payload, 14), 0, 59);  // minute
}

DiveAnswerVerdict JudgeDiveAnswer(const DiveAnswerFacts& facts, std::span<const int32_t> payload) {
    // A line that never fell quiet carries noise: its spoilt "packets" are no dive's.
    if (facts.endless) return DiveAnswerVerdict::Endless;
    if (facts.overlong) return DiveAnswerVerdict::Overlong;
    if (facts.damaged) return DiveAnswerVerdict::Damaged;
    // A packet that broke off is a cut, unless it came after the short last packet or does
    // not look like a packet of this answer (noise). An unfinished first packet announcing
    // no payload is how an exhausted memory may answer.
    if (!facts.endedByShortPacket && PendingPacketBelongsToAnswer(facts)) return DiveAnswerVerdict::Cut;
    // A device that went away may have broken the answer off right after a whole packet;
    // whatever date its last bytes seem to hold, they may be profile bytes.
    if (facts.deviceLost && !facts.endedByShortPacket && facts.payloadCount > 0) return DiveAnswerVerdict::Cut;
    if (facts.payloadCount < kMinimumDiveBytes) return DiveAnswerVerdict::NoDive;
    if (!facts.endedByShortPacket && !PlausibleDiveHeader(payload)) return DiveAnswerVerdict::Cut;
    return DiveAnswerVerdict::Whole;
}

bool HeaderSurvived(const DiveAnswerFacts& facts, std::span<const int32_t> payload) {
    return facts.endedByShortPacket && facts.lastPacketLength >= kHeaderBytes && PlausibleDiveHeader(payload);
}

QString DiveDateForUser(std::span<const int32_t> payload) {
    if (payload.size() < static_cast<std::size_t>(kMinimumDiveBytes)) return QString();
    return QStringLiteral("%1.%2.%3, %4:%5 Uhr")
        .arg(ZeroPad(HeaderByte(payload, 10), 2), ZeroPad(HeaderByte(payload, 11), 2),
             QString::number(CalendarYear(HeaderByte(payload, 12))), ZeroPad(HeaderByte(payload, 13), 2),
             ZeroPad(HeaderByte(payload, 14), 2));
}

}  // namespace vyper
