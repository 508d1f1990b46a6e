#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace vyper {

// Interval of the transfer control timer while a transfer runs, in milliseconds.
inline constexpr int kControlTimerInterval = 100;
// Interval of the receive poll while it runs, in milliseconds.
inline constexpr int kReceivePollInterval = 10;

// How the wait for a reply ended.
enum class WaitEnd {
    Quiet,           // the line stayed quiet for the gap
    Complete,        // the answer's framing showed that it is whole
    Bound,           // bytes kept coming until the longest possible answer's time was over
    Stopped,         // the transfer was stopped or the port closed meanwhile
    DeviceLost,      // the device went away
    WrongInterface,  // the first bytes show that the cable does not match the choice
};

// Why a transfer ended.
enum class TransferEndCause {
    Finished,        // a settings read asked for every block
    DiveLimit,       // the number of dives asked for has come
    ErrorLimit,      // the failed exchanges reached the limit (a download's usual end)
    Stopped,         // "Sto&p"
    OnlyNew,         // a dive stored already came while only new dives were wanted
    DeviceLost,      // the device went away
    WrongInterface,  // the cable does not match the chosen interface type
    Closed,          // the window was closed ("&Ende")
};

// A dive that the device sent but that did not reach the disk.
struct LostDive {
    int32_t place;  // its place in the order of download, 1 = newest
    QString date;   // its date as the file would show it, empty when the header was spoilt
};

// Where a transfer stands: changed only by the transfer's procedures (starts, ticks, the
// receive poll, the ends).
struct TransferState {
    int16_t DownloadState = 0;    // 0 idle, 1 settings read, 2 dive download
    int16_t SettingsStep = 0;
    int32_t DiveNumber = 1;
    int16_t ErrorCount = 0;
    int16_t DivesConverted = 0;
    // True while a tick of the control timer runs; a tick never starts inside another.
    bool InTick = false;
    // Why the last transfer ended; set when it ends.
    TransferEndCause LastEndCause = TransferEndCause::Finished;
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
    // Dives that were stored already and stayed untouched ("Nie", the answer "Nein", the
    // only-new stop's dive).
    int32_t DivesKept = 0;
    std::vector<LostDive> LostDives;
    // Set when an answer drowned in noise: the download cannot be known to be complete.
    bool LineDisturbed = false;
    // Settings read: blocks without a good reply.
    int16_t SettingsBlocksMissing = 0;
    // The running or last transfer: 1 settings read, 2 download (DownloadState goes back to
    // 0 when a transfer is stopped).
    int16_t TransferKind = 0;
    // Set once an exchange of this transfer brought a byte beyond the echo of its command,
    // and once an echo came back at all.
    bool DeviceAnswered = false;
    bool EchoSeen = false;
    // Set when a command of this transfer could not be sent whole.
    bool CommandRefused = false;
};

}  // namespace vyper
