#include "ui/logbook/LogbookLoader.h"

namespace vyper {

LogbookLoader::LogbookLoader(QString folder, int batchSize, std::function<QHash<QString, QDateTime>()> known,
                             QObject* parent)
    : QObject(parent),
      folder_(std::move(folder)),
      batchSize_(batchSize),
      known_(std::move(known)),
      worker_(std::make_unique<QObject>()) {
    worker_->moveToThread(&thread_);
    thread_.start();
}

LogbookLoader::~LogbookLoader() {
    stop_ = true;
    thread_.quit();
    thread_.wait();
    // Results still queued for this object are dropped with it.
}

void LogbookLoader::Rescan() {
    if (running_) {
        again_ = true;
        return;
    }
    Start();
}

void LogbookLoader::Start() {
    running_ = true;
    again_ = false;
    // Taken now, after the previous pass's results have all been handed over.
    QHash<QString, QDateTime> known = known_ ? known_() : QHash<QString, QDateTime>();
    QMetaObject::invokeMethod(
        worker_.get(),
        [this, known = std::move(known)] {
            const auto deliver = [this](LogbookBatch&& batch) {
                QMetaObject::invokeMethod(
                    this,
                    [this, batch = std::move(batch)]() mutable {
                        if (OnBatch) OnBatch(std::move(batch));
                    },
                    Qt::QueuedConnection);
            };
            const std::optional<QStringList> names = ScanLogbookFolder(folder_, known, batchSize_, stop_, deliver);
            if (!names) return;  // stopped: the window is going
            QMetaObject::invokeMethod(this, [this, names = *names] { Finished(names); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void LogbookLoader::Finished(const QStringList& names) {
    running_ = false;
    if (OnPassDone) OnPassDone(names);
    if (again_) Start();
}

}  // namespace vyper
