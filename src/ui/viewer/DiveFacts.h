#pragma once
#include <QString>

#include "profiles/StoredDive.h"

namespace vyper {

// The facts line under the plot: the values of the dive that a diver can trust, joined by
// " · ", in the logbook's wording: "17.08.2024 10:42 · 6 min · 17 m · Wasser 19 °C ·
// Luft 26 °C · Oberfläche 2 h 15 min · Intervall 20 s", then "O2 32 %" where the file states
// it and "Profil ohne Endmarke" where the profile ended without its end marker. A value that
// is unknown or doubted is left out, never guessed.
QString DiveFactsText(const StoredDive& dive);

// The facts line of a file read by the strict reader: its facts, or "Angaben nicht lesbar"
// for a file that the reader refuses (the viewer may still plot it).
QString DiveFactsLine(const StoredDiveResult& result);

}  // namespace vyper
