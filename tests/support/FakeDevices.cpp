#include "support/FakeDevices.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

namespace vyper::testing {

FakeDeviceFolder::FakeDeviceFolder() { QDir(root_.path()).mkpath(QStringLiteral("dev/serial/by-id")); }

QString FakeDeviceFolder::DevicePath(const QString& name) const { return root_.filePath(QStringLiteral("dev/") + name); }

QString FakeDeviceFolder::Device(const QString& name) {
    QFile file(DevicePath(name));
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot create the fake device %s", qPrintable(file.fileName()));
    return file.fileName();
}

QString FakeDeviceFolder::Link(const QString& linkName, const QString& target, bool relative) {
    const QDir folder(ByIdFolder());
    const QString link = folder.filePath(linkName);
    const QString pointsTo = relative ? folder.relativeFilePath(target) : target;
    if (::symlink(QFile::encodeName(pointsTo).constData(), QFile::encodeName(link).constData()) != 0) {
        qFatal("cannot create the link %s", qPrintable(link));
    }
    return link;
}

QString FakeDeviceFolder::ByIdFolder() const { return root_.filePath(QStringLiteral("dev/serial/by-id")); }

}  // namespace vyper::testing
