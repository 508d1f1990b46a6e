#include "link/ByteList.h"

#include <optional>

#include "platform/Failure.h"
#include "text/NumberText.h"

namespace vyper {

namespace {

constexpr int kTypeMismatch = 13;

bool IsSeparator(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

}  // namespace

QString ParseByteList(const QString& text, int32_t n) {
    // Positions are counted from 1 as in the walk's description; text[i - 1] is position i.
    const qsizetype length = text.size();
    qsizetype end = 0;  // E: the position that closed field n
    int32_t closed = 0;
    for (qsizetype i = 1; i <= length; ++i) {
        if (IsSeparator(text[i - 1]) || i == length) {
            ++closed;
            if (closed == n) {
                end = i;
                break;
            }
        }
    }
    if (end == 0) return QString();  // also for n <= 0: no field has such a number
    if (end == length) end = length + 1;  // the last field runs to the end of the text

    qsizetype start = 0;  // S
    for (qsizetype j = end - 1; j >= 1; --j) {
        if (IsSeparator(text[j - 1]) || j == 1) {
            start = j;
            break;
        }
    }
    if (start == 0) return QString();
    // Field 1 starts at S itself unless S is a separator; every other field after S.
    // (Taking S for field 1 even when it is a separator would turn "08 " into " ".)
    const qsizetype first = (n == 1 && !IsSeparator(text[start - 1])) ? start : start + 1;
    const qsizetype last = end - 1;
    if (last < first) return QString();
    return text.mid(first - 1, last - first + 1);
}

uint8_t ByteFromField(const QString& field) {
    const std::optional<double> number = LeadingNumberIfAny(field);
    if (!number) throw RuntimeFailure(kTypeMismatch, QStringLiteral("Typen unverträglich"));
    const double value = RoundHalfEven(*number);
    if (!(value >= 0 && value <= 255)) throw OverflowFailure();
    return static_cast<uint8_t>(value);
}

}  // namespace vyper
