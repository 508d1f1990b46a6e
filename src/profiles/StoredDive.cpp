#include "profiles/StoredDive.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>

#include "text/Windows1252.h"

namespace vyper {

namespace {

// The limits beyond which a value of the summary cannot be true. The dive computer stores
// temperatures and depths as plain bytes, so a file may hold anything from 0 to 255.
constexpr int kDeepestDive = 300;
constexpr int kColdestWater = -3, kWarmestWater = 40;
constexpr int kColdestAir = -40, kWarmestAir = 60;

// The summary's labels and units, as the Windows-1252 bytes the download writes.
constexpr QByteArrayView kHeader = "Time [s]\tDepth [m]";
constexpr QByteArrayView kEndLine = "# END OF PROFILE #";
constexpr QByteArrayView kMarkerPrefix = "=> ";

struct Refused {
    QString reason;
};

QString LineRefusal(int lineNumber, const QString& what) {
    return QStringLiteral("Zeile %1: %2").arg(lineNumber).arg(what);
}

// A number written as the download writes numbers: an optional "-", digits without a
// leading zero (but "0" itself), no "-0"; empty when the text is none or it leaves min..max.
std::optional<qint64> WholeNumber(QByteArrayView text, qint64 min, qint64 max) {
    const bool negative = text.startsWith('-');
    const QByteArrayView digits = negative ? text.sliced(1) : text;
    if (digits.isEmpty() || (digits.size() > 1 && digits[0] == '0') || (negative && digits == "0")) {
        return std::nullopt;
    }
    qint64 value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > max + 1 - min) return std::nullopt;  // stops long runs of digits early
    }
    if (negative) value = -value;
    if (value < min || value > max) return std::nullopt;
    return value;
}

// A two-digit field: "0" and a digit below 10, plain digits from 10 on (and below -9).
std::optional<qint64> TwoDigitNumber(QByteArrayView text, qint64 min, qint64 max) {
    if (text.size() == 2 && text[0] == '0' && text[1] >= '0' && text[1] <= '9') {
        const qint64 value = text[1] - '0';
        return value >= min && value <= max ? std::optional<qint64>(value) : std::nullopt;
    }
    const auto value = WholeNumber(text, min, max);
    return value && (*value >= 10 || *value <= -10) ? value : std::nullopt;
}

// The file's lines, each of which must end in CR LF.
std::vector<QByteArrayView> SplitCrLfLines(const QByteArray& bytes) {
    std::vector<QByteArrayView> lines;
    const char* data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n') {
            lines.emplace_back(data + start, i - start);
            start = ++i + 1;
        } else if (c == '\r' && i + 1 == size) {
            break;  // a file cut between CR and LF
        } else if (c == '\r' || c == '\n') {
            throw Refused{LineRefusal(static_cast<int>(lines.size()) + 1,
                                      QStringLiteral("das Zeilenende ist nicht CR LF"))};
        } else if (c == '\0') {
            throw Refused{QStringLiteral("keine Textdatei (Nullbyte in Zeile %1)").arg(lines.size() + 1)};
        }
    }
    if (start < size) throw Refused{QStringLiteral("unvollständig: die letzte Zeile hat kein Zeilenende")};
    return lines;
}

// One entry of the profile: a sample "seconds TAB TAB depth" or a marker "=> TEXT".
bool ReadEntryLine(QByteArrayView line, int lineNumber, StoredDive& dive, qint64& lastSeconds, bool keep) {
    if (line.startsWith(kMarkerPrefix)) {
        const QByteArrayView text = line.sliced(kMarkerPrefix.size());
        static const QByteArrayView known[] = {"", "SLOW", "ATT", "PLAN", "SURF", "ASC", "CEIL", "ERR"};
        if (std::find(std::begin(known), std::end(known), text) == std::end(known)) return false;
        if (keep) dive.record.Entries.push_back(ProfileEntry::Marker(QString::fromLatin1(text)));
        return true;
    }
    const qsizetype tabs = line.indexOf("\t\t");
    if (tabs <= 0) return false;
    const auto seconds = WholeNumber(line.first(tabs), 1, std::numeric_limits<int32_t>::max());
    const auto depth = WholeNumber(line.sliced(tabs + 2), std::numeric_limits<int16_t>::min(),
                                   std::numeric_limits<int16_t>::max());
    if (!seconds || !depth) return false;
    if (*seconds <= lastSeconds) throw Refused{LineRefusal(lineNumber, QStringLiteral("die Zeit läuft rückwärts"))};
    lastSeconds = *seconds;
    ++dive.sampleCount;
    if (keep) {
        dive.record.Entries.push_back(
            ProfileEntry::Sample(static_cast<int32_t>(*seconds), static_cast<int16_t>(*depth)));
    }
    return true;
}

