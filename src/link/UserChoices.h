#pragma once
#include <QString>
#include <cstdint>

namespace vyper {

inline const QString kInterfaceSelfBuilt = QStringLiteral("Selbstbau (mit Echo)");
inline const QString kInterfaceOriginal = QStringLiteral("Original Suunto (ohne Echo)");

// 2 for exactly "Selbstbau (mit Echo)", otherwise 1 (the original interface).
int16_t InterfaceTypeFromText(const QString& text);
// The leading number of the port text, rounded halves to even; 2 when outside 1..4
// (also for texts without a number and for numbers too large for any integer).
int32_t PortNumberFromText(const QString& text);
// The leading number of the delay text, rounded halves to even; 350 when outside 0..2000
// or when the text does not begin with a number (an empty delay means the default, not 0).
int32_t CommandDelayFromText(const QString& text);

}  // namespace vyper
