#pragma once
#include <QString>
#include <vector>

namespace vyper {

// What the system tells about one serial device.
struct SerialDeviceInfo {
    QString systemLocation;  // the device file, e.g. /dev/ttyUSB0
    QString description;     // e.g. "FT232R USB UART"; empty for built-in ports
    QString manufacturer;
    QString serialNumber;
};

// A device the user may give a port number to.
struct SerialDeviceChoice {
    QString path;            // what the settings keep: the by-id link when there is one
    QString systemLocation;  // the device file itself
    QString displayName;     // what the user reads
};

// The folder in which the system keeps a stable link for each USB serial device.
inline const QString kSerialByIdFolder = QStringLiteral("/dev/serial/by-id");

// "<description> (<manufacturer>, Nr. <serial number>) – <system location>"; the parts in
// brackets appear only when known, an empty description reads as "Eingebaute Schnittstelle"
// for ttyS ports and "Serielles Gerät" for others.
QString SerialDeviceDisplayName(const SerialDeviceInfo& device);

// The devices worth offering, USB and ACM adapters first, then other devices, then the
// built-in ttyS ports, each group in the order of the device numbers. A ttyS port is kept
// only when it is ttyS0..ttyS3 or has a description (see the source for why). `path` is the
// link in `byIdFolder` that leads to the device, else the system location.
std::vector<SerialDeviceChoice> SerialDeviceChoices(const std::vector<SerialDeviceInfo>& ports,
                                                    const QString& byIdFolder);

// The serial devices the system knows of now, as Qt Serial Port reports them.
std::vector<SerialDeviceInfo> SystemSerialDevices();

// SerialDeviceChoices of the system's devices and its by-id folder.
std::vector<SerialDeviceChoice> PresentSerialDeviceChoices();

}  // namespace vyper
