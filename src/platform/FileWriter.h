#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <functional>
#include <sys/types.h>

namespace vyper {

// Puts a file's bytes on disk whole: whoever reads the path finds either what lay there
// before or all of the new bytes, never a part of them.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    // Writes `bytes` to `path`, replacing a file of that name only once all of them are on
    // disk. Throws a RuntimeFailure with a German description naming the path on any
    // problem; the path then holds what it held before, and nothing is left beside it.
    virtual void WriteWhole(const QString& path, const QByteArray& bytes) = 0;
    // Where a file written piece by piece sends its pieces.
    using ChunkSink = std::function<void(QByteArrayView)>;
    // The same for a file too large to hold in memory at once: `produce` hands the file's
    // bytes to its sink piece by piece, in order. Whole or not at all, as WriteWhole; when
    // `produce` throws, nothing is put in place and the exception goes on. This default
    // gathers the pieces and calls WriteWhole.
    virtual void WriteWholeStreamed(const QString& path, const std::function<void(const ChunkSink&)>& produce);
    // True when `path` names an existing plain file (read-only and hidden ones included);
    // a folder, a device or nothing at that path is not found, nor is "".
    virtual bool Exists(const QString& path) const;
};

// Writes into a new hidden file ".<name>.XXXXXX" in the target's folder, syncs it, closes
// it and only then renames it over the target, so that after a power cut the name holds
// the old bytes or all of the new ones, never an empty or short file. A file there that is write-protected (no write bit for its
// owner, or not writable for this user) is refused, as it was when files were overwritten
// in place; a replaced file's permissions carry over to the new one.
class AtomicFileWriter : public FileWriter {
public:
    void WriteWhole(const QString& path, const QByteArray& bytes) override;
    // Writes each piece into the hidden file as it comes, so that memory stays small.
    void WriteWholeStreamed(const QString& path, const std::function<void(const ChunkSink&)>& produce) override;

protected:
    // The steps on the hidden file that a full disk, a failing medium or a locked target
    // make fail; each behaves like write(2), fsync(2), close(2) and rename(2), errno
    // included. The close also runs when a write is given up, so every opened file is
    // closed once.
    virtual ssize_t WriteSome(int fd, const char* data, std::size_t size);
    virtual int Sync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
};

}  // namespace vyper
