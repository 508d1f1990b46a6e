#include "profiles/ProfileStorage.h"

#include <QLocale>
#include <algorithm>
#include <limits>

#include "link/VyperComm.h"
#include "platform/AppInfo.h"
#include "platform/Failure.h"
#include "platform/MessageBoxes.h"
#include "profiles/ProfileNames.h"
#include "profiles/ProfileText.h"
#include "transfer/ActivityIndicator.h"
#include "transfer/TransferStop.h"

namespace vyper {

namespace {

// The activity step takes the next dive's number; it is a 16-bit value there.
void ShowActivityForDive(VyperComm& m) {
    if (m.DiveNumber < std::numeric_limits<int16_t>::min() || m.DiveNumber > std::numeric_limits<int16_t>::max()) {
        throw OverflowFailure();
    }
    ShowActivity(m, static_cast<int16_t>(m.DiveNumber));
}

}  // namespace

ProfileTarget ProfileTargetFor(const VyperComm& m, const DiveRecord& record) {
    ProfileTarget target;
    target.FileName = ProfileFileName(record, QLocale::system());
    target.Path = JoinPath(m.ProfileFolder, target.FileName);
    return target;
}

StorageOutcome DecideStorage(VyperComm& m, const ProfileTarget& target) {
    if (!FileExists(target.Path)) return StorageOutcome::Store;

    if (m.ui.chkAbortWhenOldDive->Value() == 1) {
        m.ui.lstVyperComm->AddLineShown(QStringLiteral("Tauchgang übertragen, der bereits gespeichert wurde."));
        cmdStop_Click(m);
        return StorageOutcome::Stop;
    }
    if (m.ui.optNever->Value()) {
        m.ui.lstVyperComm->AddItem(QStringLiteral("Dieser Tauchgang wurde bereits abgespeichert:"));
        m.ui.lstVyperComm->AddLineShown(target.FileName);
        ShowActivityForDive(m);
        return StorageOutcome::Skip;
    }
    if (m.ui.optAsk->Value()) {
        const QString question = QStringLiteral("Dieser Tauchgang wurde bereits abgespeichert. Soll die Datei ") +
                                 target.FileName + QStringLiteral(" überschrieben werden?");
        const int answer =
            m.platform.boxes.Show(question, style::YesNo | style::Question | style::DefaultButton2, kMessageTitle);
        if (answer == answer::Yes) return StorageOutcome::Store;
        ShowActivityForDive(m);
        return StorageOutcome::Skip;
    }
    return StorageOutcome::Store;
}

void StoreDive(VyperComm& m, const DiveRecord& record, const ProfileTarget& target) {
    // The file is put in place whole before anything tells of it, so a failure leaves the
    // folder and the lists as they were, save for the failure's own line.
    m.platform.files.WriteWhole(target.Path, ProfileHeadBytes(record) + ProfileTailBytes(record));

    ListBox* messages = m.ui.lstVyperComm;
    for (const QString& line : DiveSummaryLines(record)) messages->AddItem(line);
    messages->SelectLast();
    messages->Refresh();

    m.ui.lstFiles->AddLineShown(target.FileName);
    if (record.EndedByMarker) ShowActivityForDive(m);
}

}  // namespace vyper
