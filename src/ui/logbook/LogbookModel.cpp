#include "ui/logbook/LogbookModel.h"

#include <algorithm>
#include <utility>

namespace vyper {

namespace {

bool IsMeasuredColumn(int column) {
    const auto c = static_cast<LogbookColumn>(column);
    return c != LogbookColumn::Date && c != LogbookColumn::Time && c != LogbookColumn::Note;
}

// The runs of rows for which `gone` holds, as (first, last), the last run first: removed in
// this order, the rows before a run keep their numbers.
template <typename Row, typename Gone>
std::vector<std::pair<int, int>> RunsBackwards(const std::vector<Row>& rows, Gone gone) {
    std::vector<std::pair<int, int>> runs;
    for (int last = static_cast<int>(rows.size()) - 1; last >= 0; --last) {
        if (!gone(rows[static_cast<size_t>(last)])) continue;
        int first = last;
        while (first > 0 && gone(rows[static_cast<size_t>(first - 1)])) --first;
        runs.emplace_back(first, last);
        last = first;
    }
    return runs;
}

}  // namespace

int LogbookModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LogbookModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kLogbookColumnCount; }

QVariant LogbookModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kLogbookColumnCount) return {};
    const LogbookEntry& entry = Entry(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return entry.cells[index.column()];
    case kSortKeyRole:
        return entry.keys[index.column()];
    case kFileNameRole:
    case Qt::ToolTipRole:
        return entry.fileName;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (IsMeasuredColumn(index.column()) ? Qt::AlignRight : Qt::AlignLeft));
    default:
        return {};
    }
}

QVariant LogbookModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kLogbookColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return LogbookColumnTitle(static_cast<LogbookColumn>(section));
}

void LogbookModel::Put(std::vector<LogbookEntry> entries) {
    std::vector<LogbookEntry> fresh;
    QHash<QString, size_t> freshOf;
    for (LogbookEntry& entry : entries) {
        if (const auto held = rowOf_.constFind(entry.fileName); held != rowOf_.cend()) {
            rows_[static_cast<size_t>(*held)] = std::move(entry);
            emit dataChanged(index(*held, 0), index(*held, kLogbookColumnCount - 1));
        } else if (const auto twice = freshOf.constFind(entry.fileName); twice != freshOf.cend()) {
            fresh[*twice] = std::move(entry);
        } else {
            freshOf.insert(entry.fileName, fresh.size());
            fresh.push_back(std::move(entry));
        }
    }
    if (fresh.empty()) return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(fresh.size()) - 1);
    for (LogbookEntry& entry : fresh) {
        rowOf_.insert(entry.fileName, static_cast<int>(rows_.size()));
        rows_.push_back(std::move(entry));
    }
    endInsertRows();
}

void LogbookModel::Remove(const QString& fileName) {
    if (!rowOf_.contains(fileName)) return;
    RemoveWhere([&](const LogbookEntry& e) { return e.fileName == fileName; });
}

void LogbookModel::KeepOnly(const QSet<QString>& names) {
    RemoveWhere([&](const LogbookEntry& e) { return !names.contains(e.fileName); });
}

QHash<QString, QDateTime> LogbookModel::Stamps() const {
    QHash<QString, QDateTime> stamps;
    stamps.reserve(static_cast<qsizetype>(rows_.size()));
    for (const LogbookEntry& entry : rows_) stamps.insert(entry.fileName, entry.modified);
    return stamps;
}

void LogbookModel::RemoveWhere(const std::function<bool(const LogbookEntry&)>& gone) {
    const auto runs = RunsBackwards(rows_, gone);
    for (const auto& [first, last] : runs) {
        beginRemoveRows(QModelIndex(), first, last);
        rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
        endRemoveRows();
    }
    if (!runs.empty()) Reindex();
}

void LogbookModel::Reindex() {
    rowOf_.clear();
    for (size_t row = 0; row < rows_.size(); ++row) rowOf_.insert(rows_[row].fileName, static_cast<int>(row));
}

int UnreadableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int UnreadableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant UnreadableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const UnreadableEntry& entry = Entry(index.row());
    return index.column() == 0 ? entry.fileName : entry.reason;
}

QVariant UnreadableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return section == 0 ? QStringLiteral("Datei") : QStringLiteral("Grund");
}

void UnreadableModel::Put(const std::vector<UnreadableEntry>& entries) {
    for (const UnreadableEntry& entry : entries) {
        const auto at = std::lower_bound(rows_.begin(), rows_.end(), entry.fileName,
                                         [](const UnreadableEntry& e, const QString& name) { return e.fileName < name; });
        const int row = static_cast<int>(at - rows_.begin());
        if (at != rows_.end() && at->fileName == entry.fileName) {
            *at = entry;
            emit dataChanged(index(row, 0), index(row, 1));
            continue;
        }
        beginInsertRows(QModelIndex(), row, row);
        rows_.insert(at, entry);
        endInsertRows();
    }
}

void UnreadableModel::Remove(const QString& fileName) {
    const auto at = std::lower_bound(rows_.begin(), rows_.end(), fileName,
                                     [](const UnreadableEntry& e, const QString& name) { return e.fileName < name; });
    if (at == rows_.end() || at->fileName != fileName) return;
    const int row = static_cast<int>(at - rows_.begin());
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(at);
    endRemoveRows();
}

void UnreadableModel::KeepOnly(const QSet<QString>& names) {
    RemoveWhere([&](const UnreadableEntry& e) { return !names.contains(e.fileName); });
}

void UnreadableModel::RemoveWhere(const std::function<bool(const UnreadableEntry&)>& gone) {
    for (const auto& [first, last] : RunsBackwards(rows_, gone)) {
        beginRemoveRows(QModelIndex(), first, last);
        rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
        endRemoveRows();
    }
}

QHash<QString, QDateTime> UnreadableModel::Stamps() const {
    QHash<QString, QDateTime> stamps;
    for (const UnreadableEntry& entry : rows_) stamps.insert(entry.fileName, entry.modified);
    return stamps;
}

}  // namespace vyper
