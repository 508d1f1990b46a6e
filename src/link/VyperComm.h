#pragma once
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Controls.h"
#include "platform/Platform.h"

namespace vyper {

// The main window's controls that the module's procedures use.
struct MainControls {
    ListBox* lstVyperComm = nullptr;
    ListBox* lstFiles = nullptr;
    ListBox* lstInterfaceType = nullptr;
    ComboBox* cmbCommPort = nullptr;
    ComboBox* cmbNDives = nullptr;
    TextBox* txtComDelay = nullptr;
    TextBox* txtErrMax = nullptr;
    CheckBox* chkAbortWhenOldDive = nullptr;
    OptionButton* optNever = nullptr;
    OptionButton* optAsk = nullptr;
    OptionButton* optAlways = nullptr;
    Label* lblCnt = nullptr;
    Label* lblDiveCnt = nullptr;
    Label* lblErr = nullptr;
    Label* lblErr2 = nullptr;
    Timer* timDownLoadCtrl = nullptr;
    Timer* timChkRxDone = nullptr;
    CommandButton* cmdClose = nullptr;
};

// How the wait for a reply ended.
enum class WaitEnd {
    Quiet,           // the line stayed quiet for the gap
    Complete,        // the answer's framing showed that it is whole
    Bound,           // bytes kept coming until the longest possible answer's time was over
    Stopped,         // the transfer was stopped or the port closed meanwhile
    DeviceLost,      // the device went away
    WrongInterface,  // the first bytes show that the cable does not match the choice
};

inline constexpr int kBufferSize = 8193;  // elements 0..8192
// Interval of the transfer control timer while a transfer runs, in milliseconds.
inline constexpr int kControlTimerInterval = 100;
// Interval of the receive poll while it runs, in milliseconds.
inline constexpr int kReceivePollInterval = 10;

// Colour values used by the module (red in the lowest byte).
inline constexpr int kColourGrey = 8421504;
inline constexpr int kColourRed = 255;
inline constexpr int kColourDarkBlue = 8388608;

// The module `VyperComm`: the state that the device-link, transfer, decoding and storage
// procedures share, once for the program's run, and what they reach it through.
struct VyperComm {
    VyperComm(Platform platformServices, MainControls controls)
        : platform(platformServices), ui(controls) {}

    Platform platform;
    MainControls ui;
    SerialControl& comVyper() { return platform.serial; }

    // Serial session
    int16_t InterfaceType = 1;    // 1 original interface, 2 self-built interface with echo
    int32_t CommPortNumber = 2;   // 1..4
    int32_t CommandDelay = 350;   // 0..2000 ms; the pause after a command is five times this

    // Reply reception
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

    // Transfer control
    int16_t DownloadState = 0;    // 0 idle, 1 settings read, 2 dive download
    int16_t SettingsStep = 0;
    int32_t DiveNumber = 1;
    int16_t ErrorCount = 0;
    int16_t DivesConverted = 0;
    // True while a tick of the control timer runs; a tick never starts inside another.
    bool InTick = false;
    // True when the receive poll stopped a running control timer because bytes waited;
    // the poll starts it again once the queue is empty, so a transfer never stalls.
    bool PollHeldControlTimer = false;
    // When the poll first held it since the last tick (-1: not yet), and whether it gave up
    // holding until the next tick: a line that never falls quiet (noise) must not stop a
    // transfer between two exchanges.
    int64_t PollHeldSince = -1;
    bool PollHoldGivenUp = false;

    // True from a start until the transfer ends in any way; a start meanwhile changes nothing.
    bool TransferActive = false;
    // Counts the starts: a pause or wait of an earlier transfer must not go on in a later one.
    uint32_t TransferGeneration = 0;
    // Told when TransferActive changes, so that the window can lock the start buttons.
    std::function<void(bool active)> OnTransferActiveChanged;
    // How the last reply wait ended.
    WaitEnd WaitOutcome = WaitEnd::Quiet;
    // Dive answers of this download, counted from the newest: a lost dive is named by it.
    int32_t DiveAnswers = 0;
    int16_t DivesStored = 0;
    struct LostDive {
        int32_t place;  // its place in the order of download, 1 = newest
        QString date;   // its date as the file would show it, empty when the header was spoilt
    };
    std::vector<LostDive> LostDives;
    // Set when an answer drowned in noise: the download cannot be known to be complete.
    bool LineDisturbed = false;
    // Settings read: blocks without a good reply.
    int16_t SettingsBlocksMissing = 0;

    // Profile storage
    QString ProfileFolder;
};

}  // namespace vyper
