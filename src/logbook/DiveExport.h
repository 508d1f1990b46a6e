#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/FileWriter.h"
#include "profiles/StoredDive.h"

namespace vyper {

// A dive on its way out, with its samples and markers.
struct ExportDive {
    QString fileName;
    StoredDive dive;  // read with ProfileDetail::WithEntries
};

// Who wrote an export, and when.
struct ExportGenerator {
    QString name;     // "Vyper-Grundelnetz"
    QString version;  // "1.0.7"
    QDateTime written;
};

// A UDDF 3.2.2 document (namespace http://www.streit.cc/uddf/3.2/, UTF-8) of the dives in
// the given order: SI units (metres, seconds, kelvin, fractions), one waypoint per sample,
// the markers that mean a UDDF alarm as alarms, the gas mix where the O2 share is known,
// the dive computer and this program as generator. Valid against the standard's schema.
// Dives get the ids "dive1", "dive2"... in the given order; unknown values are left out,
// except greatest depth and duration, which the format demands: then the samples give them.
QByteArray UddfDocument(const std::vector<ExportDive>& dives, const ExportGenerator& generator);

// A CSV document for spreadsheets: UTF-8 with byte-order mark, ";" between fields, CR LF
// after every line, a title line and one line per dive with the logbook's columns (numbers
// without units) and the file's name.
QByteArray CsvDocument(const std::vector<ExportDive>& dives);

enum class ExportFormat { Uddf, Csv };

// What an export did.
struct ExportOutcome {
    int exported = 0;       // dives in the written file
    QStringList skipped;    // "<file name>: <reason>", one per dive left out
    bool written = false;   // false when no dive was left to write (nothing is written then)
};

// Reads the named files of `folder` with their samples, leaves out those that are refused
// (named in the outcome), and writes the others in `format` to `target` through `writer`,
// whole or not at all. Throws the writer's RuntimeFailure when the target cannot be written.
ExportOutcome ExportProfiles(const QString& folder, const QStringList& fileNames, ExportFormat format,
                             const QString& target, FileWriter& writer, const ExportGenerator& generator);

}  // namespace vyper
