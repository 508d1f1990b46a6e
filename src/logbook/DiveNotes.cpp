#include "logbook/DiveNotes.h"

namespace vyper {

QStringList DiveNotes(const StoredDive& dive) {
    QStringList notes;
    if (!dive.record.EndedByMarker) notes << QStringLiteral("Profil ohne Endmarke");
    notes << dive.doubts;
    return notes;
}

}  // namespace vyper
