#pragma once
#include "link/CountersDisplay.h"
#include "link/LinkChoices.h"
#include "link/LinkState.h"
#include "platform/MessageBoxes.h"
#include "platform/MessageSink.h"
#include "platform/SerialControl.h"
#include "platform/Waits.h"

namespace vyper {

// What the link's procedures reach outside their own state: the port, the clock and pauses,
// the boxes for send failures, and the window's message list, counters and choices.
struct LinkServices {
    SerialControl& serial;
    Waits& waits;
    MessageBoxes& boxes;
    MessageSink& messages;
    CountersDisplay& counters;
    const LinkChoices& choices;
};

// The link to the dive computer: its settings, the receive state, and its services.
struct Link : SessionState, ReceptionState {
    explicit Link(const LinkServices& services) : io(services) {}
    LinkServices io;
    SerialControl& comVyper() { return io.serial; }
};

}  // namespace vyper
