#pragma once
#include <QString>
#include <QTemporaryDir>

namespace vyper::testing {

// A stand-in for /dev in a temporary folder: empty files as device files and a folder of
// symbolic links like /dev/serial/by-id, so that no test looks at the machine's devices.
class FakeDeviceFolder {
public:
    FakeDeviceFolder();
    // Creates the device file `name` (e.g. "ttyUSB0") and returns its path.
    QString Device(const QString& name);
    // The path device `name` has, whether or not it was created.
    QString DevicePath(const QString& name) const;
    // Creates the link `linkName` in ByIdFolder() leading to `target` (relative, as the
    // system makes them, when `relative`) and returns the link's path.
    QString Link(const QString& linkName, const QString& target, bool relative = true);
    QString ByIdFolder() const;

private:
    QTemporaryDir root_;
};

}  // namespace vyper::testing
