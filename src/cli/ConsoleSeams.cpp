#include "cli/ConsoleSeams.h"

namespace vyper::cli {

void CountersKept::ShowBytes(int32_t total) {
    bytes = total;
    if (onChange) onChange(false);
}

void CountersKept::ShowDives(int32_t number) {
    const bool changed = number != dives;
    dives = number;
    if (onChange) onChange(changed);
}

int PrintedBoxes::Show(const QString& text, int styleValue, const QString&) {
    texts << text;
    if (onText_) onText_(text);
    // The buttons are the style's lowest three bits.
    return (styleValue & 7) == style::YesNo ? answer::No : answer::Ok;
}

}  // namespace vyper::cli
