#include "ui/viewer/DiveSequence.h"

#include <QDateTime>
#include <algorithm>

namespace vyper {

namespace {

QDateTime When(const LogbookRow& row) {
    if (const auto* dive = std::get_if<StoredDive>(&row.result)) return dive->start;
    return row.modified;
}

}  // namespace

QStringList DiveDateOrder(const std::vector<LogbookRow>& rows) {
    struct Dated {
        QDateTime when;
        QString name;
    };
    std::vector<Dated> dated;
    dated.reserve(rows.size());
    for (const LogbookRow& row : rows) dated.push_back({When(row), row.fileName});
    // An unknown time (a file that vanished while read) sorts first, as the logbook sorts it.
    std::sort(dated.begin(), dated.end(), [](const Dated& a, const Dated& b) {
        if (a.when != b.when) return !a.when.isValid() || (b.when.isValid() && a.when < b.when);
        return a.name < b.name;
    });
    QStringList order;
    order.reserve(static_cast<qsizetype>(dated.size()));
    for (const Dated& d : dated) order << d.name;
    return order;
}

QStringList ReadDiveDateOrder(const QString& folder, const std::function<bool()>& stopped) {
    std::vector<LogbookRow> rows;
    for (const QString& name : LogbookCandidates(folder)) {
        if (stopped && stopped()) break;
        rows.push_back(ReadLogbookRow(folder, name));
    }
    return DiveDateOrder(rows);
}

std::optional<QString> NeighbourInOrder(const QStringList& order, const QString& current, int step) {
    const qsizetype at = order.indexOf(current);
    if (at < 0) return std::nullopt;
    const qsizetype next = at + step;
    if (next < 0 || next >= order.size()) return std::nullopt;
    return order[next];
}

}  // namespace vyper
