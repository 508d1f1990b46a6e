#include "FuzzSupport.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>

#include "link/Reception.h"
#include "transfer/ReceivePoll.h"

namespace vyper::fuzzing {

void EnsureApplication() {
    // Never destroyed: at exit the fuzzer's own teardown runs after Qt's, and a destroyed
    // application would take down windows that still exist.
    static QApplication* app = nullptr;
    if (app != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vyper-fuzz";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
}

uint8_t InputReader::Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

uint16_t InputReader::Word() {
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | (Byte() << 8));
}

uint32_t InputReader::Dword() {
    const uint32_t low = Word();
    return low | (static_cast<uint32_t>(Word()) << 16);
}

QByteArray InputReader::Rest() {
    QByteArray out(reinterpret_cast<const char*>(data_ + pos_), static_cast<qsizetype>(size_ - pos_));
    pos_ = size_;
    return out;
}

MainWindowRig::MainWindowRig() {
    EnsureApplication();
    window = std::make_unique<frmVyper>(platform.Services());
    // No timer may fire between inputs: the fuzzer drives every handler itself.
    window->timChkRxDone->SetInterval(0);
    window->timDownLoadCtrl->SetInterval(0);
}

void MainWindowRig::Reset() {
    // Widgets post events (layout, updates) that only a message loop delivers; without one
    // they would pile up from input to input.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    VyperComm& mod = m();
    window->lstVyperComm->clear();
    window->lstFiles->clear();
    window->timDownLoadCtrl->SetInterval(0);
    mod.RxBuffer.fill(0);
    mod.ProfileBuffer.fill(0);
    ResetRxState(mod);
    mod.RxTotal = 0;
    mod.DownloadState = 0;
    mod.SettingsStep = 0;
    mod.DiveNumber = 1;
    mod.ErrorCount = 0;
    mod.DivesConverted = 0;
    mod.InTick = false;
    mod.PollHeldControlTimer = false;
    mod.PollHoldGivenUp = false;
    mod.PollHeldSince = -1;
    mod.TransferActive = false;
    mod.WaitOutcome = WaitEnd::Quiet;
    mod.DiveAnswers = 0;
    mod.DivesStored = 0;
    mod.LostDives.clear();
    mod.LineDisturbed = false;
    mod.SettingsBlocksMissing = 0;
    mod.MemoryReadLength = 0;

    platform.serial.sent.clear();
    platform.serial.writes.clear();
    platform.serial.rtsHistory.clear();
    platform.boxes.shown.clear();
    platform.boxes.answers.clear();
    platform.waits.sleeps.clear();
    if (platform.serial.PortOpen()) platform.serial.SetPortOpen(false);
    platform.serial.SetPortOpen(true);

    QDir folder(mod.ProfileFolder);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) folder.remove(name);
}

MainWindowRig& SharedRig() {
    static MainWindowRig* rig = new MainWindowRig();  // lives as long as the application
    return *rig;
}

MainWindowRig& FreshRig() {
    MainWindowRig& rig = SharedRig();
    rig.Reset();
    return rig;
}

void Finding(const char* what) {
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::abort();
}

}  // namespace vyper::fuzzing

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vyper::fuzzing::EnsureApplication();
    return 0;
}
