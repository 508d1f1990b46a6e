#include "text/NumberText.h"

#include <cmath>
#include <limits>

#include "platform/Failure.h"

namespace vyper {

double LeadingNumber(const QString& text) { return LeadingNumberIfAny(text).value_or(0.0); }

std::optional<double> LeadingNumberIfAny(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) ++i;
    QString number;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) number += text[i++];
    bool digits = false;
    while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        number += text[i++];
        digits = true;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        number += text[i++];
        while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits) return std::nullopt;
    if (number.endsWith(QLatin1Char('.'))) number.chop(1);
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (ok) return value;
    // Too many digits for a double: keep the sign so that range checks still fail.
    return number.startsWith(QLatin1Char('-')) ? -HUGE_VAL : HUGE_VAL;
}

double RoundHalfEven(double value) {
    // nearbyint rounds to nearest with ties to even in the default rounding mode.
    return std::nearbyint(value);
}

int16_t RoundToInt16(double value) {
    const double r = RoundHalfEven(value);
    if (!(r >= std::numeric_limits<int16_t>::min() && r <= std::numeric_limits<int16_t>::max())) {
        throw OverflowFailure();
    }
    return static_cast<int16_t>(r);
}

int32_t RoundToInt32(double value) {
    const double r = RoundHalfEven(value);
    if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())) {
        throw OverflowFailure();
    }
    return static_cast<int32_t>(r);
}

QString ZeroPad(long long value, int width) { return ZeroPad(QString::number(value), width); }

QString ZeroPad(const QString& text, int width) {
    if (text.size() >= width) return text;
    return QString(width - text.size(), QLatin1Char('0')) + text;
}

}  // namespace vyper
