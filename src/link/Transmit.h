#pragma once
#include <QString>
#include <functional>

#include "link/Link.h"

namespace vyper {

// Sends a command text ("08 165") as its bytes, one write per byte, then after 12 ms its
// XOR checksum byte, with RTS raised from the start until 100 ms after the checksum; then
// pauses for 5 × CommandDelay ms while the answer arrives. The pauses keep the message loop
// going; once `stopped` says so during one (a Stop, "&Ende", a new transfer), the call
// returns at once and sends nothing more. A failure (a closed port, a
// field that is no byte value) is shown to the user in a critical message box and ends
// the call at once: no further byte, no further pause, RTS left as it was. A device that
// went away ends the call silently: the transfer reports the lost connection once.
// The bytes written, checksum included, are kept in SentCommand.
// `stopped` must be callable; a command outside a transfer passes one that says false.
void SendCommandText(Link& m, const QString& text, const std::function<bool()>& stopped);

}  // namespace vyper
