#pragma once
#include "link/Link.h"
#include "platform/IntervalTimer.h"
#include "platform/Platform.h"
#include "profiles/StorageChoices.h"
#include "transfer/TransferControls.h"
#include "transfer/TransferLogTaps.h"
#include "transfer/TransferState.h"

namespace vyper {

// The window's side of the core: its lists, counters, choices and timers, each behind an
// interface of the core's own. Tests and fuzzers pass recording stand-ins.
struct CoreSeams {
    MessageSink& messages;        // the message list
    MessageSink& files;           // the list of stored profile files
    CountersDisplay& counters;
    const LinkChoices& linkChoices;
    TransferControls& controls;
    const StorageChoices& storage;
    IntervalTimer& timDownLoadCtrl;  // the transfer control timer
    IntervalTimer& timChkRxDone;     // the receive poll
};

// The module `VyperComm`: the link, the transfer and the storage settings of the program's
// one connection, each a state of its own that its layer changes, and the services they
// reach. Needs no window: everything of the window comes through `seams`. With a transfer
// log in the platform, the link's serial control and the message list are the logging ones
// (TransferLogTaps), so every byte and every line also goes into the log.
struct VyperComm : TransferLogTaps, Link, TransferState, StorageSettings {
    VyperComm(const Platform& platformServices, const CoreSeams& windowSeams)
        : TransferLogTaps(platformServices, windowSeams.messages),
          Link(LinkServices{tappedSerial, platformServices.waits, platformServices.boxes, tappedMessages,
                            windowSeams.counters, windowSeams.linkChoices}),
          platform(platformServices),
          seams{tappedMessages,      windowSeams.files,           windowSeams.counters,
                windowSeams.linkChoices, windowSeams.controls,      windowSeams.storage,
                windowSeams.timDownLoadCtrl, windowSeams.timChkRxDone} {}

    Platform platform;
    CoreSeams seams;
};

}  // namespace vyper
