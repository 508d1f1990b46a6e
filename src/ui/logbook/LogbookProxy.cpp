#include "ui/logbook/LogbookProxy.h"

namespace vyper {

LogbookProxy::LogbookProxy(LogbookModel& source, QObject* parent) : QSortFilterProxyModel(parent), source_(source) {
    setSourceModel(&source);
    setSortRole(LogbookModel::kSortKeyRole);
}

void LogbookProxy::SetFilterText(const QString& text) {
    if (text == filter_) return;
    filter_ = text;
    invalidateFilter();
}

const LogbookEntry& LogbookProxy::EntryAt(int proxyRow) const {
    return source_.Entry(mapToSource(index(proxyRow, 0)).row());
}

bool LogbookProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // The keys are taken from the entries directly: sorting thousands of rows asks for
    // them some hundred thousand times.
    return LogbookEntryLess(source_.Entry(left.row()), source_.Entry(right.row()),
                            static_cast<LogbookColumn>(left.column()));
}

bool LogbookProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    return LogbookEntryMatches(source_.Entry(sourceRow), filter_);
}

}  // namespace vyper
