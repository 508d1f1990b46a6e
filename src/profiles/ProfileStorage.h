#pragma once
#include <QString>

#include "platform/FileWriter.h"
#include "platform/MessageSink.h"
#include "profiles/DiveRecord.h"
#include "profiles/StorageChoices.h"

namespace vyper {

// Where a dive's profile file goes: the file name alone and the full path in the folder.
struct ProfileTarget {
    QString FileName;
    QString Path;
};

// The name built from the record's header with the month names of the system's locale.
ProfileTarget ProfileTargetFor(const QString& profileFolder, const DiveRecord& record);

// What to do with a dive, judged by whether its file exists and the user's choices now:
// no such file: Store; "Nur neue Tauchgänge laden": StopTransfer; otherwise by the overwrite
// policy: Never gives SkipStored, Ask gives AskUser, Always gives Store. Pure.
enum class StorageDecision { Store, StopTransfer, SkipStored, AskUser };
StorageDecision DecideStorage(bool fileExists, bool onlyNewDives, OverwritePolicy policy);

// The question for AskUser, naming the file.
QString OverwriteQuestion(const QString& fileName);

// Puts the whole profile file in place through `files` (replacing a file of that name),
// then lists the summary in `messages` and the file name in `fileList`. Throws a
// RuntimeFailure on a file problem before anything is listed; the folder then holds what it
// held before.
void StoreDive(FileWriter& files, MessageSink& messages, MessageSink& fileList, const DiveRecord& record,
               const ProfileTarget& target);

}  // namespace vyper
