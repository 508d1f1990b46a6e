#include "cli/GuardedFileWriter.h"

#include "cli/SignalStop.h"
#include "platform/Failure.h"

namespace vyper::cli {

void GuardedFileWriter::WriteWhole(const QString& path, const QByteArray& bytes) {
    const FileWriteGuard guard;
    try {
        files_.WriteWhole(path, bytes);
    } catch (const RuntimeFailure& failure) {
        failures << failure.Description();
        throw;
    }
}

void GuardedFileWriter::WriteWholeStreamed(const QString& path, const std::function<void(const ChunkSink&)>& produce) {
    const FileWriteGuard guard;
    try {
        files_.WriteWholeStreamed(path, [&produce](const ChunkSink& sink) {
            produce([&sink](QByteArrayView piece) {
                if (SignalStop::Requested()) throw WriteInterrupted{};
                sink(piece);
            });
        });
    } catch (const RuntimeFailure& failure) {
        failures << failure.Description();
        throw;
    }
}

bool GuardedFileWriter::Exists(const QString& path) const {
    const bool exists = files_.Exists(path);
    if (exists && onExisting) onExisting(path);
    return exists;
}

}  // namespace vyper::cli
