#include "ui/viewer/DiveFacts.h"

#include <QStringList>

#include "logbook/LogbookColumns.h"

namespace vyper {

QString DiveFactsText(const StoredDive& dive) {
    QStringList parts;
    const auto add = [&](const QString& label, LogbookColumn column) {
        // The logbook's cell is empty where the value is unknown or doubted.
        const QString cell = LogbookCell(dive, column);
        if (!cell.isEmpty()) parts << label + cell;
    };
    parts << LogbookCell(dive, LogbookColumn::Date) + QLatin1Char(' ') + LogbookCell(dive, LogbookColumn::Time);
    add({}, LogbookColumn::Duration);
    add({}, LogbookColumn::MaxDepth);
    add(QStringLiteral("Wasser "), LogbookColumn::Water);
    add(QStringLiteral("Luft "), LogbookColumn::Air);
    add(QStringLiteral("Oberfläche "), LogbookColumn::SurfaceInterval);
    add(QStringLiteral("Intervall "), LogbookColumn::Interval);
    add(QStringLiteral("O2 "), LogbookColumn::Oxygen);
    if (!dive.record.EndedByMarker) parts << QStringLiteral("Profil ohne Endmarke");
    return parts.join(QStringLiteral(" · "));
}

QString DiveFactsLine(const StoredDiveResult& result) {
    if (const auto* dive = std::get_if<StoredDive>(&result)) return DiveFactsText(*dive);
    return QStringLiteral("Angaben nicht lesbar");
}

}  // namespace vyper
