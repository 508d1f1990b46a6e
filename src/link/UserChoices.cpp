#include "link/UserChoices.h"

#include "text/NumberText.h"

namespace vyper {

namespace {
// The rounded leading number when it lies in [low, high], else `fallback`. Compared before
// any integer conversion, so an enormous number falls back instead of overflowing.
// A text without a number falls back too.
int32_t RoundedInRange(const QString& text, int32_t low, int32_t high, int32_t fallback) {
    const std::optional<double> number = LeadingNumberIfAny(text);
    if (!number) return fallback;
    const double value = RoundHalfEven(*number);
    if (!(value >= low && value <= high)) return fallback;
    return static_cast<int32_t>(value);
}
}  // namespace

int16_t InterfaceTypeFromText(const QString& text) { return text == kInterfaceSelfBuilt ? 2 : 1; }

int32_t PortNumberFromText(const QString& text) { return RoundedInRange(text, 1, 4, 2); }

int32_t CommandDelayFromText(const QString& text) { return RoundedInRange(text, 0, 2000, 350); }

}  // namespace vyper
