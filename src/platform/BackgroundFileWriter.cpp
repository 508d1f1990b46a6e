#include "platform/BackgroundFileWriter.h"

namespace vyper {

void BackgroundFileWriter::WriteWhole(const QString& path, const QByteArray& bytes) {
    waits_.RunAside([this, &path, &bytes] { files_.WriteWhole(path, bytes); });
}

void BackgroundFileWriter::WriteWholeStreamed(const QString& path,
                                              const std::function<void(const ChunkSink&)>& produce) {
    files_.WriteWholeStreamed(path, produce);
}

bool BackgroundFileWriter::Exists(const QString& path) const { return files_.Exists(path); }

}  // namespace vyper
