#pragma once
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace vyper {

// Watches a folder for files coming, going and being replaced, and reports a change once
// the folder has been quiet for a while, so that a download writing many files causes one
// report rather than one per file. While the folder does not exist, its parent is watched
// so that its creation is noticed.
class FolderWatch : public QObject {
public:
    FolderWatch(QString folder, int quietMs, QObject* parent = nullptr);

    // Called once the folder has been quiet for `quietMs` after a change.
    std::function<void()> OnChange;

private:
    void Changed();
    // Watches the folder when it exists, else its parent.
    void Arm();

    const QString folder_;
    QFileSystemWatcher watcher_;
    QTimer quiet_;
};

}  // namespace vyper
