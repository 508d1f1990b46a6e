#include "cli/TransferRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "cli/ConsoleSeams.h"
#include "cli/GuardedFileWriter.h"
#include "cli/ProgressLine.h"
#include "platform/PosixSerialControl.h"
#include "platform/SerialDevices.h"
#include "platform/Timer.h"
#include "platform/Waits.h"
#include "profiles/ProfileStorage.h"
#include "transfer/ReceivePoll.h"
#include "transfer/TransferControl.h"
#include "transfer/TransferLogging.h"
#include "transfer/TransferStop.h"
#include "transfer/VyperComm.h"

namespace vyper::cli {

namespace {

// How often the progress line on a terminal is redrawn at most while bytes come, and at
// least while none come (its seconds go on).
constexpr int kRedrawMs = 100;
constexpr int kTickMs = 1000;

}  // namespace

TransferOutcome RunTransfer(const TransferSetup& setup, SettingsStore& settings, Console& console,
                            SignalStop& stop) {
    TransferOutcome out;
    out.kind = setup.kind;
    const bool download = setup.kind == TransferKind::Download;
    if (SignalStop::Requested()) {
        out.interrupted = true;
        return out;
    }
    if (download && !QDir().mkpath(setup.profileFolder)) {
        out.folderFailed = true;
        console.Err(QStringLiteral("Der Profilordner %1 kann nicht angelegt werden.").arg(setup.profileFolder));
        return out;
    }

    const QString device = setup.choices.devicePath;
    PosixSerialControl serial([device](int) { return device; });
    SystemWaits waits;
    AtomicFileWriter atomic;
    GuardedFileWriter files(atomic);
    PrintedBoxes boxes([&console](const QString& text) { console.Err(text); });
    LineSink messages([&](const QString& line) {
        out.reportLines << line;
        if (download) console.Err(line);
        else if (!setup.json) console.Out(line);
    });
    LineSink fileList([&](const QString& name) {
        const QString path = JoinPath(setup.profileFolder, name);
        out.storedPaths << path;
        if (!setup.json) console.Out(path);
    });
    FixedRunChoices choices(setup.choices);
    CountersKept counters;
    Timer control;
    Timer poll;
    const Platform platform{serial, settings, boxes, waits, files, setup.app, PresentSerialDeviceChoices, setup.log};
    VyperComm m(platform, CoreSeams{messages, fileList, counters, choices, choices, choices, control, poll});
    m.ProfileFolder = setup.profileFolder;

    // The core looks at a dive's file just before it decides; a stored dive that is kept is
    // the one the decision skips, or the one that stops a download of new dives only (as the
    // result line counts them).
    files.onExisting = [&](const QString& path) {
        const StorageDecision decision = DecideStorage(true, choices.OnlyNewDives(), choices.Overwrite());
        if (decision == StorageDecision::SkipStored || decision == StorageDecision::StopTransfer) out.skippedPaths << path;
    };

    QElapsedTimer clock;
    clock.start();
    int64_t drawnAt = -kRedrawMs;
    auto showProgress = [&](bool milestone) {
        drawnAt = clock.elapsed();
        console.Progress(ProgressLine(counters.dives, counters.bytes, drawnAt), milestone);
    };
    counters.onChange = [&](bool diveChanged) {
        if (download && (diveChanged || clock.elapsed() - drawnAt >= kRedrawMs)) showProgress(diveChanged);
    };
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] { showProgress(false); });

    QEventLoop loop;
    // A transfer ends inside a tick; the loop ends once that tick is over.
    std::function<void()> finishWhenIdle = [&] {
        if (m.InTick) QTimer::singleShot(10, &loop, finishWhenIdle);
        else loop.quit();
    };
    m.OnTransferActiveChanged = [&](bool active) {
        if (!active) QTimer::singleShot(0, &loop, finishWhenIdle);
    };
    stop.OnFirst = [&] {
        out.interrupted = true;
        if (m.TransferActive) cmdStop_Click(m);
        else loop.quit();
    };
    control.OnTimer = [&] { timDownLoadCtrl_Timer(m); };
    poll.OnTimer = [&] { timChkRxDone_Timer(m); };
    m.comVyper().OnComm = [&] { comVyper_OnComm(m); };

    if (download) cmdDownload_Click(m);
    else cmdGetVyperSettings_Click(m);
    if (m.TransferActive) {
        if (download) {
            showProgress(false);
            ticker.start(kTickMs);
        }
        loop.exec();
        ticker.stop();
        if (download) {
            showProgress(true);
            console.EndProgress();
        }
    } else {
        out.portFailed = true;
    }

    stop.OnFirst = nullptr;
    m.comVyper().OnComm = nullptr;
    control.SetInterval(0);
    poll.SetInterval(0);
    m.OnTransferActiveChanged = nullptr;

    out.failed = !out.portFailed && TransferFailed(download ? 2 : 1, m.LastEndCause, m);
    out.logPath = setup.log != nullptr ? setup.log->Path() : QString();
    out.boxes = boxes.texts;
    out.fileFailures = files.failures;
    out.lost = m.LostDives;
    out.lineDisturbed = m.LineDisturbed;
    out.bytes = m.RxTotal;
    out.divesRead = m.DivesConverted;
    out.divesStored = m.DivesStored;
    out.errors = m.ErrorCount;
    out.settingsBlocksRead = m.SettingsStep;
    out.settingsBlocksMissing = m.SettingsBlocksMissing;
    return out;
}

}  // namespace vyper::cli
