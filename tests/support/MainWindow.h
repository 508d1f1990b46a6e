#pragma once
// The main window on the fakes, with its module at hand: the common start of the tests
// that drive the program's procedures without a real device.

#include <QDir>
#include <QStringList>

#include "support/Fakes.h"
#include "ui/main/frmVyper.h"

namespace vyper::testing {

struct MainWindow {
    TestPlatform p;
    frmVyper w{p.Services()};
    VyperComm& m = w.Module();

    QStringList Lines() const { return w.lstVyperComm->Items(); }
    // The profile files stored so far, by name.
    QStringList ProfileFiles() const { return QDir(m.ProfileFolder).entryList(QDir::Files, QDir::Name); }
};

}  // namespace vyper::testing
