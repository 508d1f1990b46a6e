#include "profiles/ProfileStorage.h"

#include <QLocale>

#include "platform/AppInfo.h"
#include "profiles/ProfileNames.h"
#include "profiles/ProfileText.h"

namespace vyper {

ProfileTarget ProfileTargetFor(const QString& profileFolder, const DiveRecord& record) {
    ProfileTarget target;
    target.FileName = ProfileFileName(record, QLocale::system());
    target.Path = JoinPath(profileFolder, target.FileName);
    return target;
}

StorageDecision DecideStorage(bool fileExists, bool onlyNewDives, OverwritePolicy policy) {
    if (!fileExists) return StorageDecision::Store;
    if (onlyNewDives) return StorageDecision::StopTransfer;
    switch (policy) {
    case OverwritePolicy::Never: return StorageDecision::SkipStored;
    case OverwritePolicy::Ask: return StorageDecision::AskUser;
    case OverwritePolicy::Always: break;
    }
    return StorageDecision::Store;
}

QString OverwriteQuestion(const QString& fileName) {
    return QStringLiteral("Dieser Tauchgang wurde bereits abgespeichert. Soll die Datei ") + fileName +
           QStringLiteral(" überschrieben werden?");
}

void StoreDive(FileWriter& files, MessageSink& messages, MessageSink& fileList, const DiveRecord& record,
               const ProfileTarget& target) {
    // The file is put in place whole before anything tells of it, so a failure leaves the
    // folder and the lists as they were, save for the failure's own line.
    files.WriteWhole(target.Path, ProfileHeadBytes(record) + ProfileTailBytes(record));
    for (const QString& line : DiveSummaryLines(record)) messages.AddItem(line);
    messages.SelectLast();
    messages.Refresh();
    fileList.AddLineShown(target.FileName);
}

}  // namespace vyper
