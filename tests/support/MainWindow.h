#pragma once
// The main window on the fakes, with its module at hand: the common start of the tests
// whose subject is the window.

#include "platform/AppInfo.h"
#include "support/Fakes.h"
#include "ui/main/frmVyper.h"

namespace vyper::testing {

struct MainWindow {
    TestPlatform p;
    frmVyper w{p.Services()};
    VyperComm& m = w.Module();

    // Writes a profile file into the folder and lists it, as a download does.
    void Store(const QString& name, const QByteArray& bytes) {
        WriteAll(JoinPath(m.ProfileFolder, name), bytes);
        w.lstFiles->AddItem(name);
    }
};

}  // namespace vyper::testing
