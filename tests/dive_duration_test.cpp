#include <gtest/gtest.h>

#include <QRegularExpression>

#include "text/Windows1252.h"
#include "profiles/ProfileDecoding.h"
#include "profiles/ProfileText.h"
#include "support/DiveBytes.h"
#include "ui/viewer/ProfilePlot.h"
#include "ui/viewer/ProfileReader.h"

using namespace vyper;

namespace {

// The number that `pattern` captures in `text`, -1 when it does not match.
int Captured(const QString& text, const QString& pattern) {
    const QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

}  // namespace

// One dive, decoded from the dive computer's bytes: the file's "Dauer:" line, the dive
// summary in the message list and the viewer's "Tauchzeit:" (read back from the file) give
// the same minutes, a begun minute counted as a whole one.
TEST(DiveDuration, FileSummaryAndViewerGiveTheSameMinutes) {
    const struct {
        int samples, interval, minutes;
    } cases[] = {
        {1, 20, 1},     // 20 s
        {3, 20, 1},     // 60 s, one minute exactly
        {4, 20, 2},     // 80 s
        {91, 30, 46},   // 2730 s, 45.5 minutes
        {120, 30, 60},  // 3600 s
        {121, 30, 61},  // 3630 s
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.samples * c.interval);
        vyper::testing::DiveHeaderBytes header;
        header.interval = c.interval;
        std::vector<int> profile(static_cast<size_t>(c.samples), 0);
        profile.front() = 33;  // ten metres down, then level
        const DiveRecord record = DecodeDive(vyper::testing::DiveAnswer(header, profile));
        const QByteArray file = ProfileHeadBytes(record) + ProfileTailBytes(record);

        const QString fileText = FromWindows1252(file);
        EXPECT_EQ(Captured(fileText, QStringLiteral("\r\nDauer: (\\d+) min\\.\r\n")), c.minutes);
        EXPECT_EQ(Captured(DiveSummaryLines(record).join(QLatin1Char('\n')), QStringLiteral("Dauer: \t+(\\d+) min\\.")),
                  c.minutes);
        EXPECT_EQ(Captured(InfoCaption(ReadProfileText(file)), QStringLiteral("Tauchzeit: (\\d+)min\\.")), c.minutes);
    }
}
