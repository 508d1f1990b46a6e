// The UDDF document of stored dives. Element order follows the format's schema, where most
// types are sequences: reorder nothing without checking it there.
#include <QBuffer>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cstdlib>
#include <set>

#include "logbook/DiveExport.h"
#include "logbook/DiveNotes.h"
#include "logbook/ProfileEvents.h"
#include "logbook/UddfWriter.h"

namespace vyper {
namespace {

const QString kDiveComputerId = QStringLiteral("divecomputer");
// Element names written once per sample, kept so that a sample costs no name strings.
const QString kWaypoint = QStringLiteral("waypoint");
const QString kAlarm = QStringLiteral("alarm");
const QString kDepth = QStringLiteral("depth");
const QString kDiveTime = QStringLiteral("divetime");
const QString kTemperature = QStringLiteral("temperature");

// A dive after a surface interval shorter than this counts as a repetitive dive.
constexpr int kRepetitiveMinutes = 6 * 60;
// Start minute, duration and surface interval are each cut to whole minutes.
constexpr qint64 kClockSlackMinutes = 5;

// A value given in hundredths as a decimal number: 29415 -> "294.15", 21 -> "0.21",
// 100 -> "1", 30 -> "0.3". Always a '.' and never an exponent, whatever the locale.
QString Hundredths(int hundredths) {
    const int magnitude = std::abs(hundredths);
    QString text = QString::number(magnitude / 100);
    if (hundredths < 0) text.prepend(QLatin1Char('-'));
    const int fraction = magnitude % 100;
    if (fraction != 0) {
        text += QLatin1Char('.') + QChar(u'0' + fraction / 10);
        if (fraction % 10 != 0) text += QChar(u'0' + fraction % 10);
    }
    return text;
}

QString Kelvin(int celsius) { return Hundredths(celsius * 100 + 27315); }

// Local time without zone, as the dive computer keeps it.
QString LocalDateTime(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")); }

QString MixId(int oxygenPercent) { return QStringLiteral("mix%1").arg(oxygenPercent); }

// The UDDF alarms a marker can stand for, as bits so that a waypoint names each only once.
enum AlarmBit { Ascent = 1, Deco = 2, Surface = 4, Error = 8 };

// SLOW (ascent too fast) and ASC (ascent warning) are UDDF's "ascent", CEIL (ceiling broken)
// its "deco", SURF "surface" and ERR "error". ATT (attention), PLAN and a marker without text
// have no alarm of the same meaning in UDDF and are left out: 0.
int AlarmOf(const QString& marker) {
    if (marker == u"SLOW" || marker == u"ASC") return Ascent;
    if (marker == u"CEIL") return Deco;
    if (marker == u"SURF") return Surface;
    if (marker == u"ERR") return Error;
    return 0;
}

QString AlarmName(int bit) {
    switch (bit) {
        case Ascent:
            return QStringLiteral("ascent");
        case Deco:
            return QStringLiteral("deco");
        case Surface:
            return QStringLiteral("surface");
        default:
            return QStringLiteral("error");
    }
}

// Wall-clock minutes, so that a change to summer time between two dives shifts nothing.
qint64 WallMinutes(const QDateTime& t) {
    return t.date().toJulianDay() * 24 * 60 + t.time().hour() * 60 + t.time().minute();
}

// True when `dive` is a repetitive dive right after `before`: its stated surface interval is
// short, and the starts agree with it (dives exported out of order are never grouped).
bool ContinuesGroup(const StoredDive& before, const StoredDive& dive) {
    if (!dive.surfaceIntervalMinutes || *dive.surfaceIntervalMinutes >= kRepetitiveMinutes) return false;
    const qint64 gap = WallMinutes(dive.start) - WallMinutes(before.start);
    const qint64 expected = before.durationMinutes.value_or(0) + *dive.surfaceIntervalMinutes;
    return gap > 0 && std::abs(gap - expected) <= kClockSlackMinutes;
}

void WriteGenerator(QXmlStreamWriter& xml, const ExportGenerator& generator) {
    xml.writeStartElement(QStringLiteral("generator"));
    xml.writeTextElement(QStringLiteral("name"), generator.name);
    // This program turns the dive computer's records into files of its own and of others.
    xml.writeTextElement(QStringLiteral("type"), QStringLiteral("converter"));
    if (!generator.version.isEmpty()) xml.writeTextElement(QStringLiteral("version"), generator.version);
    if (generator.written.isValid()) xml.writeTextElement(QStringLiteral("datetime"), LocalDateTime(generator.written));
    xml.writeEndElement();
}

// The owner is unknown but must be named; the dive computer hangs from the owner's equipment.
void WriteDiver(QXmlStreamWriter& xml) {
    xml.writeStartElement(QStringLiteral("diver"));
    xml.writeStartElement(QStringLiteral("owner"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("owner"));
    xml.writeStartElement(QStringLiteral("personal"));
    xml.writeEmptyElement(QStringLiteral("firstname"));
    xml.writeEmptyElement(QStringLiteral("lastname"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("equipment"));
    xml.writeStartElement(QStringLiteral("divecomputer"));
    xml.writeAttribute(QStringLiteral("id"), kDiveComputerId);
    // The files do not tell a Vyper from a Cobra.
    xml.writeTextElement(QStringLiteral("name"), QStringLiteral("Suunto Vyper/Cobra"));
    xml.writeStartElement(QStringLiteral("manufacturer"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("suunto"));
    xml.writeTextElement(QStringLiteral("name"), QStringLiteral("Suunto"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

void WriteMixes(QXmlStreamWriter& xml, const std::set<int>& oxygenPercents) {
    if (oxygenPercents.empty()) return;  // the schema wants at least one mix inside
    xml.writeStartElement(QStringLiteral("gasdefinitions"));
    for (const int percent : oxygenPercents) {
        xml.writeStartElement(QStringLiteral("mix"));
        xml.writeAttribute(QStringLiteral("id"), MixId(percent));
        xml.writeTextElement(QStringLiteral("name"),
                             percent == 21 ? QStringLiteral("Luft") : QStringLiteral("Nitrox %1").arg(percent));
        xml.writeTextElement(QStringLiteral("o2"), Hundredths(percent));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void WriteInformationBefore(QXmlStreamWriter& xml, const StoredDive& dive) {
    xml.writeStartElement(QStringLiteral("informationbeforedive"));
    xml.writeEmptyElement(QStringLiteral("link"));
    xml.writeAttribute(QStringLiteral("ref"), kDiveComputerId);
    // The gas is also linked here, so that a dive without samples keeps its mix.
    if (dive.oxygenPercent) {
        xml.writeEmptyElement(QStringLiteral("link"));
        xml.writeAttribute(QStringLiteral("ref"), MixId(*dive.oxygenPercent));
    }
    xml.writeTextElement(QStringLiteral("datetime"), LocalDateTime(dive.start));
    if (dive.airTemperature) xml.writeTextElement(QStringLiteral("airtemperature"), Kelvin(*dive.airTemperature));
    if (dive.surfaceIntervalMinutes) {
        xml.writeStartElement(QStringLiteral("surfaceintervalbeforedive"));
        xml.writeTextElement(QStringLiteral("passedtime"), QString::number(*dive.surfaceIntervalMinutes * 60));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

// One waypoint per sample. The dive computer measures the water once, at the maximum depth:
// that temperature goes to the first sample at the greatest depth, where it was taken.
void WriteSamples(QXmlStreamWriter& xml, const StoredDive& dive) {
    const auto& entries = dive.record.Entries;
    const ProfileEntry* deepest = nullptr;
    for (const auto& e : entries) {
        if (!e.IsMarker() && (deepest == nullptr || e.Depth < deepest->Depth)) deepest = &e;
    }
    if (deepest == nullptr) return;  // the schema wants at least one waypoint in samples

    const std::vector<ProfileEvent> events = ProfileEvents(dive.record);
    auto event = events.begin();
    int index = 0;
    xml.writeStartElement(QStringLiteral("samples"));
    for (const auto& e : entries) {
        if (e.IsMarker()) continue;
        xml.writeStartElement(kWaypoint);
        int alarms = 0;
        for (; event != events.end() && event->sample == index; ++event) {
            const int alarm = AlarmOf(event->text);
            if (alarm == 0 || (alarms & alarm) != 0) continue;
            alarms |= alarm;
            xml.writeTextElement(kAlarm, AlarmName(alarm));
        }
        xml.writeTextElement(kDepth, QString::number(-e.Depth));
        xml.writeTextElement(kDiveTime, QString::number(e.ElapsedSeconds));
        if (index == 0 && dive.oxygenPercent) {
            xml.writeEmptyElement(QStringLiteral("switchmix"));
            xml.writeAttribute(QStringLiteral("ref"), MixId(*dive.oxygenPercent));
        }
        if (&e == deepest && dive.waterTemperature) xml.writeTextElement(kTemperature, Kelvin(*dive.waterTemperature));
        xml.writeEndElement();
        ++index;
    }
    xml.writeEndElement();
}

// Greatest depth and duration must be given; where the summary has none that can be trusted,
// the samples tell them (0 for a dive without samples).
void WriteInformationAfter(QXmlStreamWriter& xml, const StoredDive& dive) {
    int deepestSample = 0, lastSeconds = 0;
    for (const auto& e : dive.record.Entries) {
        if (e.IsMarker()) continue;
        deepestSample = std::max(deepestSample, -e.Depth);
        lastSeconds = e.ElapsedSeconds;
    }
    xml.writeStartElement(QStringLiteral("informationafterdive"));
    xml.writeTextElement(QStringLiteral("greatestdepth"), QString::number(dive.maxDepthMetres.value_or(deepestSample)));
    // The only water temperature of the dive is also its lowest; logbooks show this one.
    if (dive.waterTemperature)
        xml.writeTextElement(QStringLiteral("lowesttemperature"), Kelvin(*dive.waterTemperature));
    const int seconds = dive.durationMinutes ? *dive.durationMinutes * 60 : lastSeconds;
    xml.writeTextElement(QStringLiteral("diveduration"), QString::number(seconds));
    const QStringList notes = DiveNotes(dive);
    if (!notes.isEmpty()) {
        xml.writeStartElement(QStringLiteral("notes"));
        for (const QString& note : notes) xml.writeTextElement(QStringLiteral("para"), note);
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

// Dives are numbered in the order given; two dives of the same minute stay apart.
void WriteDive(QXmlStreamWriter& xml, const StoredDive& dive, int number) {
    xml.writeStartElement(QStringLiteral("dive"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("dive%1").arg(number));
    WriteInformationBefore(xml, dive);
    WriteSamples(xml, dive);
    WriteInformationAfter(xml, dive);
    xml.writeEndElement();
}

// Dives are numbered as written; a group or the profile data opens with its first dive, so
// that a dive which can no longer be read leaves no empty element behind.
int WriteProfileData(QXmlStreamWriter& xml, const std::vector<const StoredDive*>& summaries,
                     const std::function<const StoredDive*(std::size_t)>& withEntries) {
    int written = 0, groups = 0;
    const StoredDive* before = nullptr;
    for (std::size_t i = 0; i < summaries.size(); ++i) {
        const StoredDive* dive = withEntries(i);
        if (dive == nullptr) continue;
        if (before == nullptr) xml.writeStartElement(QStringLiteral("profiledata"));
        if (before == nullptr || !ContinuesGroup(*before, *summaries[i])) {
            if (before != nullptr) xml.writeEndElement();
            xml.writeStartElement(QStringLiteral("repetitiongroup"));
            xml.writeAttribute(QStringLiteral("id"), QStringLiteral("group%1").arg(++groups));
        }
        WriteDive(xml, *dive, ++written);
        before = summaries[i];
    }
    if (before != nullptr) {
        xml.writeEndElement();
        xml.writeEndElement();
    }
    return written;
}

}  // namespace

int WriteUddf(QIODevice& out, const std::vector<const StoredDive*>& summaries,
              const std::function<const StoredDive*(std::size_t)>& withEntries, const ExportGenerator& generator) {
    std::set<int> oxygenPercents;
    for (const StoredDive* d : summaries) {
        if (d->oxygenPercent) oxygenPercents.insert(*d->oxygenPercent);
    }
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("uddf"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.streit.cc/uddf/3.2/"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("3.2.2"));
    WriteGenerator(xml, generator);
    WriteDiver(xml);
    WriteMixes(xml, oxygenPercents);
    const int written = WriteProfileData(xml, summaries, withEntries);
    xml.writeEndElement();
    xml.writeEndDocument();
    return written;
}

QByteArray UddfDocument(const std::vector<ExportDive>& dives, const ExportGenerator& generator) {
    std::vector<const StoredDive*> summaries;
    for (const ExportDive& d : dives) summaries.push_back(&d.dive);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteUddf(buffer, summaries, [&](std::size_t i) { return summaries[i]; }, generator);
    return buffer.data();
}

}  // namespace vyper
