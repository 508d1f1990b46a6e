#pragma once
#include <QString>
#include <array>
#include <cstdint>

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

inline constexpr int kBufferSize = 8193;  // elements 0..8192
// Interval of the transfer control timer while a transfer runs, in milliseconds.
inline constexpr int kControlTimerInterval = 100;

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

    // Profile storage
    QString ProfileFolder;
};

}  // namespace vyper
