// The CSV document of stored dives, for a German spreadsheet: ";" between fields, units only
// in the title line, so that every value is a number, a date or a time it can compute with.
#include <optional>

#include "logbook/DiveExport.h"
#include "logbook/DiveNotes.h"

namespace vyper {
namespace {

// The logbook's columns with their units, and the file.
const char kTitleLine[] =
    "Datum;Uhrzeit;Tauchzeit (min);Max. Tiefe (m);Wasser (°C);Luft (°C);Oberflächenpause (h:mm);"
    "Intervall (s);O2 (%);Hinweis;Datei\r\n";

QString Number(const std::optional<int>& value) { return value ? QString::number(*value) : QString(); }

// "2:15" for 135 minutes; hours are not cut at a day ("48:00").
QString HoursMinutes(const std::optional<int>& minutes) {
    if (!minutes) return {};
    return QStringLiteral("%1:%2").arg(*minutes / 60).arg(*minutes % 60, 2, 10, QLatin1Char('0'));
}

// A field as it stands between separators: quoted, with its quotes doubled, when it holds
// a separator, a quote or a line end.
QString Field(const QString& value) {
    const bool quote = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('"')) ||
                       value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'));
    if (!quote) return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void AppendLine(QByteArray& bytes, const QStringList& fields) {
    QStringList written;
    written.reserve(fields.size());
    for (const QString& f : fields) written << Field(f);
    bytes += written.join(QLatin1Char(';')).toUtf8();
    bytes += "\r\n";
}

}  // namespace

QByteArray CsvDocument(const std::vector<ExportDive>& dives) {
    QByteArray bytes("\xEF\xBB\xBF");  // the byte-order mark tells spreadsheets it is UTF-8
    bytes += kTitleLine;
    for (const auto& [fileName, dive] : dives) {
        AppendLine(bytes, {
                              dive.start.toString(QStringLiteral("dd.MM.yyyy")),
                              dive.start.toString(QStringLiteral("HH:mm")),
                              Number(dive.durationMinutes),
                              Number(dive.maxDepthMetres),
                              Number(dive.waterTemperature),
                              Number(dive.airTemperature),
                              HoursMinutes(dive.surfaceIntervalMinutes),
                              QString::number(dive.record.SampleInterval),
                              Number(dive.oxygenPercent),
                              DiveNotes(dive).join(QStringLiteral("; ")),
                              fileName,
                          });
    }
    return bytes;
}

}  // namespace vyper
