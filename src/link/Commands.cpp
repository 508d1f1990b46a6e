#include "link/Commands.h"

#include "link/Reception.h"
#include "link/SerialSession.h"
#include "link/Transmit.h"
#include "link/VyperComm.h"

namespace vyper {

namespace {

void SendProfileCommand(VyperComm& m, const QString& text) {
    DrainInput(m);
    ResetRxState(m);
    // Set before the first byte goes out, so no byte of the answer meets a stale count.
    ExpectProfileAnswer(m);
    SendCommandText(m, text);
}

}  // namespace

void ExpectProfileAnswer(VyperComm& m) {
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

void SendProfileStart(VyperComm& m) { SendProfileCommand(m, QStringLiteral("08 165")); }

void SendProfileNext(VyperComm& m) { SendProfileCommand(m, QStringLiteral("09 165")); }

void SendMemoryRead(VyperComm& m, int16_t address, int16_t length) {
    DrainInput(m);
    ResetRxState(m);
    m.ExpectedCount = MemoryReadExpectedCount(m.InterfaceType, length);
    m.MemoryReadLength = length;
    SendCommandText(m, MemoryReadCommandText(address, length));
}

}  // namespace vyper
