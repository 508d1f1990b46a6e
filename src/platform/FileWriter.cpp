#include "platform/FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <utility>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AppInfo.h"
#include "platform/Failure.h"

namespace vyper {

void FileWriter::WriteWholeStreamed(const QString& path, const std::function<void(const ChunkSink&)>& produce) {
    QByteArray bytes;
    produce([&bytes](QByteArrayView piece) { bytes.append(piece); });
    WriteWhole(path, bytes);
}

bool FileWriter::Exists(const QString& path) const {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

namespace {

RuntimeFailure FolderMissing(const QString& folder) {
    return RuntimeFailure(failure::PathNotFound,
                          QStringLiteral("Pfad nicht gefunden: %1").arg(QDir::toNativeSeparators(folder)));
}

RuntimeFailure AccessFailure(const QString& path, const QString& what) {
    return RuntimeFailure(failure::PathFileAccess,
                          QStringLiteral("Pfad-/Dateizugriffsfehler: %1 %2").arg(QDir::toNativeSeparators(path), what));
}

RuntimeFailure IsAFolder(const QString& path) {
    return AccessFailure(path, QStringLiteral("ist ein Ordner, die Datei kann nicht angelegt werden"));
}

RuntimeFailure NotWritable(const QString& path) {
    return AccessFailure(path, QStringLiteral("kann nicht zum Schreiben geöffnet werden"));
}

RuntimeFailure NotReplaceable(const QString& path) {
    return AccessFailure(path, QStringLiteral("kann nicht ersetzt werden"));
}

RuntimeFailure WriteFailed(const QString& path) {
    return RuntimeFailure(failure::DiskFull,
                          QStringLiteral("Schreibfehler (Datenträger voll?): %1").arg(QDir::toNativeSeparators(path)));
}

// The file being written; closed and removed when it goes away, unless it was put in place.
struct TemporaryFile {
    int fd = -1;
    QByteArray name;
    std::function<int(int)> close;

    explicit TemporaryFile(std::function<int(int)> closeFile) : close(std::move(closeFile)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        Close();
        if (!name.isEmpty()) ::unlink(name.constData());
    }
    bool Close() {
        if (fd < 0) return true;
        const int result = close(fd);
        fd = -1;
        return result == 0;
    }
};

// Creates ".<fileName>.XXXXXX" in `folder`; exclusively, so that no file already there is
// ever written into. False with errno set when no such file can be created.
bool CreateBeside(const QString& folder, const QString& fileName, TemporaryFile& temp) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString suffix;
        for (int i = 0; i < 6; ++i) {
            suffix += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
        }
        const QByteArray name =
            QFile::encodeName(JoinPath(folder, QLatin1Char('.') + fileName + QLatin1Char('.') + suffix));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            temp.fd = fd;
            temp.name = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

// Makes the rename itself durable; a folder that cannot be synced changes nothing.
void SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

void AtomicFileWriter::WriteWhole(const QString& path, const QByteArray& bytes) {
    WriteWholeStreamed(path, [&bytes](const ChunkSink& sink) { sink(bytes); });
}

void AtomicFileWriter::WriteWholeStreamed(const QString& path, const std::function<void(const ChunkSink&)>& produce) {
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir()) throw FolderMissing(folder);

    const QByteArray target = QFile::encodeName(path);
    struct stat old {};
    const bool replacing = ::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
    if (!replacing && QFileInfo(path).isDir()) throw IsAFolder(path);
    if (replacing && ((old.st_mode & S_IWUSR) == 0 || ::access(target.constData(), W_OK) != 0)) {
        throw NotWritable(path);
    }

    TemporaryFile temp([this](int fd) { return Close(fd); });
    if (!CreateBeside(folder, info.fileName(), temp)) {
        if (!QFileInfo(folder).isDir()) throw FolderMissing(folder);
        throw NotWritable(path);
    }
    if (replacing && ::fchmod(temp.fd, old.st_mode & 07777) != 0) throw NotWritable(path);

    produce([&](QByteArrayView piece) {
        const char* data = piece.data();
        std::size_t left = static_cast<std::size_t>(piece.size());
        while (left > 0) {
            const ssize_t written = WriteSome(temp.fd, data, left);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) throw WriteFailed(path);
            data += written;
            left -= static_cast<std::size_t>(written);
        }
    });
    // The bytes must be on the medium before the name points at them: renamed first, a
    // power cut can leave the name on an empty file. A full disk may show only at the sync
    // or the close, above all on network folders.
    if (Sync(temp.fd) != 0 || !temp.Close()) throw WriteFailed(path);

    if (Rename(temp.name.constData(), target.constData()) != 0) throw NotReplaceable(path);
    temp.name.clear();
    SyncFolder(folder);
}

ssize_t AtomicFileWriter::WriteSome(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }

int AtomicFileWriter::Sync(int fd) { return ::fsync(fd); }

int AtomicFileWriter::Close(int fd) { return ::close(fd); }

int AtomicFileWriter::Rename(const char* from, const char* to) { return std::rename(from, to); }

}  // namespace vyper
