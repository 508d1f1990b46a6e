#pragma once
#include "platform/Failure.h"

namespace vyper {

// The failures the viewer meets while it reads and plots a profile, worded for the user.
RuntimeFailure ProfileFileMissing();     // "Datei nicht gefunden" (53)
RuntimeFailure ProfileFileUnreadable();  // "Datei kann nicht gelesen werden" (75)
RuntimeFailure ProfileTablesFull();      // more samples than the tables hold (9)
RuntimeFailure DivisionByZero();         // "Division durch Null" (11)

}  // namespace vyper
