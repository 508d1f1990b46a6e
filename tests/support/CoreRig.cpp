#include "support/CoreRig.h"

#include "transfer/ReceivePoll.h"
#include "transfer/TransferControl.h"

namespace vyper::testing {

namespace {

Platform WithLog(Platform platform, TransferLog* log) {
    platform.log = log;
    return platform;
}

}  // namespace

CoreRig::CoreRig(TransferLog* log)
    : m(WithLog(p.Services(), log), CoreSeams{messages, files, counters, choices, choices, choices, control, poll}) {
    m.ProfileFolder = JoinPath(p.programFolder.path(), QStringLiteral("Tauchprofile"));
    QDir().mkdir(m.ProfileFolder);
    m.OnTransferActiveChanged = [this](bool active) { activeChanges.push_back(active); };
}

int CoreRig::RunTicks(int limit) {
    int ticks = 0;
    while (control.interval > 0 && ticks < limit) {
        timDownLoadCtrl_Timer(m);
        ++ticks;
    }
    return ticks;
}

void CoreRig::OpenPort(int16_t downloadState, int16_t interfaceType) {
    p.serial.SetInputLen(1);
    p.serial.SetPortOpen(true);
    m.DownloadState = downloadState;
    m.InterfaceType = interfaceType;
}

void CoreRig::Arrive(const QByteArray& bytes) {
    p.serial.Receive(bytes);
    while (p.serial.InBufferCount() > 0) comVyper_OnComm(m);
}

}  // namespace vyper::testing
