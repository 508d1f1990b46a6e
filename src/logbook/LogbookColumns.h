#pragma once
#include <QString>
#include <QVariant>

#include "profiles/StoredDive.h"

namespace vyper {

// The columns of the logbook, left to right; the CSV export writes the same ones.
enum class LogbookColumn { Date, Time, Duration, MaxDepth, Water, Air, SurfaceInterval, Interval, Oxygen, Note };
inline constexpr int kLogbookColumnCount = 10;

// The column's title as the table shows it: "Datum", "Uhrzeit", "Tauchzeit", "Max. Tiefe",
// "Wasser", "Luft", "Oberflächenpause", "Intervall", "O2", "Hinweis".
QString LogbookColumnTitle(LogbookColumn column);

// What the table shows of a dive in a column, units included ("17.08.2024", "10:42",
// "6 min", "17 m", "19 °C", "2 h 15 min", "20 s", "32 %"); "" where the value is unknown.
// The note names a profile without end marker ("Profil ohne Endmarke") and every doubt.
QString LogbookCell(const StoredDive& dive, LogbookColumn column);

// The note alone: "Profil ohne Endmarke" and the doubts, joined by "; ".
QString LogbookNote(const StoredDive& dive);

// The value by which the column sorts: the start for date and time, the number for the
// measured columns (unknown values sort before every known one), the text for the note.
QVariant LogbookSortKey(const StoredDive& dive, LogbookColumn column);

}  // namespace vyper
