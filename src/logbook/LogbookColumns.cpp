#include "logbook/LogbookColumns.h"

#include <limits>

#include "logbook/DiveNotes.h"

namespace vyper {

namespace {

QString WithUnit(const std::optional<int>& value, const QString& unit) {
    return value ? QString::number(*value) + unit : QString();
}

QString SurfaceInterval(const std::optional<int>& minutes) {
    if (!minutes) return {};
    return QStringLiteral("%1 h %2 min").arg(*minutes / 60).arg(*minutes % 60, 2, 10, QLatin1Char('0'));
}

// Unknown values sort before every known one, in either direction the same way.
QVariant NumberKey(const std::optional<int>& value) {
    return value ? QVariant(static_cast<qlonglong>(*value)) : QVariant(std::numeric_limits<qlonglong>::min());
}

}  // namespace

QString LogbookColumnTitle(LogbookColumn column) {
    switch (column) {
    case LogbookColumn::Date: return QStringLiteral("Datum");
    case LogbookColumn::Time: return QStringLiteral("Uhrzeit");
    case LogbookColumn::Duration: return QStringLiteral("Tauchzeit");
    case LogbookColumn::MaxDepth: return QStringLiteral("Max. Tiefe");
    case LogbookColumn::Water: return QStringLiteral("Wasser");
    case LogbookColumn::Air: return QStringLiteral("Luft");
    case LogbookColumn::SurfaceInterval: return QStringLiteral("Oberflächenpause");
    case LogbookColumn::Interval: return QStringLiteral("Intervall");
    case LogbookColumn::Oxygen: return QStringLiteral("O2");
    case LogbookColumn::Note: return QStringLiteral("Hinweis");
    }
    return {};
}

QString LogbookNote(const StoredDive& dive) { return DiveNotes(dive).join(QStringLiteral("; ")); }

QString LogbookCell(const StoredDive& dive, LogbookColumn column) {
    switch (column) {
    case LogbookColumn::Date: return dive.start.date().toString(QStringLiteral("dd.MM.yyyy"));
    case LogbookColumn::Time: return dive.start.time().toString(QStringLiteral("HH:mm"));
    case LogbookColumn::Duration: return WithUnit(dive.durationMinutes, QStringLiteral(" min"));
    case LogbookColumn::MaxDepth: return WithUnit(dive.maxDepthMetres, QStringLiteral(" m"));
    case LogbookColumn::Water: return WithUnit(dive.waterTemperature, QStringLiteral(" °C"));
    case LogbookColumn::Air: return WithUnit(dive.airTemperature, QStringLiteral(" °C"));
    case LogbookColumn::SurfaceInterval: return SurfaceInterval(dive.surfaceIntervalMinutes);
    case LogbookColumn::Interval: return QString::number(dive.record.SampleInterval) + QStringLiteral(" s");
    case LogbookColumn::Oxygen: return WithUnit(dive.oxygenPercent, QStringLiteral(" %"));
    case LogbookColumn::Note: return LogbookNote(dive);
    }
    return {};
}

QVariant LogbookSortKey(const StoredDive& dive, LogbookColumn column) {
    switch (column) {
    case LogbookColumn::Date: return dive.start;
    case LogbookColumn::Time: return dive.start.time();
    case LogbookColumn::Duration: return NumberKey(dive.durationMinutes);
    case LogbookColumn::MaxDepth: return NumberKey(dive.maxDepthMetres);
    case LogbookColumn::Water: return NumberKey(dive.waterTemperature);
    case LogbookColumn::Air: return NumberKey(dive.airTemperature);
    case LogbookColumn::SurfaceInterval: return NumberKey(dive.surfaceIntervalMinutes);
    case LogbookColumn::Interval: return static_cast<qlonglong>(dive.record.SampleInterval);
    case LogbookColumn::Oxygen: return NumberKey(dive.oxygenPercent);
    case LogbookColumn::Note: return LogbookNote(dive);
    }
    return {};
}

}  // namespace vyper
