#include "support/DiveBytes.h"

#include "transfer/VyperComm.h"
#include "platform/Failure.h"

namespace vyper::testing {

std::vector<int32_t> DiveAnswer(const DiveHeaderBytes& h, const std::vector<int>& profile) {
    std::vector<int32_t> bytes{h.slot0, h.slot1};
    for (auto it = profile.rbegin(); it != profile.rend(); ++it) bytes.push_back(*it);
    // Slots N-14 up to N-1; the unused header slots hold 0.
    const int header[14] = {h.minute, h.hour, h.year, h.month, h.day, h.air, 0, h.oxygen, 0, 0, h.interval, 0,
                            h.surfaceHours, h.surfaceMinutes};
    bytes.insert(bytes.end(), std::begin(header), std::end(header));
    return bytes;
}

QByteArray WithChecksum(QByteArray bytes, int flip) {
    char x = 0;
    for (char c : bytes) x ^= c;
    bytes.append(static_cast<char>(x ^ flip));
    return bytes;
}

QByteArray Packets(const QByteArray& payload, int code, int spoilt) {
    QByteArray out;
    for (qsizetype i = 0; i < payload.size(); i += 32) {
        const QByteArray part = payload.mid(i, 32);
        out += WithChecksum(QByteArray(1, static_cast<char>(code)) + QByteArray(1, static_cast<char>(part.size())) + part,
                            i / 32 == spoilt ? 0x40 : 0);
    }
    return out;
}

QByteArray ProfileFileBytes(const std::vector<std::pair<int, int>>& samples) {
    QByteArray bytes("Time [s]\tDepth [m]\r\n");
    for (const auto& [time, depth] : samples) {
        bytes += QByteArray::number(time) + "\t\t" + QByteArray::number(-depth) + "\r\n";
    }
    return bytes + "=> SLOW\r\n# END OF PROFILE #\r\nDatum: 14.08.2003\r\nUhrzeit: 10 Uhr 05\r\nDauer: 45 min.\r\n"
                   "Maximale Tiefe: 23 m\r\nLufttemperatur vor TG: 24 \xB0" "C\r\nTemperatur auf maximaler Tiefe: 12 \xB0"
                   "C\r\nOberfl\xE4" "chenpause vor dem TG: 01 h 30 min\r\nAufzeichnungsintervall: 20 s\r\n";
}

int FailureNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeFailure& failure) {
        return failure.Number();
    }
    return 0;
}

std::array<int32_t, kBufferSize> ReplyWith(std::initializer_list<std::pair<int, int>> bytes, const QByteArray& userText) {
    std::array<int32_t, kBufferSize> rx{};
    for (const auto& [position, value] : bytes) rx[static_cast<size_t>(position)] = value;
    for (qsizetype i = 0; i < userText.size(); ++i) rx[static_cast<size_t>(16 + i)] = static_cast<unsigned char>(userText[i]);
    return rx;
}

void LoadAnswer(VyperComm& m, const std::vector<int32_t>& answer) {
    m.ProfileBuffer.fill(0);
    std::copy(answer.begin(), answer.end(), m.ProfileBuffer.begin());
    m.ProfileCount = static_cast<int32_t>(answer.size());
}

}  // namespace vyper::testing
