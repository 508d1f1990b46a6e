#include "profiles/ProfileNames.h"


#include "text/NumberText.h"

namespace vyper {

QString SafeFileNamePart(const QString& text) {
    static const QString kRejected = QStringLiteral("/\\:*?\"<>|");
    QString out;
    out.reserve(text.size());
    for (QChar ch : text) out += (ch.unicode() < 0x20 || ch.unicode() == 0x7F || kRejected.contains(ch)) ? QChar(u'_') : ch;
    return out;
}

QString MonthNamePart(int month, const QLocale& locale) {
    if (month >= 1 && month <= 12) {
        const QString name = locale.monthName(month, QLocale::LongFormat);
        if (!name.isEmpty()) return SafeFileNamePart(name);
    }
    return ZeroPad(month, 2);
}

QString ProfileFileStem(const DiveRecord& r, const QLocale& locale) {
    return QStringLiteral("Tauchgang ") + ZeroPad(CalendarYear(r.DiveYear), 4) + QLatin1Char('-') +
           MonthNamePart(r.DiveMonth, locale) + QLatin1Char('-') + ZeroPad(r.DiveDay, 2) + QLatin1Char(' ') +
           ZeroPad(r.DiveHour, 2) + QStringLiteral(" Uhr ") + ZeroPad(r.DiveMinute, 2);
}

QString ProfileFileName(const DiveRecord& record, const QLocale& locale) {
    return ProfileFileStem(record, locale) + QStringLiteral(".txt");
}

}  // namespace vyper
