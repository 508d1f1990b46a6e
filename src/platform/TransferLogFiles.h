#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace vyper {

// How many transfer logs the state folder keeps: a new one deletes the oldest beyond this.
inline constexpr int kKeptTransferLogs = 20;

// The folder of the transfer logs: "Vyper-Grundelnetz" in $XDG_STATE_HOME when that is an
// absolute path, else in ~/.local/state; empty when neither is known (no log is kept then).
QString TransferLogFolder(const QString& xdgStateHome, const QString& home);

// The name of the log of a transfer started at `start` (local time):
// "transfer-2026-12-07T19-03-04.log"; `attempt` 2, 3, ... for a second one in the same
// second ("transfer-2026-12-07T19-03-04_2.log").
QString TransferLogName(const QDateTime& start, int attempt = 1);

// True for a name that TransferLogName gives; the folder's other files are never touched.
bool IsTransferLogName(const QString& name);

// Of the names in a folder, the transfer logs to delete so that, with the one about to be
// created, only the newest `keep` remain (oldest first; names sort by their start time).
QStringList TransferLogsToDelete(const QStringList& names, int keep);

}  // namespace vyper
