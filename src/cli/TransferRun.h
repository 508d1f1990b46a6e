#pragma once
#include <QString>

#include "cli/Console.h"
#include "cli/RunChoices.h"
#include "cli/SignalStop.h"
#include "cli/TransferOutcome.h"
#include "platform/AppInfo.h"
#include "platform/SettingsStore.h"
#include "platform/TransferLog.h"

namespace vyper::cli {

// What a settings read or a download runs with.
struct TransferSetup {
    TransferKind kind = TransferKind::Download;
    RunChoices choices;
    AppInfo app;
    QString profileFolder;  // created for a download when missing
    bool json = false;      // lines for standard output are kept for the JSON object instead
    TransferLog* log = nullptr;  // where the transfer is logged; null: nowhere
};

// Runs the core's settings read or download as the window's button starts it, on an event
// loop of its own, until the transfer has ended; the real port, pauses and file writer, the
// seams printing. A settings read prints the message list's lines on standard output, a
// download prints the path of every stored file there and its message lines and progress
// on standard error; texts of message boxes go to standard error. The first signal of
// `stop` stops the transfer as the window's "Stop" does. Needs a QCoreApplication.
TransferOutcome RunTransfer(const TransferSetup& setup, SettingsStore& settings, Console& console,
                            SignalStop& stop);

}  // namespace vyper::cli
