#include "profiles/NumericValue.h"

#include <cmath>

namespace vyper {

namespace {

bool IsIgnored(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n'); }
bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool IsSign(QChar c) { return c == QLatin1Char('+') || c == QLatin1Char('-'); }

// Appends the digits at `i` to `out`; returns how many there were.
int TakeDigits(const QString& text, qsizetype& i, QString& out) {
    int count = 0;
    while (i < text.size() && IsDigit(text[i])) {
        out += text[i++];
        ++count;
    }
    return count;
}

}  // namespace

double NumericValue(const QString& text) {
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text) {
        if (!IsIgnored(c)) compact += c;
    }

    qsizetype i = 0;
    QString mantissa;
    if (i < compact.size() && IsSign(compact[i])) mantissa += compact[i++];
    int digits = TakeDigits(compact, i, mantissa);
    if (i < compact.size() && compact[i] == QLatin1Char('.')) {
        mantissa += compact[i++];
        digits += TakeDigits(compact, i, mantissa);
    }
    if (digits == 0) return 0.0;
    if (mantissa.endsWith(QLatin1Char('.'))) mantissa.chop(1);  // "5." is 5

    // The exponent counts only when digits follow its letter (and sign): "12e" is 12.
    QString exponent;
    if (i < compact.size() && (compact[i] == QLatin1Char('e') || compact[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        QString candidate;
        if (j < compact.size() && IsSign(compact[j])) candidate += compact[j++];
        if (TakeDigits(compact, j, candidate) > 0) exponent = candidate;
    }

    bool ok = false;
    const double m = mantissa.toDouble(&ok);
    if (!ok && !std::isinf(m)) {
        // Only a mantissa with more digits than a double holds fails here.
        return mantissa.startsWith(QLatin1Char('-')) ? -HUGE_VAL : HUGE_VAL;
    }
    if (exponent.isEmpty() || m == 0.0) return m;

    const double value = (mantissa + QLatin1Char('e') + exponent).toDouble(&ok);
    if (ok) return value;
    // Out of a double's range: a negative exponent made it vanish, a positive one overflowed.
    if (exponent.startsWith(QLatin1Char('-'))) return 0.0;
    return m < 0 ? -HUGE_VAL : HUGE_VAL;
}

}  // namespace vyper
