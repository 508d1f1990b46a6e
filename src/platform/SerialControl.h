#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

#include "platform/Failure.h"

namespace vyper {

// Why an operation of the serial control failed.
enum class SerialFailureKind {
    AlreadyOpen,   // the port is open already (or its number was changed while open)
    NotOpen,       // a write or read on a closed port
    PortMissing,   // no device at the port's path
    PortBusy,      // another program or process holds the port
    NoPermission,  // the user lacks the rights for the device
    DeviceLost,    // the open device went away (a pulled cable, a hang-up, an I/O failure)
    Other,         // anything else (not a serial device, I/O error, bad setting)
};

class SerialFailure : public RuntimeFailure {
public:
    SerialFailure(SerialFailureKind kind, const QString& devicePath, const QString& description);
    SerialFailureKind Kind() const { return kind_; }
    const QString& DevicePath() const { return devicePath_; }

private:
    SerialFailureKind kind_;
    QString devicePath_;
};

// Line settings such as "2400,o,8,1".
struct LineSettings {
    int baud = 9600;
    char parity = 'n';  // n, o, e, m or s
    int dataBits = 8;
    int stopBits = 1;
};

// Parses "baud,parity,databits,stopbits"; throws RuntimeFailure 380 for a text it cannot use.
LineSettings ParseLineSettings(const QString& text);

// The serial communications control of the main window. All calls come from the
// user-interface thread; bytes arrive into the receive queue in the background.
class SerialControl {
public:
    virtual ~SerialControl() = default;

    // Selects port 1..n; throws SerialFailure(AlreadyOpen) while the port is open.
    void SetCommPort(int port);
    int CommPort() const { return commPort_; }
    void SetDTREnable(bool on);
    bool DTREnable() const { return dtr_; }
    // RTS follows at once while the port is open.
    void SetRTSEnable(bool on);
    bool RTSEnable() const { return rts_; }
    // Throws RuntimeFailure 380 for a text that is no line setting.
    void SetSettings(const QString& text);
    QString Settings() const { return settingsText_; }
    void SetRThreshold(int n) { rThreshold_ = n; }
    int RThreshold() const { return rThreshold_; }
    void SetHandshaking(int mode) { handshaking_ = mode; }
    int Handshaking() const { return handshaking_; }
    void SetInBufferSize(int bytes) { inBufferSize_ = bytes; }
    int InBufferSize() const { return inBufferSize_; }
    void SetOutBufferSize(int bytes) { outBufferSize_ = bytes; }
    int OutBufferSize() const { return outBufferSize_; }
    void SetInputLen(int n) { inputLen_ = n; }
    int InputLen() const { return inputLen_; }
    void SetInputMode(int mode) { inputMode_ = mode; }
    int InputMode() const { return inputMode_; }

    // Opens (true) or closes (false) the port. Opening throws SerialFailure when the
    // port is missing, busy, forbidden or already open; closing a closed port does nothing.
    void SetPortOpen(bool open);
    virtual bool PortOpen() const = 0;

    // Number of received bytes waiting; 0 while the port is closed.
    virtual int InBufferCount() = 0;
    // Removes and returns at most InputLen waiting bytes (all of them when InputLen is 0).
    // Throws SerialFailure(NotOpen) on a closed port.
    virtual QByteArray Input() = 0;
    // Input for the receive handler, which takes one byte per call: the first byte that
    // Input returns (as an unsigned value), -1 when it returns none. Throws as Input does.
    // A control may serve it without building a byte array.
    virtual int InputByte();
    // Queues the bytes for sending and returns. Throws SerialFailure(NotOpen) on a closed
    // port and SerialFailure(Other) when the device refuses the write.
    virtual void Output(const QByteArray& bytes) = 0;

    // True once the open device has gone away (hang-up or I/O failure); false again after
    // the next open. A lost device receives nothing and refuses every write.
    virtual bool DeviceLost() { return false; }
    // The device behind the selected port as the user should see it (a path), or "".
    virtual QString DeviceName() const { return QString(); }

    // The receive event, delivered on the user-interface thread while bytes have arrived.
    std::function<void()> OnComm;

protected:
    virtual void OpenDevice() = 0;   // throws SerialFailure
    virtual void CloseDevice() = 0;  // never throws
    virtual void ApplyModemLines() = 0;

private:
    int commPort_ = 1;
    bool dtr_ = false;
    bool rts_ = false;
    QString settingsText_ = QStringLiteral("9600,n,8,1");
    int rThreshold_ = 0;
    int handshaking_ = 0;
    int inBufferSize_ = 1024;
    int outBufferSize_ = 512;
    int inputLen_ = 0;
    int inputMode_ = 0;

protected:
    LineSettings line_;
};

}  // namespace vyper
