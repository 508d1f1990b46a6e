#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "cli/ExitStatus.h"
#include "transfer/TransferState.h"

namespace vyper::cli {

enum class TransferKind { Settings, Download };

// What a settings read or a download did, gathered while it ran and from the core's state
// once it had ended.
struct TransferOutcome {
    TransferKind kind = TransferKind::Download;
    bool portFailed = false;     // the start could not open the port
    bool folderFailed = false;   // the profile folder could not be created
    bool interrupted = false;    // Ctrl+C or SIGTERM came
    bool failed = false;         // failed as the transfer log judges it (TransferFailed)
    QStringList reportLines;     // the message list's lines from the start on
    QStringList boxes;           // the texts the window would have shown in message boxes
    QStringList storedPaths;     // the profile files written, in order
    QStringList skippedPaths;    // dives stored before and kept ("never" overwrite, the only-new stop's dive)
    QStringList fileFailures;    // why a profile file could not be written
    std::vector<LostDive> lost;  // dives the device sent that did not reach the disk
    bool lineDisturbed = false;  // noise hid whether every dive came
    int32_t bytes = 0;           // bytes received
    QString logPath;             // where the transfer's log lies; empty when nowhere
    int divesRead = 0;           // whole dives received
    int divesStored = 0;
    int errors = 0;              // failed exchanges ("Fehler oder 'End of Data'")
    int settingsBlocksRead = 0;  // settings read: blocks reported, 0..4
    int settingsBlocksMissing = 0;
};

// The exit facts of a transfer: incomplete when it failed as its log says (dives lost, the
// line disturbed, settings blocks unread, the device gone, the wrong interface type, no
// whole dive at all) or when a settings read ended before its last block. A file or the
// folder that could not be written is a file failure. Pure.
RunFacts TransferFacts(const TransferOutcome& outcome);

}  // namespace vyper::cli
