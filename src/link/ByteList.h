#pragma once
#include <QString>
#include <cstdint>

namespace vyper {

// Field `n` (counted from 1) of a text whose fields are separated by blanks or tabs, or ""
// when there is no such field. Fields are found by the walk the command texts were always
// split with, so the odd cases keep their old answers: a leading separator makes field 1
// "", two separators in a row hold an empty field, and a trailing separator empties the
// field it closes ("08 165 " gives "" for field 2). n <= 0 gives "". A result never
// contains a separator. Pure.
QString ParseByteList(const QString& text, int32_t n);

// The byte value of one field of a command text: its leading decimal number (blanks,
// sign and decimal point as read for numbers the user types; trailing characters are
// ignored, so "12x" is 12), rounded halves to even. Throws RuntimeFailure "Typen
// unverträglich" (13) when the field does not begin with a number and the overflow
// failure "Überlauf" (6) when the rounded value lies outside 0..255.
uint8_t ByteFromField(const QString& field);

}  // namespace vyper
