#include "transfer/DiveStorage.h"

#include <limits>

#include "platform/BackgroundFileWriter.h"
#include "platform/Failure.h"
#include "platform/MessageBoxes.h"
#include "transfer/ActivityIndicator.h"
#include "transfer/TransferLogging.h"
#include "transfer/TransferStop.h"
#include "transfer/VyperComm.h"

namespace vyper {

namespace {

// The activity step takes the next dive's number; it is a 16-bit value there.
void ShowActivityForDive(VyperComm& m) {
    if (m.DiveNumber < std::numeric_limits<int16_t>::min() || m.DiveNumber > std::numeric_limits<int16_t>::max()) {
        throw OverflowFailure();
    }
    ShowActivity(m.seams.messages, static_cast<int16_t>(m.DiveNumber));
}

}  // namespace

StorageOutcome ApplyStorageDecision(VyperComm& m, const ProfileTarget& target) {
    const bool exists = m.platform.files.Exists(target.Path);
    switch (DecideStorage(exists, exists && m.seams.storage.OnlyNewDives(), m.seams.storage.Overwrite())) {
    case StorageDecision::Store:
        if (exists) NoteInLog(m, QStringLiteral("Datei gibt es schon, wird überschrieben: ") + target.FileName);
        return StorageOutcome::Store;
    case StorageDecision::StopTransfer:
        NoteInLog(m, QStringLiteral("Datei gibt es schon, nur neue Tauchgänge gewünscht: ") + target.FileName);
        m.seams.messages.AddLineShown(QStringLiteral("Tauchgang übertragen, der bereits gespeichert wurde."));
        ++m.DivesKept;
        StopTransfer(m, TransferEndCause::OnlyNew);
        return StorageOutcome::Stop;
    case StorageDecision::SkipStored:
        NoteInLog(m, QStringLiteral("Datei gibt es schon, nicht überschrieben: ") + target.FileName);
        m.seams.messages.AddItem(QStringLiteral("Dieser Tauchgang wurde bereits abgespeichert:"));
        m.seams.messages.AddLineShown(target.FileName);
        ++m.DivesKept;
        ShowActivityForDive(m);
        return StorageOutcome::Skip;
    case StorageDecision::AskUser:
        break;
    }
    const int answer = m.platform.boxes.Show(OverwriteQuestion(target.FileName),
                                             style::YesNo | style::Question | style::DefaultButton2, kMessageTitle);
    if (answer == answer::Yes) {
        NoteInLog(m, QStringLiteral("Datei gibt es schon, Überschreiben bestätigt: ") + target.FileName);
        return StorageOutcome::Store;
    }
    NoteInLog(m, QStringLiteral("Datei gibt es schon, Überschreiben abgelehnt: ") + target.FileName);
    ++m.DivesKept;
    ShowActivityForDive(m);
    return StorageOutcome::Skip;
}

void StoreDiveShown(VyperComm& m, const DiveRecord& record, const ProfileTarget& target) {
    // A sync can take half a second on a slow card: the file goes to disk beside the window's
    // loop, and the dive is listed once it is in place, as it would be written in the loop.
    BackgroundFileWriter aside(m.platform.files, m.platform.waits);
    const uint32_t generation = m.TransferGeneration;
    const bool active = m.TransferActive;
    StoreDive(aside, m.seams.messages, m.seams.files, record, target);
    // The file is on disk and listed either way; the activity step tells of a transfer going
    // on, so none follows once it was stopped, or another one started, while the file was
    // written.
    if (record.EndedByMarker && m.TransferGeneration == generation && m.TransferActive == active) {
        ShowActivityForDive(m);
    }
}

}  // namespace vyper
