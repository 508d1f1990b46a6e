#include "profiles/ProfileReader.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

#include "platform/AppInfo.h"
#include "profiles/NumericValue.h"
#include "profiles/ProfileReadFailures.h"
#include "text/NumberText.h"
#include "text/Windows1252.h"

namespace vyper {

QStringList SplitProfileLines(const QByteArray& bytes) {
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines << FromWindows1252(bytes.mid(start, i - start));
        i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < bytes.size()) lines << FromWindows1252(bytes.mid(start));
    return lines;
}

qsizetype ProfileSeparator(const QString& line) {
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    return tab >= 0 ? tab : line.indexOf(QLatin1Char(' '));
}

void ReadProfileLine(DiveProfile& profile, const QString& line) {
    if (profile.sampleCount >= kProfileTableSize) throw ProfileTablesFull();
    const qsizetype separator = ProfileSeparator(line);
    if (separator < 0) return;

    // Header, marker, end and summary lines begin with a letter, "=" or "#" and read as 0.
    const int16_t time = RoundToInt16(NumericValue(line.left(separator + 1)));
    if (time < 1) return;
    const int16_t depth = RoundToInt16(std::fabs(NumericValue(line.mid(separator + 1))));

    profile.time[profile.sampleCount] = time;
    profile.lastTime = time;
    profile.depth[profile.sampleCount] = depth;
    if (depth > profile.maxDepth) profile.maxDepth = depth;
    ++profile.sampleCount;
}

DiveProfile ReadProfileText(const QByteArray& bytes) {
    DiveProfile profile;
    for (const QString& line : SplitProfileLines(bytes)) ReadProfileLine(profile, line);
    return profile;
}

DiveProfile ReadProfileFile(const QString& path) {
    QFile file(path);
    if (!QFileInfo::exists(path)) throw ProfileFileMissing();
    if (!file.open(QIODevice::ReadOnly)) throw ProfileFileUnreadable();
    const QByteArray bytes = file.readAll();
    const bool readFailed = file.error() != QFileDevice::NoError;
    file.close();
    if (readFailed) throw ProfileFileUnreadable();
    return ReadProfileText(bytes);
}

QString ProfilePath(const QString& programFolder, const QString& fileName) {
    return JoinPath(JoinPath(programFolder, QStringLiteral("Tauchprofile")), fileName);
}

}  // namespace vyper
