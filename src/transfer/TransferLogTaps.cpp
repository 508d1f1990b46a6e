#include "transfer/TransferLogTaps.h"

namespace vyper {

TransferLogTaps::TransferLogTaps(const Platform& platform, MessageSink& windowMessages)
    : loggingSerial(platform.log ? std::make_unique<LoggingSerialControl>(platform.serial, *platform.log) : nullptr),
      loggingMessages(platform.log ? std::make_unique<LoggingMessageSink>(windowMessages, *platform.log) : nullptr),
      tappedSerial(loggingSerial ? static_cast<SerialControl&>(*loggingSerial) : platform.serial),
      tappedMessages(loggingMessages ? static_cast<MessageSink&>(*loggingMessages) : windowMessages) {}

}  // namespace vyper
