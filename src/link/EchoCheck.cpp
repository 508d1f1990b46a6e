#include "link/EchoCheck.h"

namespace vyper {

namespace {

constexpr char kMemoryReadCommand = 0x05;
constexpr int kLargestProfilePayload = 32;

int ByteAt(const QByteArray& bytes, qsizetype i) { return static_cast<unsigned char>(bytes[i]); }

// The length of the answer packet that starts at `at` of the head, judged without an echo
// in front: a memory read's reply has a fixed length, a dive packet announces its own.
// 0 if unknown.
qsizetype PacketLengthAt(const QByteArray& sent, const QByteArray& head, qsizetype at) {
    if (ByteAt(sent, 0) == kMemoryReadCommand) return sent.size() >= 4 ? ByteAt(sent, 3) + 5 : 0;
    if (head.size() < at + 2) return 0;
    const int announced = ByteAt(head, at + 1);
    return announced >= 1 && announced <= kLargestProfilePayload ? announced + 3 : 0;
}

// True when a whole packet of `length` bytes with a right checksum starts at `at`.
bool GoodPacketAt(const QByteArray& head, qsizetype at, qsizetype length) {
    if (length == 0 || head.size() < at + length) return false;
    int x = 0;
    for (qsizetype i = at; i + 1 < at + length; ++i) x ^= ByteAt(head, i);
    return x == ByteAt(head, at + length - 1);
}

// True when the head shows an answer that came without an echo in front. One good packet is
// not enough: noise passes a checksum once in 256 times. Believed are two good packets in a
// row (a dive's answer), or good packets that make up the whole head of a line that then fell
// quiet (a memory read's one reply, a dive of one packet); a jammed line never falls quiet.
bool AnswerWithoutEcho(const QByteArray& sent, const QByteArray& head, bool lineQuiet) {
    const qsizetype first = PacketLengthAt(sent, head, 0);
    if (!GoodPacketAt(head, 0, first)) return false;
    if (lineQuiet && head.size() == first) return true;
    if (ByteAt(sent, 0) == kMemoryReadCommand) return false;  // its reply is one packet
    return GoodPacketAt(head, first, PacketLengthAt(sent, head, first));
}

}  // namespace

EchoVerdict JudgeEcho(const QByteArray& sent, const QByteArray& head, int16_t interfaceType, bool lineQuiet) {
    if (sent.isEmpty()) return EchoVerdict::AsChosen;
    if (interfaceType == 2) {
        if (head.startsWith(sent)) return EchoVerdict::AsChosen;
        if (AnswerWithoutEcho(sent, head, lineQuiet)) return EchoVerdict::CableDoesNotEcho;
        return head.size() < sent.size() ? EchoVerdict::Undecided : EchoVerdict::AsChosen;
    }
    if (head.size() < sent.size()) return EchoVerdict::Undecided;
    return head.startsWith(sent) ? EchoVerdict::CableEchoes : EchoVerdict::AsChosen;
}

qsizetype EchoLength(const QByteArray& sent, const QByteArray& head) {
    qsizetype n = 0;
    while (n < sent.size() && n < head.size() && sent[n] == head[n]) ++n;
    return n;
}

QString WrongInterfaceLine(EchoVerdict verdict) {
    switch (verdict) {
    case EchoVerdict::CableEchoes:
        return QStringLiteral("Das Interface sendet jedes Byte zurück (Echo): bitte \"Selbstbau (mit Echo)\" "
                              "wählen und die Übertragung neu starten.");
    case EchoVerdict::CableDoesNotEcho:
        return QStringLiteral("Das Interface sendet kein Echo: bitte \"Original Suunto (ohne Echo)\" "
                              "wählen und die Übertragung neu starten.");
    case EchoVerdict::Undecided:
    case EchoVerdict::AsChosen:
        break;
    }
    return QString();
}

}  // namespace vyper
