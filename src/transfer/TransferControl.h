#pragma once
#include <cstdint>

namespace vyper {

struct VyperComm;

// The wait after a command ends only when the receive queue has stayed empty this long.
// At 2400 baud a byte takes about 4.6 ms, so 200 ms are some 45 character times: long enough
// that a reply still trickling in is never taken as complete.
inline constexpr int kQuietGapMs = 200;
// How long the wait sleeps between two looks at an empty queue.
inline constexpr int kQuietPollMs = 5;

// Starts a dive download: opens the port (a refusal is reported and nothing else happens),
// resets the counters, labels and receive state, DownloadState 2, control timer on.
void cmdDownload_Click(VyperComm& m);
// Starts a settings read: resets the counters, opens the port (a refusal is reported and
// nothing else happens), resets labels and receive state, DownloadState 1 at block 0,
// "Lese Speicher von Vyper..." in the message list, control timer on.
void cmdGetVyperSettings_Click(VyperComm& m);
// One exchange: stops the timer, sends the next command, waits until the reply has come
// in, evaluates it by DownloadState and restarts the timer or ends the transfer at the
// dive limit or the error limit. Does nothing when called inside a running tick.
void timDownLoadCtrl_Timer(VyperComm& m);
// Yields to the message loop until the receive queue has stayed empty for kQuietGapMs
// (or the port has been closed meanwhile).
void WaitForQuietLine(VyperComm& m);

}  // namespace vyper
