#pragma once
#include <QFontMetricsF>
#include <QString>
#include <vector>

namespace vyper {

// How the lists draw a line with TABs.
//
// The settings report and the dive summary put TABs between a label and its value, one to
// four of them, counted for the fonts of their time. Taken one TAB at a time they cannot put
// the values of the dive summary into one column with any fixed tab distance T (widths in
// average character widths of DejaVu Sans Condensed): "Aufzeichnungsintervall: " (23.8,
// one TAB) and "Temperatur auf maximaler Tiefe: " (32.9, one TAB) must have no stop between
// their ends, so T > 9.1; "Datum: " (8.0, four TABs) and "O2-Anteil: " (10.4, three TABs)
// need one, so the first stop is T itself and T <= 10.4; "Lufttemperatur vor TG: " (23.4,
// two TABs) and "Aufzeichnungsintervall: " need one between 23.4 and 23.8, but 2T <= 20.9
// and 3T > 27.3. (The settings report alone lines up only for T from 9.13 to 9.67, never
// with more than two pixels to spare.)
//
// So a run of TABs moves the text on to the next tab stop, however many TABs it has, and
// the stops stand kListTabStopChars average character widths of the list's font apart.
// For one column the stop must lie beyond every label of both blocks. The widest is
// "Temperatur auf maximaler Tiefe: " (32.9 average widths; the widest settings label,
// "Rechnermodus Dekompression: ", is 31.8): 33 would leave half a pixel after it, 34 leaves
// about one character, so 34 is the smallest distance that puts every value of the settings
// report and of the dive summary at the first stop, in one column.
inline constexpr int kListTabStopChars = 34;

// The distance of the tab stops for a list drawn with `metrics`.
qreal ListTabDistance(const QFontMetricsF& metrics);

struct TabbedPiece {
    QString text;  // a part of the line without TABs
    qreal x;       // where it starts, from the line's start
};

// The pieces of `line` between its runs of TABs with their places: the first at 0, each
// after a run of TABs at the first multiple of `tabDistance` beyond the end of the text
// before it. Empty pieces (a line ending in TABs) are left out.
std::vector<TabbedPiece> TabbedPieces(const QString& line, const QFontMetricsF& metrics, qreal tabDistance);

// How wide `line` is when drawn so.
qreal TabbedWidth(const QString& line, const QFontMetricsF& metrics, qreal tabDistance);

}  // namespace vyper
