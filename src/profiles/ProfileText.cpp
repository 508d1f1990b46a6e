#include "profiles/ProfileText.h"

#include <algorithm>

#include "text/NumberText.h"
#include "text/Windows1252.h"

namespace vyper {

namespace {

QByteArray Lines(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        out += ToWindows1252(line);
        out += "\r\n";
    }
    return out;
}

// Writes the decimal digits of `value` (with "-" when negative) at `at`; returns the end.
char* WriteNumber(char* at, qint64 value) {
    char reversed[20];
    int count = 0;
    quint64 rest = value < 0 ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
    do {
        reversed[count++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0) *at++ = '-';
    while (count > 0) *at++ = reversed[--count];
    return at;
}

QString Tabs(int count) { return QString(count, QLatin1Char('\t')); }

QString Two(int value) { return ZeroPad(value, 2); }

}  // namespace

QByteArray ProfileHeadBytes(const DiveRecord& record) {
    // A dive has thousands of samples: their lines (digits and TABs, the same bytes in every
    // code page) go straight into the bytes instead of through a text per line.
    QByteArray out("Time [s]\tDepth [m]\r\n");
    out.reserve(out.size() + static_cast<qsizetype>(record.Entries.size()) * 12);
    for (const ProfileEntry& e : record.Entries) {
        if (e.IsMarker()) {
            out += ToWindows1252(QStringLiteral("=> ") + e.MarkerText);
            out += "\r\n";
        } else {
            // A sample's line goes in whole; elapsed time is written without a sign, it never
            // runs backwards.
            char line[48];
            char* end = WriteNumber(line, qAbs(static_cast<qint64>(e.ElapsedSeconds)));
            end = std::copy_n("\t\t", 2, end);
            end = WriteNumber(end, e.Depth);
            end = std::copy_n("\r\n", 2, end);
            out.append(line, end - line);
        }
    }
    return out;
}

QByteArray ProfileTailBytes(const DiveRecord& r) {
    const bool ended = r.EndedByMarker;
    QStringList lines{
        QStringLiteral("# END OF PROFILE #"),
        QStringLiteral("Datum: ") + r.DateText,
        QStringLiteral("Uhrzeit: ") + Two(r.DiveHour) + (ended ? QStringLiteral(" Uhr ") : QStringLiteral(" ")) +
            Two(r.DiveMinute),
        QStringLiteral("Dauer: ") + QString::number(r.DurationMinutes) + QStringLiteral(" min."),
        QStringLiteral("Maximale Tiefe: ") + QString::number(r.MaxDepth) + QStringLiteral(" m"),
        QStringLiteral("Lufttemperatur vor TG: ") + QString::number(r.AirTemperature) + QStringLiteral(" °C"),
        QStringLiteral("Temperatur auf maximaler Tiefe: ") + QString::number(r.MaxDepthTemperature) +
            (ended ? QStringLiteral(" °C") : QStringLiteral(" ° C")),
        QStringLiteral("Oberflächenpause vor dem TG: ") + Two(r.SurfaceHours) + QStringLiteral(" h ") +
            Two(r.SurfaceMinutes) + QStringLiteral(" min"),
        QStringLiteral("Aufzeichnungsintervall: ") + QString::number(r.SampleInterval) + QStringLiteral(" s"),
    };
    if (!ended && r.OxygenPercent > 0) {
        lines << QStringLiteral("O2-Anteil: ") + QLatin1Char(' ') + QString::number(r.OxygenPercent) + QLatin1Char(' ');
    }
    return Lines(lines);
}

QStringList DiveSummaryLines(const DiveRecord& r) {
    return {
        QStringLiteral("Datum: ") + Tabs(4) + r.DateText,
        QStringLiteral("Uhrzeit: ") + Tabs(4) + Two(r.DiveHour) + QLatin1Char(':') + Two(r.DiveMinute),
        QStringLiteral("Maximale Tiefe: ") + Tabs(3) + QString::number(r.MaxDepth) + QStringLiteral(" m"),
        QStringLiteral("Dauer: ") + Tabs(4) + QString::number(r.DurationMinutes) + QStringLiteral(" min."),
        QStringLiteral("Oberflächenpause vor dem TG: ") + Tabs(1) + Two(r.SurfaceHours) + QStringLiteral(" h : ") +
            Two(r.SurfaceMinutes) + QStringLiteral(" min"),
        QStringLiteral("Lufttemperatur vor TG: ") + Tabs(2) + QString::number(r.AirTemperature) + QStringLiteral(" °C"),
        QStringLiteral("Temperatur auf maximaler Tiefe: ") + Tabs(1) + QString::number(r.MaxDepthTemperature) +
            QStringLiteral(" °C"),
        QStringLiteral("O2-Anteil: ") + Tabs(3) + QString::number(r.OxygenPercent) + QStringLiteral("%"),
        QStringLiteral("Aufzeichnungsintervall: ") + Tabs(1) + QString::number(r.SampleInterval) + QStringLiteral(" s"),
    };
}

}  // namespace vyper
