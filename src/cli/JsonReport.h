#pragma once
#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include "cli/ExportRun.h"
#include "cli/PortsReport.h"
#include "cli/TransferOutcome.h"

namespace vyper::cli {

// The --json objects, one per run. Every object has "command" and "status" (the exit
// status) and "messages" (what the window would have shown in message boxes, or the
// command line's own complaints). All pure.

// settings: "report" (the message list's lines from the start on), "counts" {"bytes",
// "blocks_read", "blocks_missing"}, "interrupted", "log" (the transfer log's path or null).
// download: "folder", "stored" and "skipped" (paths), "lost" [{"place", "date"}] (date null
// when unknown), "counts" {"bytes", "dives_read", "stored", "skipped", "lost", "errors"},
// "interrupted", "log".
QJsonObject TransferJson(const TransferOutcome& outcome, int status, const QString& folder);

// export: "format" ("uddf" or "csv"), "output", "written", "exported", "skipped" (the
// export's "<file>: <reason>" lines), "interrupted".
QJsonObject ExportJson(const ExportReport& report, int status);

// ports: "ports" [{"port", "device", "entry"}], "devices" [{"name", "path", "device"}].
QJsonObject PortsJson(const PortsReport& report);

// A run that could not start: the command as far as known ("" for none) and the reason.
QJsonObject FailureJson(const QString& command, int status, const QString& message);

// The object as one compact line with its line end.
QByteArray JsonLine(const QJsonObject& object);

}  // namespace vyper::cli
