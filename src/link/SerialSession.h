#pragma once
#include <QString>
#include <cstdint>

#include "link/Link.h"
#include "platform/AppInfo.h"

namespace vyper {

class RuntimeFailure;

// Takes the user's current choices (interface type, port number, delay) from LinkChoices,
// configures the serial control for 2400 baud, odd parity, 8 data bits, 1 stop bit and
// opens the port. The port must be closed. Throws the serial control's failure
// unchanged when the port cannot be selected or opened; CommandDelay is taken only after
// the port has opened, so it keeps its previous value after a failure.
void OpenCommPort(Link& m);

// The message that tells the user why port COM<port> could not be opened. A refusal for
// lack of rights names the command that gives `userName` the rights.
QString OpenCommPortFailureText(const RuntimeFailure& failure, int32_t port, const QString& userName = LoginName());

// Reads and discards every byte that waits in the port's receive queue, one byte per read.
// A closed port holds no bytes, so the call returns at once.
void DrainInput(Link& m);

}  // namespace vyper
