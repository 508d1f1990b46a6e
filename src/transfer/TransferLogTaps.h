#pragma once
#include <cstdint>
#include <memory>

#include "platform/LoggingMessageSink.h"
#include "platform/LoggingSerialControl.h"
#include "platform/Platform.h"

namespace vyper {

// The core's line and message list with the platform's transfer log tapped in: with a log,
// the serial control logs every byte and the message list every line it gets; without one,
// both are the platform's and the window's own, untouched. VyperComm makes it first, so that
// the link and the seams are given the tapped ones.
struct TransferLogTaps {
    TransferLogTaps(const Platform& platform, MessageSink& windowMessages);

    std::unique_ptr<LoggingSerialControl> loggingSerial;
    std::unique_ptr<LoggingMessageSink> loggingMessages;
    SerialControl& tappedSerial;
    MessageSink& tappedMessages;
    // What the transfer being logged is (1 settings read, 2 download); 0 while none is.
    int16_t loggedKind = 0;
};

}  // namespace vyper
