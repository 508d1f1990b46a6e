#include "ui/logbook/FolderWatch.h"

#include <QFileInfo>

namespace vyper {

FolderWatch::FolderWatch(QString folder, int quietMs, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(quietMs);
    connect(&quiet_, &QTimer::timeout, this, [this] {
        if (OnChange) OnChange();
    });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { Changed(); });
    Arm();
}

void FolderWatch::Changed() {
    // The folder may have come or gone with this change.
    Arm();
    quiet_.start();
}

void FolderWatch::Arm() {
    const bool exists = QFileInfo(folder_).isDir();
    const QString parent = QFileInfo(folder_).absolutePath();
    const QStringList watched = watcher_.directories();
    if (exists && !watched.contains(folder_)) {
        watcher_.addPath(folder_);
        if (watched.contains(parent)) watcher_.removePath(parent);
    } else if (!exists && !watched.contains(parent) && QFileInfo(parent).isDir()) {
        watcher_.addPath(parent);
    }
}

}  // namespace vyper
