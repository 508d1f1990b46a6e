#include "platform/SerialDevices.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QStringList>
#include <algorithm>
#include <map>
#include <tuple>

namespace vyper {

namespace {

// Device file names: a name and the device number at its end ("ttyUSB" and 10 for ttyUSB10).
struct DeviceName {
    QString stem;
    int number = -1;
};

DeviceName SplitDeviceName(const QString& systemLocation) {
    static const QRegularExpression pattern(QStringLiteral("^(.*?)(\\d+)$"));
    const QString name = QFileInfo(systemLocation).fileName();
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch()) return {name, -1};
    return {match.captured(1), match.captured(2).toInt()};
}

bool IsBuiltInPort(const DeviceName& name) { return name.stem == QStringLiteral("ttyS"); }

// 0: USB and ACM adapters, 1: other devices, 2: built-in ports.
int Group(const DeviceName& name) {
    if (name.stem == QStringLiteral("ttyUSB") || name.stem == QStringLiteral("ttyACM")) return 0;
    return IsBuiltInPort(name) ? 2 : 1;
}

// The kernel's 8250 driver creates ttyS0 to ttyS31 whether or not a chip answers behind
// them, and Qt lists them all with an empty description. Real on-board ports sit at the
// four classic addresses (ttyS0..ttyS3); ports on PCI cards are told apart by a description.
// Offering 32 dead ports would hide the one that matters.
bool IsWorthOffering(const SerialDeviceInfo& port) {
    const DeviceName name = SplitDeviceName(port.systemLocation);
    if (!IsBuiltInPort(name)) return true;
    return (name.number >= 0 && name.number <= 3) || !port.description.isEmpty();
}

// Canonical device path -> the first link (by name) in `byIdFolder` that leads to it.
std::map<QString, QString> LinksByDevice(const QString& byIdFolder) {
    std::map<QString, QString> links;
    const QFileInfoList entries =
        QDir(byIdFolder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (!entry.isSymLink()) continue;
        const QString target = entry.canonicalFilePath();  // empty for a broken link
        if (!target.isEmpty()) links.emplace(target, entry.absoluteFilePath());
    }
    return links;
}

}  // namespace

QString SerialDeviceDisplayName(const SerialDeviceInfo& device) {
    QString name = device.description.trimmed();
    if (name.isEmpty()) {
        name = IsBuiltInPort(SplitDeviceName(device.systemLocation)) ? QStringLiteral("Eingebaute Schnittstelle")
                                                                     : QStringLiteral("Serielles Gerät");
    }
    QStringList details;
    if (!device.manufacturer.trimmed().isEmpty()) details << device.manufacturer.trimmed();
    if (!device.serialNumber.trimmed().isEmpty()) details << QStringLiteral("Nr. ") + device.serialNumber.trimmed();
    if (!details.isEmpty()) name += QStringLiteral(" (") + details.join(QStringLiteral(", ")) + QLatin1Char(')');
    return name + QStringLiteral(" – ") + device.systemLocation;
}

std::vector<SerialDeviceChoice> SerialDeviceChoices(const std::vector<SerialDeviceInfo>& ports,
                                                    const QString& byIdFolder) {
    std::vector<SerialDeviceInfo> offered;
    std::copy_if(ports.begin(), ports.end(), std::back_inserter(offered), IsWorthOffering);
    const auto key = [](const SerialDeviceInfo& port) {
        const DeviceName name = SplitDeviceName(port.systemLocation);
        return std::make_tuple(Group(name), name.stem, name.number, port.systemLocation);
    };
    std::sort(offered.begin(), offered.end(),
              [&key](const SerialDeviceInfo& a, const SerialDeviceInfo& b) { return key(a) < key(b); });

    const std::map<QString, QString> links = LinksByDevice(byIdFolder);
    std::vector<SerialDeviceChoice> choices;
    for (const SerialDeviceInfo& port : offered) {
        const QString device = QFileInfo(port.systemLocation).canonicalFilePath();
        const auto link = device.isEmpty() ? links.end() : links.find(device);
        choices.push_back({link == links.end() ? port.systemLocation : link->second, port.systemLocation,
                           SerialDeviceDisplayName(port)});
    }
    return choices;
}

std::vector<SerialDeviceInfo> SystemSerialDevices() {
    std::vector<SerialDeviceInfo> devices;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        devices.push_back({port.systemLocation(), port.description(), port.manufacturer(), port.serialNumber()});
    }
    return devices;
}

std::vector<SerialDeviceChoice> PresentSerialDeviceChoices() {
    return SerialDeviceChoices(SystemSerialDevices(), kSerialByIdFolder);
}

}  // namespace vyper
