#pragma once
#include <QString>
#include <cstdint>

namespace vyper::cli {

// The download's progress as one line, with the window's captions: dives read so far, bytes
// received, whole seconds since the start ("Tauchgänge gelesen: 2, Bytes empfangen: 391,
// 7 s"). Pure.
QString ProgressLine(int32_t dives, int32_t bytes, int64_t elapsedMs);

// The progress line redrawn in place on a terminal: back to the line's start, the text,
// then the rest of the line cleared. Pure.
QString ProgressRedraw(const QString& line);

// What clears the progress line on a terminal before another line is printed. Pure.
QString ProgressErase();

}  // namespace vyper::cli
