#include "profiles/ProfileFile.h"

#include <QDir>
#include <QFileInfo>

#include "platform/Failure.h"
#include "profiles/ProfileText.h"

namespace vyper {

namespace {

constexpr int kDiskFull = 61;

RuntimeFailure CreateFailure(const QString& path) {
    const QFileInfo info(path);
    if (!QFileInfo(info.absolutePath()).isDir()) {
        return RuntimeFailure(failure::PathNotFound,
                              QStringLiteral("Pfad nicht gefunden: %1").arg(QDir::toNativeSeparators(info.absolutePath())));
    }
    if (info.isDir()) {
        return RuntimeFailure(failure::PathFileAccess,
                              QStringLiteral("Pfad-/Dateizugriffsfehler: %1 ist ein Ordner, die Datei kann nicht angelegt werden")
                                  .arg(QDir::toNativeSeparators(path)));
    }
    return RuntimeFailure(failure::PathFileAccess,
                          QStringLiteral("Pfad-/Dateizugriffsfehler: %1 kann nicht zum Schreiben geöffnet werden")
                              .arg(QDir::toNativeSeparators(path)));
}

}  // namespace

void ProfileFile::Create(const QString& path) {
    Close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw CreateFailure(path);
}

void ProfileFile::Write(const QByteArray& bytes) {
    // Flushing after every block makes a full disk show up here and not silently at close.
    if (file_.write(bytes) != bytes.size() || !file_.flush()) {
        const QString path = QDir::toNativeSeparators(file_.fileName());
        Close();
        throw RuntimeFailure(kDiskFull, QStringLiteral("Schreibfehler (Datenträger voll?): %1").arg(path));
    }
}

void ProfileFile::Close() {
    if (file_.isOpen()) file_.close();
}

void WriteProfileHead(ProfileFile& file, const QString& path, const DiveRecord& record) {
    file.Create(path);
    file.Write(ProfileHeadBytes(record));
}

void WriteProfileTail(ProfileFile& file, const DiveRecord& record) {
    file.Write(ProfileTailBytes(record));
    file.Close();
}

}  // namespace vyper
