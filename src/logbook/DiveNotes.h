#pragma once
#include <QStringList>

#include "profiles/StoredDive.h"

namespace vyper {

// What an export notes about a dive, one German sentence each: "Profil ohne Endmarke" when
// the profile was not closed by a marker, then every value of the file set aside as impossible.
QStringList DiveNotes(const StoredDive& dive);

}  // namespace vyper
