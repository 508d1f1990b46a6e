#include "platform/LoggingSerialControl.h"

namespace vyper {

LoggingSerialControl::LoggingSerialControl(SerialControl& line, TransferLog& log) : line_(line), log_(log) {
    line_.OnComm = [this] {
        if (OnComm) OnComm();
    };
}

LoggingSerialControl::~LoggingSerialControl() { line_.OnComm = nullptr; }

QByteArray LoggingSerialControl::Input() {
    QByteArray bytes = line_.Input();
    if (!bytes.isEmpty()) log_.Received(bytes);
    return bytes;
}

int LoggingSerialControl::InputByte() {
    const int b = line_.InputByte();
    if (b >= 0) {
        const char c = static_cast<char>(b);
        log_.Received(QByteArrayView(&c, 1));
    }
    return b;
}

void LoggingSerialControl::Output(const QByteArray& bytes) {
    try {
        line_.Output(bytes);
    } catch (const RuntimeFailure& failure) {
        log_.Note(QStringLiteral("Senden abgelehnt: %1").arg(failure.Description()));
        throw;
    }
    log_.Sent(bytes);
}

bool LoggingSerialControl::DeviceLost() {
    const bool lost = line_.DeviceLost();
    if (lost && !lossNoted_) {
        lossNoted_ = true;
        log_.Note(QStringLiteral("Gerät nicht mehr da: %1").arg(line_.DeviceName()));
    }
    return lost;
}

void LoggingSerialControl::OpenDevice() {
    line_.SetCommPort(CommPort());
    line_.SetSettings(Settings());
    line_.SetRThreshold(RThreshold());
    line_.SetHandshaking(Handshaking());
    line_.SetInBufferSize(InBufferSize());
    line_.SetOutBufferSize(OutBufferSize());
    line_.SetInputLen(InputLen());
    line_.SetInputMode(InputMode());
    line_.SetDTREnable(DTREnable());
    line_.SetRTSEnable(RTSEnable());
    line_.SetPortOpen(true);
    lossNoted_ = false;
}

void LoggingSerialControl::CloseDevice() {
    line_.SetPortOpen(false);
    log_.Note(QStringLiteral("Schnittstelle geschlossen"));
}

void LoggingSerialControl::ApplyModemLines() {
    if (line_.DTREnable() != DTREnable()) line_.SetDTREnable(DTREnable());
    if (line_.RTSEnable() != RTSEnable()) line_.SetRTSEnable(RTSEnable());
}

}  // namespace vyper
