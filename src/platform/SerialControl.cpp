#include "platform/SerialControl.h"

#include <QStringList>

namespace vyper {

SerialFailure::SerialFailure(SerialFailureKind kind, const QString& devicePath, const QString& description)
    : RuntimeFailure([kind] {
          switch (kind) {
          case SerialFailureKind::AlreadyOpen: return failure::PortAlreadyOpen;
          case SerialFailureKind::NotOpen: return failure::PortNotOpen;
          case SerialFailureKind::PortMissing: return failure::PortMissing;
          case SerialFailureKind::PortBusy: return failure::PortBusy;
          case SerialFailureKind::NoPermission: return failure::PortPermission;
          case SerialFailureKind::DeviceLost:
          case SerialFailureKind::Other: break;
          }
          return failure::PortOther;
      }(), description),
      kind_(kind),
      devicePath_(devicePath) {}

LineSettings ParseLineSettings(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    const RuntimeFailure invalid(failure::InvalidPropertyValue, QStringLiteral("Ungültiger Eigenschaftswert"));
    if (parts.size() != 4) throw invalid;
    bool ok = false;
    LineSettings s;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baud <= 0) throw invalid;
    const QString parity = parts[1].trimmed().toLower();
    if (parity.size() != 1 || !QStringLiteral("noems").contains(parity)) throw invalid;
    s.parity = parity[0].toLatin1();
    s.dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || s.dataBits < 5 || s.dataBits > 8) throw invalid;
    s.stopBits = parts[3].trimmed().toInt(&ok);
    if (!ok || (s.stopBits != 1 && s.stopBits != 2)) throw invalid;
    return s;
}

void SerialControl::SetCommPort(int port) {
    if (PortOpen()) {
        throw SerialFailure(SerialFailureKind::AlreadyOpen, QString(),
                            QStringLiteral("Die Schnittstelle ist bereits geöffnet."));
    }
    if (port < 1 || port > 16) {
        throw RuntimeFailure(failure::InvalidPropertyValue, QStringLiteral("Ungültige Schnittstellennummer"));
    }
    commPort_ = port;
}

int SerialControl::InputByte() {
    const QByteArray bytes = Input();
    return bytes.isEmpty() ? -1 : static_cast<uint8_t>(bytes[0]);
}

void SerialControl::SetDTREnable(bool on) {
    dtr_ = on;
    if (PortOpen()) ApplyModemLines();
}

void SerialControl::SetRTSEnable(bool on) {
    rts_ = on;
    if (PortOpen()) ApplyModemLines();
}

void SerialControl::SetSettings(const QString& text) {
    line_ = ParseLineSettings(text);
    settingsText_ = text;
}

void SerialControl::SetPortOpen(bool open) {
    if (open) {
        if (PortOpen()) {
            throw SerialFailure(SerialFailureKind::AlreadyOpen, QString(),
                                QStringLiteral("Die Schnittstelle ist bereits geöffnet."));
        }
        OpenDevice();
        ApplyModemLines();
    } else if (PortOpen()) {
        CloseDevice();
    }
}

}  // namespace vyper
