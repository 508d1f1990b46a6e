#pragma once
#include <QString>
#include <QStringList>

#include "cli/CliOptions.h"
#include "platform/SettingsStore.h"
#include "profiles/StorageChoices.h"

namespace vyper::cli {

// The choices a transfer runs with, as the window's controls would hold them.
struct RunChoices {
    int portNumber = 2;      // the COM number that messages name
    QString devicePath;      // the device that the port opens
    QString interfaceText;   // kInterfaceOriginal or kInterfaceSelfBuilt
    QString delayText;       // as typed into "Verzögerung [ms]"
    QString diveCountText;   // "Alle" or a number
    QString errorLimitText;  // "Max. Fehlerzahl bis Abbruch"
    bool onlyNew = false;
    OverwritePolicy overwrite = OverwritePolicy::Never;
};

// The command line's choices; what it leaves out comes from the window's stored settings,
// checked as the window's start-up checks them: port (CommPort/Number, its device from
// [Ports]), interface type, delay and "Nur neue Tauchgänge laden". The dive count ("Alle"),
// the error limit (3) and the overwrite policy (never) are not stored; they take the
// window's initial values. A stored value that the window's start-up refuses adds that
// message to `warnings` and leaves the choice as the window would leave it.
// A device path given for --port keeps the stored port number for the messages.
RunChoices ResolveChoices(const CliOptions& options, const SettingsStore& stored, QStringList& warnings);

}  // namespace vyper::cli
