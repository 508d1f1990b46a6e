// The receive handler over arbitrary byte streams from the line, in every transfer state
// and for both interfaces, followed by the settings report over whatever the receive
// buffer then holds.
//
// Input: [state/interface/feed byte] [expected-count mode] [mode argument: 4 bytes]
//        [repeat byte] then the bytes that arrive on the line.
#include <algorithm>
#include <cstdint>

#include "FuzzSupport.h"
#include "link/Commands.h"
#include "link/Reception.h"
#include "transfer/ReceivePoll.h"
#include "transfer/SettingsReport.h"

using namespace vyper;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::MainWindowRig& rig = fuzzing::FreshRig();
    VyperComm& m = rig.m();
    rig.platform.serial.SetInputLen(1);

    fuzzing::InputReader in(data, size);
    const uint8_t choice = in.Byte();
    m.DownloadState = static_cast<int16_t>(choice % 3);
    m.InterfaceType = (choice & 0x04) ? 2 : 1;
    const bool throughPoll = (choice & 0x08) != 0;  // the 10 ms poll instead of receive events

    const uint8_t mode = in.Byte();
    const uint32_t argument = in.Dword();
    switch (mode % 4) {
        case 0:  // a profile command ("08 165" / "09 165")
            ExpectProfileAnswer(m);
            break;
        case 1:  // a memory read of `argument` bytes, as the commands send it
            m.ExpectedCount = MemoryReadExpectedCount(m.InterfaceType, static_cast<int16_t>(argument & 0xFF));
            break;
        case 2:  // any count at all
            m.ExpectedCount = static_cast<int32_t>(argument);
            break;
        default:  // bytes that arrive after a reset, before any command
            m.ExpectedCount = 0;
            break;
    }
    // Repeating the stream reaches answers longer than the profile buffer with short inputs.
    // The repeated stream is kept a little longer than the buffers hold. Short packets each
    // add a line to the message list, which costs more per byte; they get fewer bytes.
    int repeats = 1 + in.Byte() % 64;
    const QByteArray stream = in.Rest();
    const qsizetype limit = m.ExpectedCount >= 35 ? 9300 : 400;
    if (!stream.isEmpty()) repeats = static_cast<int>(std::min<qsizetype>(repeats, 1 + limit / stream.size()));

    for (int r = 0; r < repeats; ++r) {
        rig.platform.serial.Receive(stream);
        while (rig.platform.serial.InBufferCount() > 0) {
            if (throughPoll) {
                rig.window->timChkRxDone_Timer();
            } else {
                rig.window->comVyper_OnComm();
            }
        }
    }
    // Events after the queue ran empty change nothing.
    rig.window->comVyper_OnComm();
    rig.window->timChkRxDone_Timer();

    if (m.RxCount < 0 || m.RxCount > kBufferSize) fuzzing::Finding("RxCount outside the receive buffer");
    if (m.ProfileCount < 0 || m.ProfileCount > kBufferSize) fuzzing::Finding("ProfileCount outside the buffer");
    if (m.RxTotal < 0) fuzzing::Finding("byte counter ran backwards");
    for (int32_t i = 0; i < m.ProfileCount; ++i) {
        if (m.ProfileBuffer[i] < 0 || m.ProfileBuffer[i] > 255) fuzzing::Finding("payload element is no byte");
    }

    for (int block = 0; block < 4; ++block) (void)SettingsReportLines(block, m.RxBuffer);
    return 0;
}
