#pragma once
#include <QByteArray>
#include <QStringList>

#include "profiles/DiveRecord.h"

namespace vyper {

// The bytes of a profile file, in Windows-1252 with CR LF after every line.

// The column header and one line per entry: a sample as seconds, two TABs and the depth;
// a marker as "=> " and its text.
QByteArray ProfileHeadBytes(const DiveRecord& record);

// The end line and the file summary. A profile that ended at its end byte gets " Uhr "
// in the time and " °C" at the temperature at depth; one whose bytes ran out gets a blank
// and " ° C", and an O2 line when the oxygen share is above 0.
QByteArray ProfileTailBytes(const DiveRecord& record);

// The nine message-list entries of a stored dive (label, TABs, value), the same for both
// endings of the profile.
QStringList DiveSummaryLines(const DiveRecord& record);

}  // namespace vyper
