#include "logbook/DiveExport.h"

#include "platform/AppInfo.h"

namespace vyper {

ExportOutcome ExportProfiles(const QString& folder, const QStringList& fileNames, ExportFormat format,
                             const QString& target, FileWriter& writer, const ExportGenerator& generator) {
    ExportOutcome outcome;
    std::vector<ExportDive> dives;
    dives.reserve(fileNames.size());
    for (const QString& name : fileNames) {
        StoredDiveResult result = ReadStoredDiveFile(JoinPath(folder, name), ProfileDetail::WithEntries);
        if (auto* refusal = std::get_if<ProfileRefusal>(&result)) {
            outcome.skipped << name + QStringLiteral(": ") + refusal->reason;
            continue;
        }
        dives.push_back({name, std::move(std::get<StoredDive>(result))});
    }
    if (dives.empty()) return outcome;

    const QByteArray bytes = format == ExportFormat::Uddf ? UddfDocument(dives, generator) : CsvDocument(dives);
    writer.WriteWhole(target, bytes);  // throws on failure; the target then holds what it held
    outcome.exported = static_cast<int>(dives.size());
    outcome.written = true;
    return outcome;
}

}  // namespace vyper
