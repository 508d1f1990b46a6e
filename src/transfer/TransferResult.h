#pragma once
#include <QString>

#include "transfer/TransferState.h"

namespace vyper {

struct VyperComm;

// The last line of every download: "Ergebnis: 2 neu gespeichert, 3 schon vorhanden (nicht
// überschrieben), 1 verloren." `stored` counts the files written (an overwritten one too),
// `kept` the dives that were stored already and stayed untouched, `lost` the dives the
// device sent that did not reach the disk. Pure.
QString DownloadResultLine(int stored, int kept, int lost);

// The line that says the dive computer did not answer; `echoSeen` when the interface sent
// the commands back, so that only the dive computer stayed silent. Pure.
QString SilentDeviceLine(bool echoSeen);

// The box for a silent dive computer: what to check, in order: the dive computer in its
// transfer mode, the interface on its contacts, the port `portName` ("COM2 (/dev/ttyUSB0)"),
// and the transfer's log when `logPath` is not empty. Pure.
QString SilentDeviceText(const QString& portName, const QString& logPath);

// The port as the user chose it, with the device it opens when known: "COM2 (/dev/ttyUSB0)".
QString PortWithDevice(VyperComm& m);

// True when a transfer that ended for `cause` heard nothing from the dive computer but the
// echo of its commands: it ran to its own end (the last block, the error limit) without a
// byte of an answer, while every command went out whole. A Stop, a lost device, a wrong
// interface and a port that refused a command have messages of their own.
bool DeviceStayedSilent(TransferEndCause cause, const TransferState& state);

// The lines a transfer adds when it ends, before its log closes: the silent device's line;
// for a download, the only-new stop's line and the result line.
void ReportTransferResult(VyperComm& m, TransferEndCause cause);

// The box for a silent dive computer, shown once the transfer has ended and its log is
// closed (so that the log's path is the one that stays).
void ShowSilentDeviceBox(VyperComm& m);

}  // namespace vyper
