// Whole transfers, settings reads and dive downloads, over an arbitrary line: the control
// timer's ticks, the receive poll, the waits on a clock that moves only by the pauses, a
// device that answers every command with the next piece of the input (at once or a few
// bytes at a time), optionally echoing what it hears, a device that goes away, a Stop in
// the middle, and every choice the user has. Whatever the line brings, the transfer ends,
// closes the port, and lists exactly the files it stored.
//
// Input: [options byte] [line byte] [error limit byte] [dive count byte] [box answers byte]
//        [event index byte] then the answers: each a header byte (length in the low six
//        bits, bit 6: four times as long, bit 7: trickled) followed by its bytes.
#include <cstdint>

#include "FuzzCore.h"
#include "FuzzSupport.h"
#include "link/UserChoices.h"
#include "transfer/ReceivePoll.h"
#include "transfer/TransferControl.h"
#include "transfer/TransferStop.h"

using namespace vyper;

namespace {

// The bytes the device sends, piece by piece: one piece per command it hears.
class DeviceScript {
public:
    explicit DeviceScript(const QByteArray& script) : script_(script) {}
    // The next answer, and whether it comes a few bytes at a time.
    QByteArray Next(bool& trickled) {
        trickled = false;
        if (at_ >= script_.size()) return {};
        const uint8_t header = static_cast<uint8_t>(script_[at_++]);
        qsizetype length = header & 0x3F;
        if (header & 0x40) length *= 4;
        trickled = (header & 0x80) != 0;
        const QByteArray piece = script_.mid(at_, length);
        at_ += piece.size();
        return piece;
    }

private:
    QByteArray script_;
    qsizetype at_ = 0;
};

constexpr int kTickLimit = 400;
constexpr int kTrickleBytes = 3;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputCore core;
    VyperComm& m = core->m;
    fuzzing::FuzzSerial& port = core->serial;
    fuzzing::InputReader in(data, size);

    const uint8_t options = in.Byte();
    const bool settingsRead = options & 0x01;
    core->choices.interfaceText = (options & 0x02) ? kInterfaceSelfBuilt : kInterfaceOriginal;
    core->choices.onlyNew = options & 0x04;
    const OverwritePolicy policies[] = {OverwritePolicy::Never, OverwritePolicy::Ask, OverwritePolicy::Always,
                                        OverwritePolicy::Never};
    core->choices.overwrite = policies[(options >> 3) & 0x03];
    port.failNextOpen = options & 0x20;
    const bool loseDevice = options & 0x40;
    const bool clickStop = options & 0x80;

    const uint8_t line = in.Byte();
    const bool echo = line & 0x01;              // the self-built cable hears itself
    const bool receiveEvents = !(line & 0x02);  // the serial layer announces what arrives
    const QString delays[] = {QStringLiteral("0"), QStringLiteral("350"), QStringLiteral("2000"), QString()};
    core->choices.delayText = delays[(line >> 2) & 0x03];
    const uint8_t limit = in.Byte();
    core->choices.errorLimitText = limit < 200 ? QString::number(limit % 10) : QStringLiteral("x");
    const uint8_t dives = in.Byte();
    core->choices.diveCountText = dives < 128 ? QStringLiteral("Alle") : QString::number(dives % 8);
    core->boxes.yesBits = in.Byte() * 0x01010101u;
    const int eventAt = in.Byte();

    DeviceScript device(in.Rest());
    QByteArray trickle;
    int writes = 0;
    int pauses = 0;
    const auto deliverEvents = [&] {
        if (!trickle.isEmpty()) {
            port.Receive(trickle.left(kTrickleBytes));
            trickle.remove(0, kTrickleBytes);
        }
        if (receiveEvents) {
            while (port.InBufferCount() > 0) comVyper_OnComm(m);
        }
    };
    port.onOutput = [&](const QByteArray& bytes) {
        if (echo) port.Receive(bytes);
        if (loseDevice && ++writes == eventAt) port.lost = true;
    };
    port.onCommandSent = [&] {
        bool trickled = false;
        const QByteArray answer = device.Next(trickled);
        if (trickled) trickle += answer;
        else port.Receive(answer);
    };
    core->waits.onPause = [&] {
        if (clickStop && ++pauses == eventAt) cmdStop_Click(m);
        deliverEvents();
    };
    core->waits.onDoEvents = deliverEvents;

    if (settingsRead) cmdGetVyperSettings_Click(m);
    else cmdDownload_Click(m);
    const bool started = m.TransferActive;

    // Between ticks the message loop runs: the receive poll every 10 ms, the control timer
    // every 100 ms.
    int ticks = 0;
    for (int step = 0; m.TransferActive && ticks < kTickLimit; ++step) {
        core->waits.now += 10;
        deliverEvents();
        if (core->poll.interval > 0) timChkRxDone_Timer(m);
        if (step % 10 == 9 && core->control.interval > 0) {
            timDownLoadCtrl_Timer(m);
            ++ticks;
        }
        if (core->control.interval == 0 && core->poll.interval == 0 && m.TransferActive) {
            fuzzing::Finding("transfer stands still: no timer runs, yet it counts as running");
        }
    }

    if (m.TransferActive) fuzzing::Finding("transfer never ended");
    if (port.PortOpen()) fuzzing::Finding("port left open after the transfer ended");
    if (started && core->counters.errors != m.ErrorCount) fuzzing::Finding("error count shown is not the one counted");
    if (core->boxes.others > 1) fuzzing::Finding("more than one message box about one transfer");
    for (const QString& name : core->files.lines) {
        if (!core->fileStore.Exists(m.ProfileFolder + QLatin1Char('/') + name)) {
            fuzzing::Finding("listed file was not written");
        }
    }
    if (core->fileStore.files.size() > static_cast<std::size_t>(core->files.lines.size())) {
        fuzzing::Finding("a file was written that the list does not name");
    }
    if (core->messages.lines.contains(QStringLiteral("OK.")) && m.SettingsBlocksMissing != 0) {
        fuzzing::Finding("OK. after a settings read that missed blocks");
    }
    return 0;
}
