#pragma once
#include <QString>

#include "profiles/DiveRecord.h"

namespace vyper {

struct VyperComm;

// Where a dive's profile file goes: the file name alone and the full path in ProfileFolder.
struct ProfileTarget {
    QString FileName;
    QString Path;
};

// The name built from the record's header with the month names of the system's locale.
ProfileTarget ProfileTargetFor(const VyperComm& m, const DiveRecord& record);

enum class StorageOutcome { Store, Skip, Stop };

// Judges a dive against the folder and the user's choices, read now. No file of that name:
// Store. A stored dive with "Nur neue Tauchgänge laden" checked: a message, the Stop action,
// Stop. Otherwise by the overwrite option: "Nie" lists the name, shows activity, Skip;
// "Individuell" asks (Yes: Store; else activity, Skip); "Immer" or none: Store.
StorageOutcome DecideStorage(VyperComm& m, const ProfileTarget& target);

// Puts the whole profile file in place (replacing a file of that name), then lists the
// summary and the file name and, when the profile ended at its end byte, shows activity for
// the current DiveNumber. Throws a RuntimeFailure on a file problem before anything is
// listed; the folder then holds what it held before.
void StoreDive(VyperComm& m, const DiveRecord& record, const ProfileTarget& target);

}  // namespace vyper
