#include "ui/toolkit/TabbedText.h"

#include <cmath>

namespace vyper {

qreal ListTabDistance(const QFontMetricsF& metrics) { return kListTabStopChars * metrics.averageCharWidth(); }

std::vector<TabbedPiece> TabbedPieces(const QString& line, const QFontMetricsF& metrics, qreal tabDistance) {
    std::vector<TabbedPiece> pieces;
    qreal x = 0;
    qsizetype i = 0;
    while (i < line.size()) {
        if (line[i] == QLatin1Char('\t')) {
            while (i < line.size() && line[i] == QLatin1Char('\t')) ++i;
            if (tabDistance > 0) x = (std::floor(x / tabDistance) + 1) * tabDistance;
            continue;
        }
        const qsizetype end = line.indexOf(QLatin1Char('\t'), i);
        const QString text = line.mid(i, end < 0 ? -1 : end - i);
        pieces.push_back({text, x});
        x += metrics.horizontalAdvance(text);
        i += text.size();
    }
    return pieces;
}

qreal TabbedWidth(const QString& line, const QFontMetricsF& metrics, qreal tabDistance) {
    const std::vector<TabbedPiece> pieces = TabbedPieces(line, metrics, tabDistance);
    if (pieces.empty()) return 0;
    return pieces.back().x + metrics.horizontalAdvance(pieces.back().text);
}

}  // namespace vyper
