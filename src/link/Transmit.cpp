#include "link/Transmit.h"

#include "link/ByteList.h"
#include "link/VyperComm.h"
#include "platform/Failure.h"
#include "platform/MessageBoxes.h"

namespace vyper {

namespace {

void ShowSendFailure(VyperComm& m, const QString& text) {
    m.platform.boxes.Show(text, style::Critical | style::OkOnly, kMessageTitle);
}

void WriteByte(SerialControl& port, uint8_t byte) { port.Output(QByteArray(1, static_cast<char>(byte))); }

}  // namespace

void SendCommandText(VyperComm& m, const QString& text) {
    SerialControl& port = m.comVyper();
    // The pauses let the window go on; a Stop or "&Ende" meanwhile (or a new start after it)
    // ends the command at once: no byte is sent after it.
    const bool inTransfer = m.DownloadState != 0;
    const uint32_t generation = m.TransferGeneration;
    const auto stopped = [&m, inTransfer, generation] {
        return inTransfer && (m.DownloadState == 0 || m.TransferGeneration != generation);
    };
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
        if (!m.platform.waits.Pause(12, stopped)) return;
        WriteByte(port, checksum);
        m.SentCommand.append(static_cast<char>(checksum));
        // Keep RTS raised until the checksum byte has surely left the line.
        if (!m.platform.waits.Pause(100, stopped)) return;
        port.SetRTSEnable(false);
        m.platform.waits.Pause(5 * m.CommandDelay, stopped);
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
