#pragma once
#include <QChar>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "transfer/VyperComm.h"

namespace vyper {

// Shown in the user text for a byte that the message list cannot display (control codes,
// code 0 among them, and the bytes the 8-bit character set leaves undefined).
inline constexpr QChar kUndisplayablePlaceholder = QChar(0x25A1);  // "□"

// A depth stored in 1/128 foot as whole metres, truncated (2560 gives 6, 419 gives 0).
int DepthMetresFrom128thFeet(int value);

// The report lines of settings block `block` (0..3) from a memory-read reply as it lies in
// the receive buffer (the memory bytes from index 4 on). Block 3's lines end before the
// activity line and "OK."; a block outside 0..3 gives no lines.
QStringList SettingsReportLines(int block, const std::array<int32_t, kBufferSize>& rx);

// The line for block 0..3 that had no good reply, and the closing line of a read that
// missed `missing` blocks.
QString UnreadBlockLine(int block);
QString IncompleteReadLine(int missing);

// Appends the report lines of block k (SettingsStep) from the kept good reply to the message
// list, or UnreadBlockLine when there was none (counted in SettingsBlocksMissing); block 3
// adds the activity line for 1 and "OK." (IncompleteReadLine when a block is missing) and
// closes the port. Nothing for k outside 0..3.
void ReportSettingsBlock(VyperComm& m, int16_t k);

// The 20 characters of the user text from the reply bytes 16..35, one per byte.
QString UserTextFromBytes(const std::array<int32_t, kBufferSize>& rx);

}  // namespace vyper
