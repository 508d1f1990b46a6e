#pragma once
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/SerialDevices.h"
#include "platform/SettingsStore.h"

namespace vyper::cli {

// One of COM1..COM4 as the dialog "Schnittstellen zuordnen" shows it.
struct PortLine {
    int port = 1;
    QString device;  // the device the port opens
    QString entry;   // the dialog's selected entry for it
};

// The four ports and the serial devices present.
struct PortsReport {
    std::vector<PortLine> ports;
    std::vector<SerialDeviceChoice> devices;
};

// COM1..COM4 with the device each opens and the dialog's entry for it (PortMappingListFor),
// and `devices` as given.
PortsReport MakePortsReport(const SettingsStore& settings, const std::vector<SerialDeviceChoice>& devices);

// The report as lines: "COM<n>: <entry>" for each port, then "Serielle Geräte:" and one
// indented line per device by its display name, followed by "(--port <path>)" when the
// path kept for it differs from its device file; "Serielle Geräte: keine" without any. Pure.
QStringList PortsLines(const PortsReport& report);

}  // namespace vyper::cli
