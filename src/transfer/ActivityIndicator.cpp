#include "transfer/ActivityIndicator.h"

#include <cmath>
#include <limits>

#include "platform/Failure.h"
#include "platform/MessageSink.h"
#include "text/NumberText.h"

namespace vyper {

namespace {
const QString kFishRight = QStringLiteral(" >{{{°> ");
const QString kFishLeft = QStringLiteral(" <°}}}< ");
}  // namespace

QString ActivityLine(int16_t n) {
    const int threeN = 3 * static_cast<int>(n);
    if (threeN < std::numeric_limits<int16_t>::min() || threeN > std::numeric_limits<int16_t>::max()) {
        throw OverflowFailure();
    }
    const double theta = threeN / 36.0;
    const double nextTheta = (threeN + 3) / 36.0;
    const int left = static_cast<int>(RoundHalfEven(std::fabs(36.0 * std::sin(theta))));
    const int right = static_cast<int>(RoundHalfEven(std::fabs(36.0 * std::cos(theta))));
    const bool headingRight = std::fabs(36.0 * std::sin(nextTheta)) - std::fabs(36.0 * std::sin(theta)) >= 0.0;
    return QString(left, QLatin1Char('~')) + (headingRight ? kFishRight : kFishLeft) +
           QString(right, QLatin1Char('~'));
}

void ShowActivity(MessageSink& messages, int16_t n) {
    messages.AddLineShown(ActivityLine(n));
}

}  // namespace vyper
