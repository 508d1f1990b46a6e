#include "platform/PortMappingEntries.h"

#include <QFileInfo>

#include "platform/PortDevices.h"
#include "platform/PosixSerialControl.h"

namespace vyper {

namespace {

// True when `storedPath` names the device, literally or through links.
bool NamesDevice(const QString& storedPath, const QString& canonicalStored, const SerialDeviceChoice& device) {
    if (storedPath == device.path || storedPath == device.systemLocation) return true;
    return !canonicalStored.isEmpty() && canonicalStored == QFileInfo(device.systemLocation).canonicalFilePath();
}

}  // namespace

PortMappingList PortMappingListFor(int port, const QString& storedPath, const std::vector<SerialDeviceChoice>& devices) {
    PortMappingList list;
    list.entries.push_back({QStringLiteral("Standard (%1)").arg(DefaultDevicePath(port)), QString()});
    const QString canonicalStored = storedPath.isEmpty() ? QString() : QFileInfo(storedPath).canonicalFilePath();
    for (const SerialDeviceChoice& device : devices) {
        if (!storedPath.isEmpty() && list.selected == 0 && NamesDevice(storedPath, canonicalStored, device)) {
            list.selected = static_cast<int>(list.entries.size());
            // The entry keeps the stored text: choosing it again changes nothing.
            list.entries.push_back({device.displayName, storedPath});
            continue;
        }
        list.entries.push_back({device.displayName, device.path});
    }
    if (!storedPath.isEmpty() && list.selected == 0) {
        const bool exists = QFileInfo::exists(storedPath);
        list.selected = static_cast<int>(list.entries.size());
        list.entries.push_back({exists ? storedPath : storedPath + QStringLiteral(" (nicht angeschlossen)"), storedPath});
    }
    return list;
}

}  // namespace vyper
