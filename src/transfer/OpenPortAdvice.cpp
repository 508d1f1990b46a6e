#include "transfer/OpenPortAdvice.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "link/SerialSession.h"
#include "platform/MessageBoxes.h"
#include "platform/PortDevices.h"

namespace vyper {

namespace {

bool IsBuiltInPort(const SerialDeviceChoice& device) {
    static const QRegularExpression builtIn(QStringLiteral("^ttyS\\d+$"));
    return builtIn.match(QFileInfo(device.systemLocation).fileName()).hasMatch();
}

// A device that is missing or refuses to work as a serial port; a busy port or missing
// rights have other remedies, which the reason names.
bool DeviceUnusable(const SerialFailure& failure) {
    return failure.Kind() == SerialFailureKind::PortMissing || failure.Kind() == SerialFailureKind::Other;
}

}  // namespace

std::vector<SerialDeviceChoice> OtherAdapters(const std::vector<SerialDeviceChoice>& devices, const QString& failedPath) {
    std::vector<SerialDeviceChoice> adapters;
    std::copy_if(devices.begin(), devices.end(), std::back_inserter(adapters), [&](const SerialDeviceChoice& device) {
        return !IsBuiltInPort(device) && device.path != failedPath && device.systemLocation != failedPath;
    });
    return adapters;
}

QString OpenPortAdviceText(const QString& reason, int port, const std::vector<SerialDeviceChoice>& adapters) {
    if (adapters.empty()) return reason;
    QString text = reason + QStringLiteral("\n\n");
    text += adapters.size() == 1 ? QStringLiteral("Angeschlossen ist dieser serielle Adapter:\n")
                                 : QStringLiteral("Angeschlossen sind diese seriellen Adapter:\n");
    for (const SerialDeviceChoice& adapter : adapters) text += QStringLiteral("    ") + adapter.displayName + QLatin1Char('\n');
    if (adapters.size() == 1) {
        return text + QStringLiteral("\nSoll COM%1 künftig diesen Adapter öffnen? Mit „Ja“ wird das gespeichert, wie mit "
                                     "der Schaltfläche „…“ neben dem COM-Feld, und die Übertragung startet gleich noch "
                                     "einmal.")
                          .arg(port);
    }
    return text + QStringLiteral("\nWelches Gerät COM%1 öffnet, legt die Schaltfläche „…“ neben dem COM-Feld fest.").arg(port);
}

bool ReportOpenPortFailure(VyperComm& m, const RuntimeFailure& failure) {
    const QString reason = OpenCommPortFailureText(failure, m.CommPortNumber);
    const auto* serial = dynamic_cast<const SerialFailure*>(&failure);
    const std::vector<SerialDeviceChoice> adapters =
        serial != nullptr && DeviceUnusable(*serial) && m.platform.serialDevices
            ? OtherAdapters(m.platform.serialDevices(), serial->DevicePath())
            : std::vector<SerialDeviceChoice>{};
    const QString text = OpenPortAdviceText(reason, m.CommPortNumber, adapters);
    if (adapters.size() != 1) {
        m.platform.boxes.Show(text, style::Critical | style::OkOnly, kMessageTitle);
        return false;
    }
    if (m.platform.boxes.Show(text, style::Question | style::YesNo, kMessageTitle) != answer::Yes) return false;
    StoreDevicePath(m.platform.settings, m.CommPortNumber, adapters.front().path);
    return true;
}

}  // namespace vyper
