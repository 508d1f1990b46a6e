#include "cli/JsonReport.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace vyper::cli {

namespace {

QJsonValue PathOrNull(const QString& path) { return path.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(path); }

QJsonArray Strings(const QStringList& lines) { return QJsonArray::fromStringList(lines); }

QJsonArray LostDives(const std::vector<LostDive>& lost) {
    QJsonArray dives;
    for (const LostDive& dive : lost) {
        dives.append(QJsonObject{{QStringLiteral("place"), dive.place},
                                 {QStringLiteral("date"), PathOrNull(dive.date)}});
    }
    return dives;
}

}  // namespace

QJsonObject TransferJson(const TransferOutcome& outcome, int status, const QString& folder) {
    QJsonObject object{{QStringLiteral("status"), status},
                       {QStringLiteral("interrupted"), outcome.interrupted},
                       {QStringLiteral("messages"), Strings(outcome.boxes)},
                       {QStringLiteral("log"), PathOrNull(outcome.logPath)}};
    if (outcome.kind == TransferKind::Settings) {
        object.insert(QStringLiteral("command"), QStringLiteral("settings"));
        object.insert(QStringLiteral("report"), Strings(outcome.reportLines));
        object.insert(QStringLiteral("counts"), QJsonObject{{QStringLiteral("bytes"), outcome.bytes},
                                                            {QStringLiteral("blocks_read"), outcome.settingsBlocksRead},
                                                            {QStringLiteral("blocks_missing"), outcome.settingsBlocksMissing}});
        return object;
    }
    object.insert(QStringLiteral("command"), QStringLiteral("download"));
    object.insert(QStringLiteral("folder"), folder);
    object.insert(QStringLiteral("stored"), Strings(outcome.storedPaths));
    object.insert(QStringLiteral("skipped"), Strings(outcome.skippedPaths));
    object.insert(QStringLiteral("lost"), LostDives(outcome.lost));
    object.insert(QStringLiteral("counts"),
                  QJsonObject{{QStringLiteral("bytes"), outcome.bytes},
                              {QStringLiteral("dives_read"), outcome.divesRead},
                              {QStringLiteral("stored"), outcome.divesStored},
                              {QStringLiteral("skipped"), static_cast<int>(outcome.skippedPaths.size())},
                              {QStringLiteral("lost"), static_cast<int>(outcome.lost.size())},
                              {QStringLiteral("errors"), outcome.errors}});
    return object;
}

QJsonObject ExportJson(const ExportReport& report, int status) {
    return QJsonObject{{QStringLiteral("command"), QStringLiteral("export")},
                       {QStringLiteral("status"), status},
                       {QStringLiteral("format"), report.format == ExportFormat::Uddf ? QStringLiteral("uddf")
                                                                                      : QStringLiteral("csv")},
                       {QStringLiteral("output"), report.output},
                       {QStringLiteral("written"), report.outcome.written},
                       {QStringLiteral("exported"), report.outcome.exported},
                       {QStringLiteral("skipped"), Strings(report.outcome.skipped)},
                       {QStringLiteral("interrupted"), report.facts.interrupted},
                       {QStringLiteral("messages"), Strings(report.messages)}};
}

QJsonObject PortsJson(const PortsReport& report) {
    QJsonArray ports;
    for (const PortLine& line : report.ports) {
        ports.append(QJsonObject{{QStringLiteral("port"), line.port},
                                 {QStringLiteral("device"), line.device},
                                 {QStringLiteral("entry"), line.entry}});
    }
    QJsonArray devices;
    for (const SerialDeviceChoice& device : report.devices) {
        devices.append(QJsonObject{{QStringLiteral("name"), device.displayName},
                                   {QStringLiteral("path"), device.path},
                                   {QStringLiteral("device"), device.systemLocation}});
    }
    return QJsonObject{{QStringLiteral("command"), QStringLiteral("ports")},
                       {QStringLiteral("status"), 0},
                       {QStringLiteral("messages"), QJsonArray()},
                       {QStringLiteral("ports"), ports},
                       {QStringLiteral("devices"), devices}};
}

QJsonObject FailureJson(const QString& command, int status, const QString& message) {
    return QJsonObject{{QStringLiteral("command"), command},
                       {QStringLiteral("status"), status},
                       {QStringLiteral("messages"), QJsonArray{message}}};
}

QByteArray JsonLine(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n'; }

}  // namespace vyper::cli
