#pragma once
#include <QSortFilterProxyModel>

#include "ui/logbook/LogbookModel.h"

namespace vyper {

// The logbook as the table shows it: sorted by the column's sort key (ties by file name)
// and filtered by a text that any cell of a row must contain.
class LogbookProxy : public QSortFilterProxyModel {
public:
    // `source` must outlive the proxy.
    explicit LogbookProxy(LogbookModel& source, QObject* parent = nullptr);

    // Shows only the rows with a cell that contains `text` (case ignored); "" shows all.
    void SetFilterText(const QString& text);
    const QString& FilterText() const { return filter_; }
    bool Filtered() const { return !filter_.trimmed().isEmpty(); }
    // The entry shown in row `proxyRow`.
    const LogbookEntry& EntryAt(int proxyRow) const;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    LogbookModel& source_;
    QString filter_;
};

}  // namespace vyper
