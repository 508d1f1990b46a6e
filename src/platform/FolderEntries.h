#pragma once
#include <QString>
#include <vector>

namespace vyper {

// One entry of a folder as the file system has it.
struct FolderEntry {
    enum class Kind { File, Folder, Other };  // Other: a device, a pipe, a socket, a dangling link
    QString name;           // decoded as UTF-8; an undecodable byte becomes U+FFFD
    bool nameIsText = true; // false when the name's bytes are no UTF-8 text
    Kind kind = Kind::Other;  // links are followed
};

// Every entry of `folder` but "." and "..", hidden ones included, in the order the file
// system gives; empty when the folder cannot be read. Unlike Qt's directory listing it keeps
// entries whose names are no valid text, so that they can be named to the user.
std::vector<FolderEntry> ReadFolderEntries(const QString& folder);

}  // namespace vyper