// Takes "label value unit" apart; the value between them is handed back.
std::optional<QByteArrayView> Between(QByteArrayView line, QByteArrayView label, QByteArrayView unit) {
    if (!line.startsWith(label) || !line.endsWith(unit) || line.size() < label.size() + unit.size()) {
        return std::nullopt;
    }
    return line.sliced(label.size(), line.size() - label.size() - unit.size());
}

int16_t SummaryNumber(QByteArrayView value, int lineNumber) {
    const auto n = WholeNumber(value, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max());
    if (!n) throw Refused{LineRefusal(lineNumber, QStringLiteral("kein Wert, der in die Zusammenfassung passt"))};
    return static_cast<int16_t>(*n);
}

// A two-digit field of the summary: at least two digits, a byte's value.
uint8_t ByteField(QByteArrayView value, int lineNumber) {
    const auto n = TwoDigitNumber(value, 0, 255);
    if (!n) {
        throw Refused{LineRefusal(lineNumber, QStringLiteral("kein zweistelliger Wert"))};
    }
    return static_cast<uint8_t>(*n);
}

// The summary line that must stand at `lineNumber`, as label, value and unit.
QByteArrayView Expect(const std::vector<QByteArrayView>& lines, qsizetype index, QByteArrayView label,
                      QByteArrayView unit) {
    const int lineNumber = static_cast<int>(index) + 1;
    if (index >= static_cast<qsizetype>(lines.size())) {
        throw Refused{QStringLiteral("unvollständig: die Zusammenfassung endet vor „%1“")
                          .arg(FromWindows1252(label.toByteArray()).trimmed())};
    }
    const auto value = Between(lines[index], label, unit);
    if (!value) {
        throw Refused{LineRefusal(lineNumber, QStringLiteral("„%1“ erwartet").arg(FromWindows1252(label.toByteArray())))};
    }
    return *value;
}

// The time line: "hh Uhr mm" after a profile that ended at its end marker, "hh mm" otherwise.
void ReadTime(QByteArrayView value, int lineNumber, DiveRecord& record, bool& timeSaysEnded) {
    const qsizetype uhr = value.indexOf(" Uhr ");
    const qsizetype blank = value.indexOf(' ');
    if (uhr >= 0) {
        record.DiveHour = ByteField(value.first(uhr), lineNumber);
        record.DiveMinute = ByteField(value.sliced(uhr + 5), lineNumber);
        timeSaysEnded = true;
    } else if (blank >= 0) {
        record.DiveHour = ByteField(value.first(blank), lineNumber);
        record.DiveMinute = ByteField(value.sliced(blank + 1), lineNumber);
        timeSaysEnded = false;
    } else {
        throw Refused{LineRefusal(lineNumber, QStringLiteral("keine Uhrzeit"))};
    }
}

void ReadDate(QByteArrayView value, int lineNumber, DiveRecord& record) {
    const qsizetype first = value.indexOf('-');
    const qsizetype second = first < 0 ? -1 : value.indexOf('-', first + 1);
    if (first < 0 || second < 0) throw Refused{LineRefusal(lineNumber, QStringLiteral("kein Datum"))};
    record.DiveYear = ByteField(value.first(first), lineNumber);
    record.DiveMonth = ByteField(value.sliced(first + 1, second - first - 1), lineNumber);
    record.DiveDay = ByteField(value.sliced(second + 1), lineNumber);
    record.DateText = QString::fromLatin1(value);
}

