#pragma once
#include <QString>

#include "platform/SettingsStore.h"

namespace vyper {

// Which serial device each of COM1..COM4 opens: a device chosen by the user, kept in the
// settings, or the built-in port of that number.

// The device path for COMn when the settings give none: /dev/ttyS<n-1>.
QString DefaultDevicePath(int port);
// The device path for COM<port>: the optional entry COM<port> of section "Ports",
// else /dev/ttyS<port-1>.
QString DevicePathForPort(const SettingsStore& store, int port);
// The entry COM<port> of section "Ports" without surrounding blanks; "" when there is none.
QString StoredDevicePath(const SettingsStore& store, int port);
// Writes `path` as the entry COM<port> of section "Ports"; an empty path removes the entry,
// so that the port falls back to /dev/ttyS<port-1>.
void StoreDevicePath(SettingsStore& store, int port, const QString& path);

}  // namespace vyper
