#pragma once
#include "platform/SerialControl.h"
#include "platform/TransferLog.h"

namespace vyper {

// A serial control that hands every call to another one (the line) and tells a transfer
// log every byte written and read, the port's closing and the device's loss. Nothing else
// changes: what the line does and throws, the caller sees. The settings made on this control
// reach the line when the port opens; DTR and RTS follow at once while it is open. The
// line's receive events arrive as this control's OnComm. Both must outlive it.
class LoggingSerialControl final : public SerialControl {
public:
    LoggingSerialControl(SerialControl& line, TransferLog& log);
    // The line's receive events no longer reach this control.
    ~LoggingSerialControl() override;
    LoggingSerialControl(const LoggingSerialControl&) = delete;
    LoggingSerialControl& operator=(const LoggingSerialControl&) = delete;

    bool PortOpen() const override { return line_.PortOpen(); }
    int InBufferCount() override { return line_.InBufferCount(); }
    // The line's bytes, logged as received.
    QByteArray Input() override;
    int InputByte() override;
    // Written to the line, then logged as sent; a refused write is noted and thrown on.
    void Output(const QByteArray& bytes) override;
    // The line's answer; the first loss after an open is noted.
    bool DeviceLost() override;
    QString DeviceName() const override { return line_.DeviceName(); }

protected:
    // Hands port number, DTR/RTS and every line setting to the line, then opens it.
    void OpenDevice() override;
    // Closes the line and notes it.
    void CloseDevice() override;
    void ApplyModemLines() override;

private:
    SerialControl& line_;
    TransferLog& log_;
    bool lossNoted_ = false;
};

}  // namespace vyper
