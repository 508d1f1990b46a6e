#pragma once
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

#include "platform/TransferLog.h"
#include "platform/TransferLogFiles.h"

namespace vyper {

// The transfer log as a UTF-8 text file. Its first line is the start's date and time and the
// title; then one line per event, in local time to the millisecond:
//   19:03:04.123 → 08 A5 AD            bytes written to the line
//   19:03:04.312 ← 08 20 00 13 …       bytes read from it
//   19:03:04.350 · Warten beendet: …   a note
//   19:03:06.001 Ende: …               the outcome
// Bytes of one direction share a line while nothing else comes between them, each follows
// the one before within 50 ms and the line holds fewer than 48. Events are kept in memory and
// written at every note, at the end, and at the latest every second (never synced to the
// disk), so a byte costs a few appends. A log that cannot be created or written never
// disturbs the transfer: it is then kept nowhere (Path() empty, Problem() says why).
//
// The window and the command line make one and hand it to the core in Platform::log:
//     std::unique_ptr<FileTransferLog> log = FileTransferLog::InStateFolder();  // or AtPath(file)
//     Platform platform{serial, settings, boxes, waits, files, app, devices, log.get()};
// The log must outlive the core that reports into it. Calls come from one thread.
class FileTransferLog : public TransferLog {
public:
    // Milliseconds since the epoch; the log shows them as local time.
    using Clock = std::function<int64_t()>;

    // One file per transfer in TransferLogFolder() of $XDG_STATE_HOME and $HOME, named by the
    // start time (TransferLogName); each start first deletes the oldest logs there, so that
    // only the newest kKeptTransferLogs remain.
    static std::unique_ptr<FileTransferLog> InStateFolder();
    // The same in `folder` (created when missing), keeping `keep`; a null `clock` is the system's.
    static std::unique_ptr<FileTransferLog> InFolder(const QString& folder, int keep = kKeptTransferLogs,
                                                     Clock clock = {});
    // Every transfer into the one file `path` (for the command line's --log FILE), nothing
    // deleted: the first transfer of this object replaces the file, later ones follow it
    // after a blank line.
    static std::unique_ptr<FileTransferLog> AtPath(const QString& path, Clock clock = {});

    // Closes a transfer's log that is still open with "Ende: nicht abgeschlossen …".
    ~FileTransferLog() override;
    FileTransferLog(const FileTransferLog&) = delete;
    FileTransferLog& operator=(const FileTransferLog&) = delete;

    // Creates the transfer's file (ending one still open) and writes the first line.
    void Begin(const QString& title) override;
    void Sent(QByteArrayView bytes) override;
    void Received(QByteArrayView bytes) override;
    void Note(const QString& line) override;
    void End(const QString& outcome) override;
    QString Path() const override { return path_; }
    QString Problem() const override { return problem_; }

protected:
    // Folder: one file per transfer in `where` (empty: nowhere), keeping `keep`; File: every
    // transfer into the file `where`.
    enum class Place { Folder, File };
    FileTransferLog(Place place, QString where, int keep, Clock clock);
    // Writes up to `size` bytes to `fd` as write(2) does. Tests make it fail.
    virtual ssize_t WriteSome(int fd, const char* data, std::size_t size);

private:
    enum class Direction { None, Sent, Received };
    void OpenFile(int64_t now);
    void Bytes(Direction direction, QByteArrayView bytes);
    void StartLine(int64_t now);
    void Flush(int64_t now);
    void Fail(int error);

    const Place place_;
    const QString where_;
    const int keep_;
    const Clock clock_;
    bool begun_ = false;
    bool appendNext_ = false;  // the fixed file holds an earlier transfer of this object
    int fd_ = -1;
    QString path_;
    QString problem_;
    std::string buffer_;
    bool lineOpen_ = false;
    Direction lineDirection_ = Direction::None;
    int lineBytes_ = 0;
    int64_t lastByteMs_ = 0;
    int64_t lastFlushMs_ = 0;
    int64_t cachedSecond_ = -1;  // the second that cachedTime_ shows
    std::string cachedTime_;     // "HH:MM:SS"
};

}  // namespace vyper
