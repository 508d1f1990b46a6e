#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace vyper {

enum class EchoVerdict {
    Undecided,         // too few bytes to tell
    AsChosen,          // the cable behaves as the chosen interface type says
    CableEchoes,       // "Original Suunto (ohne Echo)" chosen, but the command came back
    CableDoesNotEcho,  // "Selbstbau (mit Echo)" chosen, but the command did not come back
};

// Judges whether the cable echoes from the command bytes sent (checksum included) and the
// first raw bytes received after them; `lineQuiet` when no byte came after the head for a
// while. An echoing cable returns the command at once, in front of any answer. A missing
// echo is believed only from two good answer packets in a row, or from good packets that
// are all the line carried, so that noise is not taken for a wrong cable. Pure.
EchoVerdict JudgeEcho(const QByteArray& sent, const QByteArray& head, int16_t interfaceType, bool lineQuiet);

// How many bytes at the start of `head` repeat the command `sent`: the echo of an echoing
// cable, 0 when none came back. Pure.
qsizetype EchoLength(const QByteArray& sent, const QByteArray& head);

// The one line that tells the user which interface type to choose.
QString WrongInterfaceLine(EchoVerdict verdict);

}  // namespace vyper
