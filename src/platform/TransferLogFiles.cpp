#include "platform/TransferLogFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>

#include "platform/AppInfo.h"

namespace vyper {

QString TransferLogFolder(const QString& xdgStateHome, const QString& home) {
    const QString app = QStringLiteral("Vyper-Grundelnetz");
    // A relative $XDG_STATE_HOME is invalid and must be ignored.
    if (!xdgStateHome.isEmpty() && QDir::isAbsolutePath(xdgStateHome)) return JoinPath(xdgStateHome, app);
    if (home.isEmpty()) return QString();
    return JoinPath(JoinPath(home, QStringLiteral(".local/state")), app);
}

QString TransferLogName(const QDateTime& start, int attempt) {
    const QString stamp = start.toString(QStringLiteral("yyyy-MM-dd'T'HH-mm-ss"));
    const QString suffix = attempt > 1 ? QStringLiteral("_%1").arg(attempt) : QString();
    return QStringLiteral("transfer-") + stamp + suffix + QStringLiteral(".log");
}

bool IsTransferLogName(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^transfer-\\d{4}-\\d\\d-\\d\\dT\\d\\d-\\d\\d-\\d\\d(_[1-9]\\d*)?\\.log$"));
    return pattern.match(name).hasMatch();
}

QStringList TransferLogsToDelete(const QStringList& names, int keep) {
    QStringList logs;
    for (const QString& name : names) {
        if (IsTransferLogName(name)) logs << name;
    }
    // The stamp sorts by time; within a second "…04.log" comes before "…04_2.log", and
    // "_10" after "_9".
    std::sort(logs.begin(), logs.end(), [](const QString& a, const QString& b) {
        const QString stampA = a.left(28);
        const QString stampB = b.left(28);
        if (stampA != stampB) return stampA < stampB;
        if (a.size() != b.size()) return a.size() < b.size();
        return a < b;
    });
    const qsizetype excess = logs.size() - std::max(keep - 1, 0);
    return excess > 0 ? logs.mid(0, excess) : QStringList{};
}

}  // namespace vyper