// The summary after the end line, from `index` on.
void ReadSummary(const std::vector<QByteArrayView>& lines, qsizetype index, StoredDive& dive) {
    DiveRecord& r = dive.record;
    auto line = [&](QByteArrayView label, QByteArrayView unit) { return Expect(lines, index++, label, unit); };
    auto number = [&](QByteArrayView label, QByteArrayView unit) {
        const int lineNumber = static_cast<int>(index) + 1;
        return SummaryNumber(line(label, unit), lineNumber);
    };

    const int dateLine = static_cast<int>(index) + 1;
    ReadDate(line("Datum: ", ""), dateLine, r);
    bool timeSaysEnded = false;
    const int timeLine = dateLine + 1;
    ReadTime(line("Uhrzeit: ", ""), timeLine, r, timeSaysEnded);
    r.DurationMinutes = number("Dauer: ", " min.");
    r.MaxDepth = number("Maximale Tiefe: ", " m");
    r.AirTemperature = number("Lufttemperatur vor TG: ", " \xB0"
                                                          "C");
    const int waterLine = static_cast<int>(index) + 1;
    const QByteArrayView water = line("Temperatur auf maximaler Tiefe: ", "C");
    bool waterSaysEnded = true;
    if (water.endsWith(" \xB0 ")) {
        waterSaysEnded = false;
        r.MaxDepthTemperature = SummaryNumber(water.chopped(3), waterLine);
    } else if (water.endsWith(" \xB0")) {
        r.MaxDepthTemperature = SummaryNumber(water.chopped(2), waterLine);
    } else {
        throw Refused{LineRefusal(waterLine, QStringLiteral("keine Temperatur"))};
    }
    if (timeSaysEnded != waterSaysEnded) {
        throw Refused{QStringLiteral("Uhrzeit und Temperatur gehören zu verschiedenen Profilenden")};
    }
    r.EndedByMarker = timeSaysEnded;

    const int surfaceLine = static_cast<int>(index) + 1;
    const QByteArrayView surface = line("Oberfl\xE4"
                                        "chenpause vor dem TG: ",
                                        " min");
    const qsizetype h = surface.indexOf(" h ");
    if (h < 0) throw Refused{LineRefusal(surfaceLine, QStringLiteral("keine Oberflächenpause"))};
    const auto hours = TwoDigitNumber(surface.first(h), std::numeric_limits<int16_t>::min(),
                                      std::numeric_limits<int16_t>::max());
    const auto minutes = TwoDigitNumber(surface.sliced(h + 3), std::numeric_limits<int16_t>::min(),
                                        std::numeric_limits<int16_t>::max());
    if (!hours || !minutes) throw Refused{LineRefusal(surfaceLine, QStringLiteral("keine Oberflächenpause"))};
    r.SurfaceHours = static_cast<int16_t>(*hours);
    r.SurfaceMinutes = static_cast<int16_t>(*minutes);
    r.SampleInterval = number("Aufzeichnungsintervall: ", " s");

    r.OxygenPercent = 0;
    if (!r.EndedByMarker && index < static_cast<qsizetype>(lines.size())) {
        const int oxygenLine = static_cast<int>(index) + 1;
        r.OxygenPercent = SummaryNumber(line("O2-Anteil:  ", " "), oxygenLine);
        if (r.OxygenPercent <= 0) throw Refused{LineRefusal(oxygenLine, QStringLiteral("ein O2-Anteil von 0"))};
        dive.oxygenStated = true;
    }
    if (index < static_cast<qsizetype>(lines.size())) {
        throw Refused{LineRefusal(static_cast<int>(index) + 1, QStringLiteral("nach der Zusammenfassung folgt noch Text"))};
    }
}

// The calendar start; a date or time that does not exist refuses the file.
void SetStart(StoredDive& dive) {
    const DiveRecord& r = dive.record;
    const QDate date(r.DiveYear <= 99 ? CalendarYear(r.DiveYear) : 0, r.DiveMonth, r.DiveDay);
    if (r.DiveYear > 99 || !date.isValid()) {
        throw Refused{QStringLiteral("das Datum %1 gibt es nicht").arg(r.DateText)};
    }
    const QTime time(r.DiveHour, r.DiveMinute);
    if (r.DiveHour > 23 || r.DiveMinute > 59 || !time.isValid()) {
        throw Refused{QStringLiteral("die Uhrzeit %1:%2 gibt es nicht")
                          .arg(r.DiveHour, 2, 10, QLatin1Char('0'))
                          .arg(r.DiveMinute, 2, 10, QLatin1Char('0'))};
    }
    // The dive computer keeps the local wall-clock time without a zone; UTC as the carrier
    // keeps every such time valid, also in the hour a clock change skips.
    dive.start = QDateTime(date, time, Qt::UTC);
}

std::optional<int> InRange(int value, int min, int max, const QString& doubt, QStringList& doubts) {
    if (value >= min && value <= max) return value;
    doubts << doubt;
    return std::nullopt;
}

