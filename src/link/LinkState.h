#pragma once
#include <QByteArray>
#include <array>
#include <cstdint>

namespace vyper {

inline constexpr int kBufferSize = 8193;  // elements 0..8192

// The link's settings for the open port, taken from the user's choices when it opens.
struct SessionState {
    int16_t InterfaceType = 1;    // 1 original interface, 2 self-built interface with echo
    int32_t CommPortNumber = 2;   // 1..4
    int32_t CommandDelay = 350;   // 0..2000 ms; the pause after a command is five times this
};

// What the receive side has made of the answer to the last command. Changed only by the
// receive handler and by the commands, which start every answer afresh.
struct ReceptionState {
    std::array<int32_t, kBufferSize> RxBuffer{};
    int32_t RxCount = 0;
    int32_t ExpectedCount = 0;
    std::array<int32_t, kBufferSize> ProfileBuffer{};
    int32_t ProfileCount = 0;
    int32_t RxTotal = 0;
    // Every byte the receive handler took from the port, for the wait to see the line busy
    // even when the message loop took the bytes before the wait looked at the queue.
    uint32_t RxBytesTaken = 0;
    // Set when the good packets of one answer carried more payload than ProfileBuffer holds;
    // such an answer is incomplete and must not be decoded as a dive. Cleared with the state.
    bool ProfileOverlong = false;
    // Set when a packet of a dive's answer failed its checksum: the payloads that did arrive
    // leave a hole in the dive, which must not be stored as if it were whole.
    bool ProfileDamaged = false;
    // Set once the short last packet of a dive's answer has been taken: a bad packet after it
    // is noise on the line, not a hole in the dive. Cleared with the state.
    bool ProfileAnswerEnded = false;
    // Echoed command bytes in front of the current profile packet: 3 for the first packet
    // of an answer through the self-built interface, else 0. Set by the profile commands.
    int32_t ProfileEcho = 0;
    // Payload length of the short packet that ended a dive's answer (0 while none has come).
    int32_t ProfileLastPacketLength = 0;
    // Good full packets taken since the last command: a dive's answer makes progress.
    int32_t FullPacketsTaken = 0;
    // Code byte of the answer's first good packet, -1 while none has come: an unfinished
    // packet with another code byte is noise, not a piece of the dive.
    int32_t ProfileCodeByte = -1;
    // The bytes of the command just sent and the first bytes that came back after it, raw
    // (echo included): they tell whether the cable echoes. Cleared with the state.
    QByteArray SentCommand;
    QByteArray AnswerHead;
    // A memory-read reply that passed its checksum with the expected length, kept aside when
    // it was judged, so that bytes after it cannot change the report. Cleared with the state.
    std::array<int32_t, kBufferSize> MemoryReply{};
    bool MemoryReplyGood = false;
    int32_t MemoryReadLength = 0;  // the length asked for by the last memory read
    // Set when a memory-read reply has been judged, good or bad: its wait can end.
    bool MemoryReplyJudged = false;
};

}  // namespace vyper
