#pragma once
#include <cstdint>
#include <functional>

namespace vyper {

struct VyperComm;

// Asked during the pauses of a command sent now: true once the transfer that sent it has
// been stopped or another has begun. Outside a transfer it always says false.
std::function<bool()> TransferStopped(VyperComm& m);

// Both starts do nothing while a transfer runs (TransferActive).
// Starts a dive download: opens the port (a refusal is reported and nothing else happens),
// resets the counters, labels and receive state, DownloadState 2, control timer on.
void cmdDownload_Click(VyperComm& m);
// Starts a settings read: resets the counters, opens the port (a refusal is reported and
// nothing else happens), resets labels and receive state, DownloadState 1 at block 0,
// "Lese Speicher von Vyper..." in the message list, control timer on.
void cmdGetVyperSettings_Click(VyperComm& m);
// One exchange: stops the timer, sends the next command, waits for the reply (WaitForReply),
// ends the transfer at once when the device went away or the cable does not match the
// interface type, else evaluates the reply by DownloadState and restarts the timer or ends
// the transfer at the dive limit or the error limit. Does nothing inside a running tick.
void timDownLoadCtrl_Timer(VyperComm& m);

}  // namespace vyper
