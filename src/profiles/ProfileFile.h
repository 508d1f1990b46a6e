#pragma once
#include <QFile>
#include <QString>

#include "profiles/DiveRecord.h"

namespace vyper {

// The one profile file being written. It is closed by WriteProfileTail and, should
// writing fail or the conversion end early, when the object goes away.
class ProfileFile {
public:
    ProfileFile() = default;
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;
    ~ProfileFile() { Close(); }

    // Creates the file, or truncates it when it exists. Throws a RuntimeFailure with a
    // German description naming the file when it cannot be created.
    void Create(const QString& path);
    // Writes the bytes through to the file; throws a RuntimeFailure (and closes the file)
    // when they cannot all be written.
    void Write(const QByteArray& bytes);
    // Closes the file if it is open; never fails.
    void Close();
    bool IsOpen() const { return file_.isOpen(); }

private:
    QFile file_;
};

// Creates (or truncates) the file at `path` and writes the column header and the profile
// lines; the file stays open. Throws a RuntimeFailure on a file problem.
void WriteProfileHead(ProfileFile& file, const QString& path, const DiveRecord& record);

// Writes the end line and the file summary and closes the file. Throws a RuntimeFailure
// on a file problem; the file is closed then too.
void WriteProfileTail(ProfileFile& file, const DiveRecord& record);

}  // namespace vyper
