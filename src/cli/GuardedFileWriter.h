#pragma once
#include <QStringList>
#include <functional>

#include "platform/FileWriter.h"

namespace vyper::cli {

// Thrown out of a streamed write when Ctrl+C or SIGTERM came while it ran; the writer then
// puts nothing in place.
struct WriteInterrupted {};

// The platform's writer as the command line uses it: every write is guarded against the
// second Ctrl+C (FileWriteGuard), a streamed write stops at its next piece once a signal
// has come (WriteInterrupted), every refused write is kept with its reason, and an
// existing file that is looked at is told to `onExisting`.
class GuardedFileWriter : public FileWriter {
public:
    explicit GuardedFileWriter(FileWriter& files) : files_(files) {}
    void WriteWhole(const QString& path, const QByteArray& bytes) override;
    void WriteWholeStreamed(const QString& path, const std::function<void(const ChunkSink&)>& produce) override;
    bool Exists(const QString& path) const override;

    QStringList failures;  // the writer's descriptions of the refused writes
    std::function<void(const QString& path)> onExisting;

private:
    FileWriter& files_;
};

}  // namespace vyper::cli
