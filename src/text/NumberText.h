#pragma once
#include <QString>
#include <cstdint>
#include <optional>

namespace vyper {

// The decimal number at the start of a text the user typed, 0 when there is none.
// Leading blanks and tabs are skipped; then an optional "+" or "-", digits, and an
// optional "." with further digits are read; reading stops at the first other character
// A number too long for a double reads as plus or minus infinity
// (so "12abc" is 12, "1 2" is 1, "-3.5" is -3.5, ".5" is 0.5, "Alle" and "" are 0).
double LeadingNumber(const QString& text);
// The same, but empty when the text does not begin with a number.
std::optional<double> LeadingNumberIfAny(const QString& text);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// Rounds halves to even into a 16- or 32-bit integer; throws the overflow failure
// ("Überlauf", 6) when the result does not fit.
int16_t RoundToInt16(double value);
int32_t RoundToInt32(double value);

// `value` in plain decimal digits with "0" put in front up to `width` characters;
// a longer text is never shortened (7 -> "07", 123 -> "123", -5 -> "-5").
QString ZeroPad(long long value, int width);
// The same for a text, which is taken as it is.
QString ZeroPad(const QString& text, int width);

}  // namespace vyper