// Sets the values a diver can trust and names those that cannot be true.
void JudgeValues(StoredDive& dive, qint64 lastSeconds) {
    const DiveRecord& r = dive.record;
    QStringList& doubts = dive.doubts;
    const bool hasSamples = dive.sampleCount > 0;

    if (r.DurationMinutes > 0) {
        dive.durationMinutes = r.DurationMinutes;
    } else if (r.DurationMinutes < 0) {
        doubts << QStringLiteral("Tauchzeit %1 min ist unmöglich").arg(r.DurationMinutes);
    } else if (hasSamples) {
        dive.durationMinutes = static_cast<int>((lastSeconds + 59) / 60);  // begun minutes, as downloads count
    }
    // A dive without samples carries 9999 m as "no depth": no value, and nothing doubtful.
    if (hasSamples) {
        dive.maxDepthMetres = InRange(r.MaxDepth, 0, kDeepestDive,
                                      QStringLiteral("Maximale Tiefe %1 m ist unmöglich").arg(r.MaxDepth), doubts);
    }
    // Without the end marker the temperature byte is not found and the file says 0.
    if (r.EndedByMarker || r.MaxDepthTemperature != 0) {
        dive.waterTemperature =
            InRange(r.MaxDepthTemperature, kColdestWater, kWarmestWater,
                    QStringLiteral("Wassertemperatur %1 °C ist unmöglich").arg(r.MaxDepthTemperature), doubts);
    }
    dive.airTemperature = InRange(r.AirTemperature, kColdestAir, kWarmestAir,
                                  QStringLiteral("Lufttemperatur %1 °C ist unmöglich").arg(r.AirTemperature), doubts);
    if (r.SurfaceHours >= 0 && r.SurfaceMinutes >= 0 && r.SurfaceMinutes <= 59) {
        dive.surfaceIntervalMinutes = r.SurfaceHours * 60 + r.SurfaceMinutes;
    } else {
        doubts << QStringLiteral("Oberflächenpause %1 h %2 min ist unmöglich").arg(r.SurfaceHours).arg(r.SurfaceMinutes);
    }
    if (dive.oxygenStated) {
        dive.oxygenPercent = InRange(r.OxygenPercent, 1, 100,
                                     QStringLiteral("O2-Anteil %1 % ist unmöglich").arg(r.OxygenPercent), doubts);
    }
}

StoredDive Read(const QByteArray& bytes, ProfileDetail detail) {
    if (bytes.isEmpty()) throw Refused{QStringLiteral("leere Datei")};
    if (bytes.size() > kLargestProfileFileBytes) throw Refused{QStringLiteral("zu groß für eine Profildatei")};
    if (!bytes.startsWith(kHeader)) throw Refused{QStringLiteral("keine Profildatei (die Kopfzeile fehlt)")};
    const std::vector<QByteArrayView> lines = SplitCrLfLines(bytes);
    if (lines.front() != kHeader) throw Refused{QStringLiteral("keine Profildatei (die Kopfzeile fehlt)")};

    StoredDive dive;
    const bool keep = detail == ProfileDetail::WithEntries;
    qint64 lastSeconds = 0;
    qsizetype index = 1;
    for (; index < static_cast<qsizetype>(lines.size()) && lines[index] != kEndLine; ++index) {
        const int lineNumber = static_cast<int>(index) + 1;
        if (!ReadEntryLine(lines[index], lineNumber, dive, lastSeconds, keep)) {
            throw Refused{LineRefusal(lineNumber, QStringLiteral("weder Messwert noch Marke"))};
        }
    }
    if (index == static_cast<qsizetype>(lines.size())) {
        throw Refused{QStringLiteral("unvollständig: die Endzeile „# END OF PROFILE #“ fehlt")};
    }
    ReadSummary(lines, index + 1, dive);
    SetStart(dive);
    JudgeValues(dive, lastSeconds);
    return dive;
}

}  // namespace

StoredDiveResult ReadStoredDive(const QByteArray& bytes, ProfileDetail detail) {
    try {
        return Read(bytes, detail);
    } catch (const Refused& refused) {
        return ProfileRefusal{refused.reason};
    }
}

StoredDiveResult ReadStoredDiveFile(const QString& path, ProfileDetail detail) {
    const QFileInfo info(path);
    if (!info.exists()) return ProfileRefusal{QStringLiteral("die Datei gibt es nicht (mehr)")};
    if (info.isDir()) return ProfileRefusal{QStringLiteral("ein Ordner, keine Datei")};
    if (!info.isFile()) return ProfileRefusal{QStringLiteral("keine gewöhnliche Datei")};
    if (info.size() > kLargestProfileFileBytes) return ProfileRefusal{QStringLiteral("zu groß für eine Profildatei")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return ProfileRefusal{QStringLiteral("kann nicht gelesen werden (keine Leserechte?)")};
    // One byte more than allowed tells a file that grew since it was looked at.
    const QByteArray bytes = file.read(kLargestProfileFileBytes + 1);
    if (file.error() != QFileDevice::NoError) return ProfileRefusal{QStringLiteral("kann nicht gelesen werden")};
    return ReadStoredDive(bytes, detail);
}

}  // namespace vyper
