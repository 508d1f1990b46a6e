#pragma once
#include "profiles/DiveRecord.h"
#include "profiles/ProfileStorage.h"

namespace vyper {

struct VyperComm;

enum class StorageOutcome { Store, Skip, Stop };

// Acts on the storage decision for a dive, with the file's existence and the user's choices
// read now: Store goes on; a stored dive with "Nur neue Tauchgänge laden" gets a message and
// stops the transfer (cmdStop_Click): Stop; "Nie" lists the name, shows activity: Skip;
// "Individuell" asks (Yes: Store; else activity, Skip).
StorageOutcome ApplyStorageDecision(VyperComm& m, const ProfileTarget& target);

// Stores the dive whole and lists it (StoreDive), the file written through
// Waits::RunAside, then, when the profile ended at its end byte and the transfer was neither
// stopped nor started anew meanwhile, shows activity for the current DiveNumber. Throws as StoreDive does, and
// the overflow failure for a DiveNumber outside 16 bits.
void StoreDiveShown(VyperComm& m, const DiveRecord& record, const ProfileTarget& target);

}  // namespace vyper
