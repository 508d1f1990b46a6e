#pragma once
#include <QString>

namespace vyper {

// The number a profile file's text stands for. Blanks, tabs and line feeds anywhere in
// the text are ignored; then an optional "+" or "-", digits, an optional "." with further
// digits and an optional exponent ("e" or "E", optional sign, digits) are read, and reading
// stops at the first other character. A text with no number at its start reads as 0
// ("1 2" is 12, " - 12" is -12, "2.5e2x" is 250, "=> SLOW" is 0). A number too large for
// a double reads as plus or minus infinity, so that a later range check fails.
double NumericValue(const QString& text);

}  // namespace vyper
