#pragma once
#include <QString>
#include <cstdint>

#include "transfer/TransferState.h"

namespace vyper {

struct VyperComm;
class TransferLog;

// What the core tells the platform's transfer log (Platform::log). Without a log every call
// does nothing; the bytes and the message list's lines reach the log through TransferLogTaps.

// Starts the log of a transfer of `kind` (1 settings read, 2 download) once its port is
// open: the first line names the program's version, the kind, the port and its device, the
// interface type, the delay, the limits and, for a download, the storage choices.
void BeginTransferLog(VyperComm& m, int16_t kind);

// A line in the log of the running transfer; nothing outside a transfer.
void NoteInLog(VyperComm& m, const QString& line);

// Notes how the reply wait that began at `startMs` (the waits' clock) ended, after how many
// ms, and how many bytes the receive handler took meanwhile (counted from `bytesBefore`).
void NoteWaitEnd(VyperComm& m, WaitEnd end, int64_t startMs, uint32_t bytesBefore);

// Whether a transfer of `kind` that ends for `cause` with `state` failed. Decided
// conservatively, only by what the user was told went wrong: the device went away, the
// cable does not match, a settings block stayed unread, a dive was lost or the line was
// disturbed; or a download ended at the error limit without a single whole dive (a silent
// or absent device). Every other end (Stop, the limits, the only-new stop, the error limit
// after the last dive) is a transfer that did what it should.
bool TransferFailed(int16_t kind, TransferEndCause cause, const TransferState& state);

// The line the message list gets after a failed transfer: "Protokoll dieser Übertragung:
// <path>", or why the log is kept nowhere; empty when neither is known.
QString TransferLogLine(const TransferLog& log);

// Closes the log of the running transfer with its outcome (the cause, the counts and
// whether it failed); after a failed transfer then adds TransferLogLine at the end of the
// message list. Called once as the transfer ends, before it is marked as ended.
void FinishTransferLog(VyperComm& m, TransferEndCause cause);

}  // namespace vyper
