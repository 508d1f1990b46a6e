#pragma once
#include <functional>
#include <vector>

#include "platform/AppInfo.h"
#include "platform/FileWriter.h"
#include "platform/MessageBoxes.h"
#include "platform/SerialControl.h"
#include "platform/SerialDevices.h"
#include "platform/SettingsStore.h"
#include "platform/TransferLog.h"
#include "platform/Waits.h"

namespace vyper {

// The platform services the program runs on; tests pass replacements.
struct Platform {
    SerialControl& serial;
    SettingsStore& settings;
    MessageBoxes& boxes;
    Waits& waits;
    FileWriter& files;
    AppInfo app;
    // The serial devices present now, ready to be offered; the program passes
    // PresentSerialDeviceChoices, tests a fixed list. Must be set.
    std::function<std::vector<SerialDeviceChoice>()> serialDevices;
    // Where every transfer is logged (its bytes both ways, its waits and decisions); null:
    // nowhere. Not owned; it must outlive the core that reports into it. Keep it last, so
    // that initialisations without it stay valid.
    TransferLog* log = nullptr;
};

}  // namespace vyper
