#pragma once
#include "platform/FileWriter.h"
#include "platform/Waits.h"

namespace vyper {

// Puts another writer's whole-file writes on a thread of their own through Waits::RunAside,
// so that a slow medium (a sync that takes half a second on an SD card) never freezes the
// window; the caller still returns only once the file is in place or the write has failed,
// so what follows a write happens in the same order as before.
class BackgroundFileWriter : public FileWriter {
public:
    // Both must outlive this writer; `files` must be safe to call from another thread.
    BackgroundFileWriter(FileWriter& files, Waits& waits) : files_(files), waits_(waits) {}
    // As the wrapped writer's, run aside; its failure is rethrown here.
    void WriteWhole(const QString& path, const QByteArray& bytes) override;
    // Passed on as it is: the producer may read what the window's handlers change.
    void WriteWholeStreamed(const QString& path, const std::function<void(const ChunkSink&)>& produce) override;
    bool Exists(const QString& path) const override;

private:
    FileWriter& files_;
    Waits& waits_;
};

}  // namespace vyper
