#include "logbook/LogbookEntry.h"

#include <algorithm>

namespace vyper {

LogbookEntry MakeLogbookEntry(const QString& fileName, const QDateTime& modified, const StoredDive& dive) {
    LogbookEntry entry{fileName, modified, {}, {}};
    for (int c = 0; c < kLogbookColumnCount; ++c) {
        const auto column = static_cast<LogbookColumn>(c);
        entry.cells[c] = LogbookCell(dive, column);
        entry.keys[c] = LogbookSortKey(dive, column);
    }
    return entry;
}

int CompareLogbookKeys(const QVariant& left, const QVariant& right) {
    const bool leftKnown = left.isValid() && !left.isNull(), rightKnown = right.isValid() && !right.isNull();
    if (!leftKnown || !rightKnown) return int(leftKnown) - int(rightKnown);
    if (left.typeId() == QMetaType::QString && right.typeId() == QMetaType::QString) {
        return QString::compare(left.toString(), right.toString(), Qt::CaseInsensitive);
    }
    const QPartialOrdering order = QVariant::compare(left, right);
    if (order == QPartialOrdering::Less) return -1;
    if (order == QPartialOrdering::Greater) return 1;
    if (order == QPartialOrdering::Equivalent) return 0;
    // Keys of types that do not compare: keep them apart by type, never undecided.
    return left.typeId() - right.typeId();
}

bool LogbookEntryLess(const LogbookEntry& left, const LogbookEntry& right, LogbookColumn column) {
    const int c = static_cast<int>(column);
    const int order = CompareLogbookKeys(left.keys[c], right.keys[c]);
    return order != 0 ? order < 0 : left.fileName < right.fileName;
}

QStringList ChronologicalFileNames(std::vector<const LogbookEntry*> entries) {
    std::sort(entries.begin(), entries.end(), [](const LogbookEntry* left, const LogbookEntry* right) {
        return LogbookEntryLess(*left, *right, LogbookColumn::Date);
    });
    QStringList names;
    names.reserve(static_cast<qsizetype>(entries.size()));
    for (const LogbookEntry* entry : entries) names << entry->fileName;
    return names;
}

bool LogbookEntryMatches(const LogbookEntry& entry, QStringView filter) {
    const QStringView wanted = filter.trimmed();
    if (wanted.isEmpty()) return true;
    for (const QString& cell : entry.cells) {
        if (cell.contains(wanted, Qt::CaseInsensitive)) return true;
    }
    return false;
}

QString LogbookStatusText(int shown, int total, bool filtered, bool loading) {
    // "von" asks for the dative: "2 von 5 Tauchgängen", but "1 von 1 Tauchgang".
    QString text = !filtered   ? QStringLiteral("%1 %2").arg(total).arg(total == 1 ? QStringLiteral("Tauchgang")
                                                                                 : QStringLiteral("Tauchgänge"))
                   : total == 1 ? QStringLiteral("%1 von 1 Tauchgang").arg(shown)
                                : QStringLiteral("%1 von %2 Tauchgängen").arg(shown).arg(total);
    if (loading) text += QStringLiteral(", Ordner wird gelesen …");
    return text;
}

}  // namespace vyper
