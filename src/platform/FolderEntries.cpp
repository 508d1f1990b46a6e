#include "platform/FolderEntries.h"

#include <QFile>
#include <QStringDecoder>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace vyper {

std::vector<FolderEntry> ReadFolderEntries(const QString& folder) {
    std::vector<FolderEntry> entries;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr) return entries;
    const int dirFd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray raw(e->d_name);
        if (raw == "." || raw == "..") continue;
        FolderEntry entry;
        QStringDecoder utf8(QStringDecoder::Utf8);
        entry.name = utf8(raw);
        entry.nameIsText = !utf8.hasError();
        struct stat info {};
        if (::fstatat(dirFd, e->d_name, &info, 0) == 0) {
            entry.kind = S_ISREG(info.st_mode)   ? FolderEntry::Kind::File
                         : S_ISDIR(info.st_mode) ? FolderEntry::Kind::Folder
                                                 : FolderEntry::Kind::Other;
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return entries;
}

}  // namespace vyper
