#pragma once
#include "platform/AppInfo.h"
#include "platform/FileWriter.h"
#include "platform/MessageBoxes.h"
#include "platform/SerialControl.h"
#include "platform/SettingsStore.h"
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
};

}  // namespace vyper
