#include "link/SerialSession.h"

#include "link/UserChoices.h"
#include "platform/Failure.h"
#include "platform/MessageBoxes.h"

namespace vyper {

void OpenCommPort(Link& m) {
    m.InterfaceType = InterfaceTypeFromText(m.io.choices.InterfaceText());
    m.CommPortNumber = PortNumberFromText(m.io.choices.PortText());

    SerialControl& port = m.comVyper();
    port.SetCommPort(m.CommPortNumber);
    port.SetDTREnable(true);
    port.SetRTSEnable(false);  // RTS low: the interface listens to the dive computer
    port.SetSettings(QStringLiteral("2400,o,8,1"));
    port.SetRThreshold(1);
    port.SetHandshaking(0);
    port.SetInBufferSize(32640);
    port.SetOutBufferSize(128);
    port.SetInputLen(1);
    port.SetInputMode(1);
    port.SetPortOpen(true);

    m.CommandDelay = CommandDelayFromText(m.io.choices.DelayText());
}

QString OpenCommPortFailureText(const RuntimeFailure& failure, int32_t port, const QString& userName) {
    const auto* serial = dynamic_cast<const SerialFailure*>(&failure);
    if (!serial) return failure.Description();
    // The device path when the serial layer knows it, with its leading blank.
    const QString device = serial->DevicePath().isEmpty() ? QString() : QLatin1Char(' ') + serial->DevicePath();
    switch (serial->Kind()) {
    case SerialFailureKind::PortBusy:
    case SerialFailureKind::AlreadyOpen:
        // Our own port still open from a running transfer looks the same to the user:
        // the port is in use and the transfer that holds it must end first.
        return QStringLiteral("Schnittstelle COM%1: wird bereits von einem anderem Programm oder Prozess verwendet.")
            .arg(port);
    case SerialFailureKind::PortMissing:
        return QStringLiteral("Schnittstelle COM%1: Das Gerät%2 ist nicht vorhanden. Bitte prüfen Sie, ob das "
                              "Interface angeschlossen und die richtige Schnittstelle gewählt ist.")
            .arg(QString::number(port), device);
    case SerialFailureKind::NoPermission:
        return QStringLiteral("Schnittstelle COM%1: Keine Berechtigung für das Gerät%2. Der Benutzer braucht "
                              "Lese- und Schreibrechte für die serielle Schnittstelle als Mitglied der Gruppe "
                              "dialout. Bitte führen Sie im Terminal „sudo adduser %3 dialout“ aus und melden "
                              "Sie sich danach neu an.")
            .arg(QString::number(port), device, userName);
    case SerialFailureKind::NotOpen:
    case SerialFailureKind::DeviceLost:
    case SerialFailureKind::Other:
        break;
    }
    return failure.Description();
}

void DrainInput(Link& m) {
    while (m.comVyper().InBufferCount() > 0) {
        // A read that yields nothing although bytes were counted would otherwise loop forever.
        if (m.comVyper().Input().isEmpty()) break;
    }
}

}  // namespace vyper
