#pragma once
#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <functional>
#include <vector>

#include "logbook/LogbookEntry.h"

namespace vyper {

// The dives of the logbook as a table model, one row per dive in the order they arrived,
// keyed by file name. Display role: the cell text; kSortKeyRole: the sort key;
// kFileNameRole and the tooltip: the file name.
class LogbookModel : public QAbstractTableModel {
public:
    static constexpr int kSortKeyRole = Qt::UserRole + 1;
    static constexpr int kFileNameRole = Qt::UserRole + 2;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Adds the entries whose names are new in one insertion at the end and replaces those
    // already held (a rewritten file) in place.
    void Put(std::vector<LogbookEntry> entries);
    // Removes the entry of that name, if held.
    void Remove(const QString& fileName);
    // Removes every entry whose name is not in `names`.
    void KeepOnly(const QSet<QString>& names);

    const LogbookEntry& Entry(int row) const { return rows_[static_cast<size_t>(row)]; }
    // The file names held, with their modification times.
    QHash<QString, QDateTime> Stamps() const;

private:
    void RemoveWhere(const std::function<bool(const LogbookEntry&)>& gone);
    void Reindex();

    std::vector<LogbookEntry> rows_;
    QHash<QString, int> rowOf_;
};

// The files that are no dive: columns "Datei" and "Grund", keyed by file name, kept
// sorted by name.
class UnreadableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Adds the entries or replaces those of the same name.
    void Put(const std::vector<UnreadableEntry>& entries);
    void Remove(const QString& fileName);
    void KeepOnly(const QSet<QString>& names);

    const UnreadableEntry& Entry(int row) const { return rows_[static_cast<size_t>(row)]; }
    QHash<QString, QDateTime> Stamps() const;

private:
    void RemoveWhere(const std::function<bool(const UnreadableEntry&)>& gone);

    std::vector<UnreadableEntry> rows_;  // sorted by file name
};

}  // namespace vyper
