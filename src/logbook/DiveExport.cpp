#include "logbook/DiveExport.h"

#include <QIODevice>
#include <optional>

#include "logbook/UddfWriter.h"
#include "platform/AppInfo.h"

namespace vyper {

namespace {

// Hands what is written to it on to a file writer's sink, a megabyte at a time, so that an
// export of thousands of dives never lies in memory whole.
class SinkDevice : public QIODevice {
public:
    explicit SinkDevice(const FileWriter::ChunkSink& sink) : sink_(sink) { open(QIODevice::WriteOnly); }
    // Hands on the rest; not done on destruction, which may come from a failure.
    void Flush() {
        if (!pending_.isEmpty()) sink_(pending_);
        pending_.clear();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        pending_.append(data, size);
        if (pending_.size() >= kPieceBytes) Flush();
        return size;
    }

private:
    static constexpr qsizetype kPieceBytes = 1024 * 1024;
    const FileWriter::ChunkSink& sink_;
    QByteArray pending_;
};

// Thrown out of the writing when not one dive could be read again: nothing is put in place.
struct NothingLeft {};

}  // namespace

ExportOutcome ExportProfiles(const QString& folder, const QStringList& fileNames, ExportFormat format,
                             const QString& target, FileWriter& writer, const ExportGenerator& generator) {
    // First the summaries of all files: they name the refused ones and decide mixes and groups.
    ExportOutcome outcome;
    std::vector<ExportDive> dives;
    dives.reserve(fileNames.size());
    for (const QString& name : fileNames) {
        StoredDiveResult result = ReadStoredDiveFile(JoinPath(folder, name), ProfileDetail::SummaryOnly);
        if (auto* refusal = std::get_if<ProfileRefusal>(&result)) {
            outcome.skipped << name + QStringLiteral(": ") + refusal->reason;
            continue;
        }
        dives.push_back({name, std::move(std::get<StoredDive>(result))});
    }
    if (dives.empty()) return outcome;

    if (format == ExportFormat::Csv) {
        writer.WriteWhole(target, CsvDocument(dives));  // throws on failure; the target keeps what it held
        outcome.exported = static_cast<int>(dives.size());
        outcome.written = true;
        return outcome;
    }

    // Then each dive's samples, one dive at a time, straight into the file.
    std::vector<const StoredDive*> summaries;
    for (const ExportDive& d : dives) summaries.push_back(&d.dive);
    std::optional<StoredDive> current;
    auto withEntries = [&](std::size_t i) -> const StoredDive* {
        StoredDiveResult result = ReadStoredDiveFile(JoinPath(folder, dives[i].fileName), ProfileDetail::WithEntries);
        if (auto* refusal = std::get_if<ProfileRefusal>(&result)) {
            // Changed since its summary was read (a download overwrote it, say).
            outcome.skipped << dives[i].fileName + QStringLiteral(": ") + refusal->reason;
            return nullptr;
        }
        current = std::move(std::get<StoredDive>(result));
        return &*current;
    };
    try {
        writer.WriteWholeStreamed(target, [&](const FileWriter::ChunkSink& sink) {
            SinkDevice device(sink);
            outcome.exported = WriteUddf(device, summaries, withEntries, generator);
            if (outcome.exported == 0) throw NothingLeft{};
            device.Flush();
        });
    } catch (const NothingLeft&) {
        return outcome;
    }
    outcome.written = true;
    return outcome;
}

}  // namespace vyper
