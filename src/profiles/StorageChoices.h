#pragma once
#include <QString>

namespace vyper {

// What the user chose for a dive that is stored already.
enum class OverwritePolicy { Never, Ask, Always };

// The storage choices as they stand now (the user may change them during a download, and
// every dive is judged by them as they are when it arrives). The main window implements it.
class StorageChoices {
public:
    virtual ~StorageChoices() = default;
    // "Nur neue Tauchgänge laden" is checked.
    virtual bool OnlyNewDives() const = 0;
    virtual OverwritePolicy Overwrite() const = 0;
};

// Where the profiles go: set at start-up, then only read.
struct StorageSettings {
    QString ProfileFolder;
};

}  // namespace vyper
