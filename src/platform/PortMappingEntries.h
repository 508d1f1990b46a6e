#pragma once
#include <QString>
#include <vector>

#include "platform/SerialDevices.h"

namespace vyper {

// One entry of a port's list in the dialog "Schnittstellen zuordnen".
struct PortMappingEntry {
    QString text;  // what the list shows
    QString path;  // what is stored for the port; "" stands for the standard device
};

// The entries for one port and the one that matches the port's stored device.
struct PortMappingList {
    std::vector<PortMappingEntry> entries;
    int selected = 0;
};

// The list for COM<port>: "Standard (/dev/ttyS<port-1>)", then `devices` by display name.
// A stored path selects the device it names (by its path, its device file or a link that
// leads to that file); a stored path that names none of them is added as the last entry,
// marked "(nicht angeschlossen)" when no such file exists. "" selects the standard entry.
PortMappingList PortMappingListFor(int port, const QString& storedPath, const std::vector<SerialDeviceChoice>& devices);

}  // namespace vyper
