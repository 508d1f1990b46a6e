#pragma once
#include <QByteArray>
#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "link/LinkState.h"

namespace vyper {
struct VyperComm;
}

namespace vyper::testing {

// Header values of a dive as the dive computer stores them.
struct DiveHeaderBytes {
    int year = 99, month = 7, day = 15, hour = 14, minute = 5;
    int interval = 30, oxygen = 21, air = 25, surfaceHours = 5, surfaceMinutes = 7;
    int slot0 = 0, slot1 = 0;  // the two bytes below the profile
};

// The bytes of one dive in arrival order: slots 0 and 1, the profile bytes (given in time
// order, so the first one lands in slot N-15), then the 14 header bytes in the top slots.
std::vector<int32_t> DiveAnswer(const DiveHeaderBytes& header, const std::vector<int>& profileInTimeOrder);

// `bytes` with their XOR checksum appended; a non-zero `flip` spoils the checksum.
QByteArray WithChecksum(QByteArray bytes, int flip = 0);

// The payload cut into packets of `code`, length, up to 32 bytes and checksum, as the dive
// computer sends an answer; the packet with index `spoilt` gets a wrong checksum.
QByteArray Packets(const QByteArray& payload, int code = 0x09, int spoilt = -1);

// A stored profile file as the program writes it: header, sample lines "time TAB TAB -depth"
// for the (time, depth) pairs, end line and summary, CR LF line ends, "ä" and "°" as single bytes.
QByteArray ProfileFileBytes(const std::vector<std::pair<int, int>>& samples);

// The failure number that `action` throws as a RuntimeFailure, 0 when it throws none.
int FailureNumber(const std::function<void()>& action);

// A receive buffer with the given bytes at the given positions and zeros elsewhere, as a
// memory-read reply lies in it; `userText` from position 16 on (the user's text of block 1).
std::array<int32_t, kBufferSize> ReplyWith(std::initializer_list<std::pair<int, int>> bytes,
                                           const QByteArray& userText = {});

// Puts an answer into ProfileBuffer/ProfileCount as the reception would.
void LoadAnswer(VyperComm& m, const std::vector<int32_t>& answer);

}  // namespace vyper::testing
