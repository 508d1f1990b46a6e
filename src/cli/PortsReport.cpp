#include "cli/PortsReport.h"

#include "platform/PortDevices.h"
#include "platform/PortMappingEntries.h"

namespace vyper::cli {

PortsReport MakePortsReport(const SettingsStore& settings, const std::vector<SerialDeviceChoice>& devices) {
    PortsReport report;
    report.devices = devices;
    for (int port = 1; port <= 4; ++port) {
        const PortMappingList list = PortMappingListFor(port, StoredDevicePath(settings, port), devices);
        report.ports.push_back({port, DevicePathForPort(settings, port),
                                list.entries[static_cast<std::size_t>(list.selected)].text});
    }
    return report;
}

QStringList PortsLines(const PortsReport& report) {
    QStringList lines;
    for (const PortLine& line : report.ports) lines << QStringLiteral("COM%1: %2").arg(line.port).arg(line.entry);
    if (report.devices.empty()) {
        lines << QStringLiteral("Serielle Geräte: keine");
        return lines;
    }
    lines << QStringLiteral("Serielle Geräte:");
    for (const SerialDeviceChoice& device : report.devices) {
        QString line = QStringLiteral("  ") + device.displayName;
        if (device.path != device.systemLocation) line += QStringLiteral(" (--port %1)").arg(device.path);
        lines << line;
    }
    return lines;
}

}  // namespace vyper::cli
