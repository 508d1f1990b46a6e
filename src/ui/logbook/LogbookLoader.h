#pragma once
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

#include "ui/logbook/FolderScan.h"

namespace vyper {

// Reads the profile folder in a thread of its own, pass after pass, and hands the results
// to the thread that made it, batch by batch, through its message loop.
class LogbookLoader : public QObject {
public:
    // `known` is asked at the start of every pass for the names already read and their
    // modification times; OnBatch gets every batch, OnPassDone the names found by a pass.
    LogbookLoader(QString folder, int batchSize, std::function<QHash<QString, QDateTime>()> known,
                  QObject* parent = nullptr);
    // Stops a pass in progress and waits for the thread; no callback follows.
    ~LogbookLoader() override;

    // Starts a pass; during one, one more is started after it (however often this is called).
    void Rescan();
    // Whether a pass runs or waits to run.
    bool Busy() const { return running_ || again_; }

    std::function<void(LogbookBatch&&)> OnBatch;
    std::function<void(const QStringList&)> OnPassDone;

private:
    void Start();
    void Finished(const QStringList& names);

    const QString folder_;
    const int batchSize_;
    std::function<QHash<QString, QDateTime>()> known_;
    std::atomic<bool> stop_{false};
    QThread thread_;
    std::unique_ptr<QObject> worker_;  // lives in thread_: the context of the passes
    bool running_ = false;
    bool again_ = false;
};

}  // namespace vyper
