#include "link/EchoCheck.h"

namespace vyper {

namespace {

constexpr char kMemoryReadCommand = 0x05;
constexpr int kLargestProfilePayload = 32;

int ByteAt(const QByteArray& bytes, qsizetype i) { return static_cast<unsigned char>(bytes[i]); }

// The length of the first packet of the answer to `sent`, judged without an echo in front:
// a memory read's reply has a fixed length, a dive packet announces its own. 0 if unknown.
qsizetype FirstPacketLength(const QByteArray& sent, const QByteArray& head) {
    if (ByteAt(sent, 0) == kMemoryReadCommand && sent.size() >= 4) return ByteAt(sent, 3) + 5;
    if (head.size() < 2) return 0;
    const int announced = ByteAt(head, 1);
    return announced >= 1 && announced <= kLargestProfilePayload ? announced + 3 : 0;
}

// True when the head begins with a whole packet whose checksum is right: an answer that
// came without an echo in front. Noise passes this only by rare chance.
bool StartsWithGoodPacket(const QByteArray& sent, const QByteArray& head) {
    const qsizetype length = FirstPacketLength(sent, head);
    if (length == 0 || head.size() < length) return false;
    int x = 0;
    for (qsizetype i = 0; i + 1 < length; ++i) x ^= ByteAt(head, i);
    return x == ByteAt(head, length - 1);
}

}  // namespace

EchoVerdict JudgeEcho(const QByteArray& sent, const QByteArray& head, int16_t interfaceType) {
    if (sent.isEmpty()) return EchoVerdict::AsChosen;
    if (interfaceType == 2) {
        if (head.startsWith(sent)) return EchoVerdict::AsChosen;
        if (StartsWithGoodPacket(sent, head)) return EchoVerdict::CableDoesNotEcho;
        return head.size() < sent.size() ? EchoVerdict::Undecided : EchoVerdict::AsChosen;
    }
    if (head.size() < sent.size()) return EchoVerdict::Undecided;
    return head.startsWith(sent) ? EchoVerdict::CableEchoes : EchoVerdict::AsChosen;
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
