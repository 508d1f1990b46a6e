#include "cli/ProgressLine.h"

namespace vyper::cli {

QString ProgressLine(int32_t dives, int32_t bytes, int64_t elapsedMs) {
    const int64_t seconds = elapsedMs > 0 ? elapsedMs / 1000 : 0;
    return QStringLiteral("Tauchgänge gelesen: %1, Bytes empfangen: %2, %3 s").arg(dives).arg(bytes).arg(seconds);
}

QString ProgressRedraw(const QString& line) { return QStringLiteral("\r") + line + QStringLiteral("\x1b[K"); }

QString ProgressErase() { return QStringLiteral("\r\x1b[K"); }

}  // namespace vyper::cli
