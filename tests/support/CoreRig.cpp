#include "support/CoreRig.h"

#include "platform/AppInfo.h"
#include "transfer/TransferControl.h"

namespace vyper::testing {

CoreRig::CoreRig()
    : m(p.Services(), CoreSeams{messages, files, counters, choices, choices, choices, control, poll}) {
    m.ProfileFolder = JoinPath(p.programFolder.path(), QStringLiteral("Tauchprofile"));
    QDir().mkdir(m.ProfileFolder);
}

int CoreRig::RunTicks(int limit) {
    int ticks = 0;
    while (control.interval > 0 && ticks < limit) {
        timDownLoadCtrl_Timer(m);
        ++ticks;
    }
    return ticks;
}

}  // namespace vyper::testing
