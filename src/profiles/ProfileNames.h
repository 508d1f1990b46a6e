#pragma once
#include <QLocale>
#include <QString>

#include "profiles/DiveRecord.h"

namespace vyper {

// The month part of a profile file name: the full month name of `locale` for months 1..12;
// any other month byte is written as its two-digit number (so "13" or "00"), which keeps
// such a dive apart from every genuine date. Characters that could reach another folder
// or that file systems reject (path separators, ":", "*", "?", quotes, "<", ">", "|",
// control characters) become "_".
QString MonthNamePart(int month, const QLocale& locale);

// "Tauchgang yyyy-<month>-dd hh Uhr mm": the calendar year, the month part, the day, hour
// and minute in two digits. Day, hour and minute are written as stored, also when the
// month lacks that day (31 April stays "31"). Every part but the month name is made of
// digits, so the stem never holds a path separator and never is "." or "..".
QString ProfileFileStem(const DiveRecord& record, const QLocale& locale);

// The stem with ".txt".
QString ProfileFileName(const DiveRecord& record, const QLocale& locale);

// Characters of `text` that must not appear in a file name replaced by "_".
QString SafeFileNamePart(const QString& text);

}  // namespace vyper
