// The receive handler over arbitrary byte streams from the line, in every transfer state
// and for both interfaces, followed by the report of one settings block (picked by the mode
// argument) over whatever the receive buffer then holds.
//
// Input: [state/interface/feed byte] [expected-count mode] [mode argument: 4 bytes]
//        [prefill byte] then the bytes that arrive on the line.
#include <algorithm>
#include <cstdint>

#include "FuzzCore.h"
#include "FuzzSupport.h"
#include "link/Commands.h"
#include "link/Reception.h"
#include "transfer/ReceivePoll.h"
#include "transfer/ReceivePoll.h"
#include "transfer/SettingsReport.h"

using namespace vyper;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputCore core;
    VyperComm& m = core->m;
    fuzzing::FuzzSerial& port = core->serial;
    port.SetInputLen(1);
    port.SetPortOpen(true);

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
    // The buffers' ends are reached without thousands of bytes per input: the answer may
    // find the profile buffer nearly full already (the payload of earlier packets), and a
    // packet expected longer than the receive buffer may be nearly at its end (bytes that
    // came before). Both are states that a long enough stream reaches on its own.
    const uint8_t prefill = in.Byte();
    if (prefill >= 0xC0) {
        const int32_t room = 4 * (prefill & 0x3F);
        m.ProfileCount = kBufferSize - room;
        if (m.ExpectedCount > kBufferSize) m.RxCount = kBufferSize - (prefill & 0x3F);
    }
    const int32_t payloadBefore = m.ProfileCount;  // zeros; only what the stream adds is checked
    port.Receive(in.Rest());
    while (port.InBufferCount() > 0) {
        if (throughPoll) {
            timChkRxDone_Timer(m);
        } else {
            comVyper_OnComm(m);
        }
    }
    // Events after the queue ran empty change nothing.
    comVyper_OnComm(m);
    timChkRxDone_Timer(m);

    if (m.RxCount < 0 || m.RxCount > kBufferSize) fuzzing::Finding("RxCount outside the receive buffer");
    if (m.ProfileCount < 0 || m.ProfileCount > kBufferSize) fuzzing::Finding("ProfileCount outside the buffer");
    if (m.RxTotal < 0) fuzzing::Finding("byte counter ran backwards");
    if (core->counters.bytes != m.RxTotal) fuzzing::Finding("byte counter shown is not the one counted");
    for (int32_t i = payloadBefore; i < m.ProfileCount; ++i) {
        if (m.ProfileBuffer[i] < 0 || m.ProfileBuffer[i] > 255) fuzzing::Finding("payload element is no byte");
    }

    (void)SettingsReportLines(static_cast<int>(argument % 4), m.RxBuffer);
    return 0;
}
