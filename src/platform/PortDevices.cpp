#include "platform/PortDevices.h"

namespace vyper {

namespace {
const QString kPortsSection = QStringLiteral("Ports");
QString PortKey(int port) { return QStringLiteral("COM%1").arg(port); }
}  // namespace

QString DefaultDevicePath(int port) { return QStringLiteral("/dev/ttyS%1").arg(port - 1); }

QString DevicePathForPort(const SettingsStore& store, int port) {
    const QString configured = StoredDevicePath(store, port);
    return configured.isEmpty() ? DefaultDevicePath(port) : configured;
}

QString StoredDevicePath(const SettingsStore& store, int port) {
    return store.Load(kPortsSection, PortKey(port)).trimmed();
}

void StoreDevicePath(SettingsStore& store, int port, const QString& path) {
    if (path.isEmpty()) store.Remove(kPortsSection, PortKey(port));
    else store.Save(kPortsSection, PortKey(port), path);
}

}  // namespace vyper
