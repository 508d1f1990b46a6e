#include "link/Commands.h"

#include "link/Reception.h"
#include "link/SerialSession.h"
#include "link/Transmit.h"

namespace vyper {

namespace {

void SendProfileCommand(Link& m, const QString& text, const std::function<bool()>& stopped) {
    DrainInput(m);
    ResetRxState(m);
    // Set before the first byte goes out, so no byte of the answer meets a stale count.
    ExpectProfileAnswer(m);
    SendCommandText(m, text, stopped);
}

}  // namespace

void ExpectProfileAnswer(Link& m) {
    m.ExpectedCount = ProfileExpectedCount(m.InterfaceType);
    m.ProfileEcho = m.InterfaceType == 2 ? 3 : 0;
}

QString MemoryReadCommandText(int16_t address, int16_t length) {
    return QStringLiteral("05 00 %1 %2").arg(address).arg(length);
}

int32_t ProfileExpectedCount(int16_t interfaceType) { return interfaceType == 2 ? 38 : 35; }

int32_t MemoryReadExpectedCount(int16_t interfaceType, int16_t length) {
    return interfaceType == 1 ? length + 5 : length + 10;
}

void SendProfileStart(Link& m, const std::function<bool()>& stopped) {
    SendProfileCommand(m, QStringLiteral("08 165"), stopped);
}

void SendProfileNext(Link& m, const std::function<bool()>& stopped) {
    SendProfileCommand(m, QStringLiteral("09 165"), stopped);
}

void SendMemoryRead(Link& m, int16_t address, int16_t length, const std::function<bool()>& stopped) {
    DrainInput(m);
    ResetRxState(m);
    m.ExpectedCount = MemoryReadExpectedCount(m.InterfaceType, length);
    m.MemoryReadLength = length;
    SendCommandText(m, MemoryReadCommandText(address, length), stopped);
}

}  // namespace vyper
