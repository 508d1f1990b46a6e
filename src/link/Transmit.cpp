#include "link/Transmit.h"

#include "link/ByteList.h"
#include "platform/Failure.h"
#include "platform/MessageBoxes.h"

namespace vyper {

namespace {

void ShowSendFailure(Link& m, const QString& text) {
    m.io.boxes.Show(text, style::Critical | style::OkOnly, kMessageTitle);
}

void WriteByte(SerialControl& port, uint8_t byte) { port.Output(QByteArray(1, static_cast<char>(byte))); }

}  // namespace

void SendCommandText(Link& m, const QString& text, const std::function<bool()>& stopped) {
    SerialControl& port = m.comVyper();
    try {
        port.SetRTSEnable(true);
        uint8_t checksum = 0;
        for (int32_t n = 1;; ++n) {
            const QString field = ParseByteList(text, n);
            if (field.isEmpty()) break;
            const uint8_t byte = ByteFromField(field);
            WriteByte(port, byte);
            m.SentCommand.append(static_cast<char>(byte));
            checksum ^= byte;
        }
        // The interface needs a gap before the checksum byte.
        if (!m.io.waits.Pause(12, stopped)) return;
        WriteByte(port, checksum);
        m.SentCommand.append(static_cast<char>(checksum));
        // Keep RTS raised until the checksum byte has surely left the line.
        if (!m.io.waits.Pause(100, stopped)) return;
        port.SetRTSEnable(false);
        m.io.waits.Pause(5 * m.CommandDelay, stopped);
    } catch (const SerialFailure& failure) {
        if (failure.Kind() == SerialFailureKind::DeviceLost) {
            // The transfer ends with one message of its own about the lost connection.
            return;
        }
        if (failure.Kind() == SerialFailureKind::NotOpen) {
            ShowSendFailure(m, QStringLiteral("Nur möglich, wenn Schnittstelle anprechbar ist."));
        } else {
            ShowSendFailure(m, failure.Description());
        }
    } catch (const RuntimeFailure& failure) {
        ShowSendFailure(m, failure.Description());
    } catch (const std::exception& failure) {
        ShowSendFailure(m, QString::fromLocal8Bit(failure.what()));
    }
}

}  // namespace vyper
