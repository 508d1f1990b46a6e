#include "ui/viewer/DiveOrderReader.h"

#include <QMetaObject>
#include <QPointer>

#include "ui/viewer/DiveSequence.h"

namespace vyper {

DiveOrderReader::DiveOrderReader(const QString& folder, QObject* receiver, std::function<void(QStringList)> done) {
    thread_ = std::jthread([folder, target = QPointer<QObject>(receiver), done = std::move(done)](std::stop_token stop) {
        QStringList order = ReadDiveDateOrder(folder, [&stop] { return stop.stop_requested(); });
        if (stop.stop_requested() || !target) return;
        // Queued to the receiver: a receiver deleted meanwhile drops the call with it.
        QMetaObject::invokeMethod(
            target.data(), [done, order = std::move(order)] { done(order); }, Qt::QueuedConnection);
    });
}

DiveOrderReader::~DiveOrderReader() {
    thread_.request_stop();
    if (thread_.joinable()) thread_.join();
}

}  // namespace vyper
