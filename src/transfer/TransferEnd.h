#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "transfer/VyperComm.h"

namespace vyper {

// Marks a transfer as running or ended and tells the window (OnTransferActiveChanged).
void SetTransferActive(VyperComm& m, bool active);

// Ends a running transfer for `cause`: keeps the cause (LastEndCause), adds its closing
// notes (ReportTransferResult), closes its log (FinishTransferLog), marks it as ended
// (SetTransferActive false) and, when the dive computer never answered, shows the box that
// says what to check. Does nothing when no transfer runs.
void TransferEnded(VyperComm& m, TransferEndCause cause);

// The closing lines about dives that did not reach the disk: how many were stored and
// lost, each lost one by its place from the newest and its date where known, whether noise
// may have hidden more, and how to fetch them again. Empty when nothing was lost and the
// line was never disturbed. Pure.
QStringList LostDiveLines(int stored, const std::vector<LostDive>& lost, bool disturbed);

// Appends LostDiveLines for this download to the message list as notes (nothing when none was lost,
// or when the transfer has been marked as ended already, so that the lines come once).
void ReportLostDives(VyperComm& m);

// The device went away during a transfer: ends it at once (timer off, port closed,
// DownloadState 0), names the lost dives and shows one box that names the device.
void EndTransferDeviceLost(VyperComm& m);

// The cable does not match the chosen interface type: ends the transfer with one line that
// names the type to choose.
void EndTransferWrongInterface(VyperComm& m, const QString& line);

}  // namespace vyper
