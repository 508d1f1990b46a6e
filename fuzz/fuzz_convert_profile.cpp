// The dive conversion over arbitrary answers: any bytes, any count up to and past the
// buffer's end, answers marked overlong, damaged or cut, every overwrite policy, the
// only-new-dives stop, any answers to the overwrite question and a full disk. Each answer is
// converted twice, so that the second conversion meets the file the first one wrote.
//
// Input: [options byte] [box answers byte] [count mode byte] [count: 2 bytes]
//        [dive number: 4 bytes] then the answer's bytes.
#include <algorithm>
#include <cstdint>

#include "FuzzCore.h"
#include "FuzzSupport.h"
#include "platform/MessageBoxes.h"
#include "transfer/ConvertProfileBuffer.h"

using namespace vyper;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::InputCore core;
    VyperComm& m = core->m;

    fuzzing::InputReader in(data, size);
    const uint8_t options = in.Byte();
    switch (options % 3) {
        case 0: core->choices.overwrite = OverwritePolicy::Never; break;
        case 1: core->choices.overwrite = OverwritePolicy::Ask; break;
        default: core->choices.overwrite = OverwritePolicy::Always; break;
    }
    core->choices.onlyNew = (options & 0x04) != 0;
    m.DownloadState = (options & 0x08) ? 2 : 0;
    m.TransferActive = m.DownloadState != 0;
    const bool overlong = (options & 0x10) != 0;
    const bool damaged = (options & 0x20) != 0;
    const bool ended = (options & 0x40) == 0;
    core->fileStore.diskFull = (options & 0x80) != 0;
    core->boxes.yesBits = in.Byte();

    const uint8_t countMode = in.Byte();
    const uint16_t countArgument = in.Word();
    const uint32_t diveNumber = in.Dword();
    m.DiveNumber = static_cast<int32_t>(diveNumber);

    const QByteArray bytes = in.Rest();
    const int32_t held = static_cast<int32_t>(std::min<qsizetype>(bytes.size(), kBufferSize));
    for (int32_t i = 0; i < held; ++i) m.ProfileBuffer[i] = static_cast<uint8_t>(bytes[i]);

    // Mostly as many bytes as arrived, or a few more. A count far beyond them makes a dive of
    // thousands of zero bytes, whose file takes long to build: one input in 128.
    int32_t count = held;
    if (countMode % 16 == 6) {
        count = std::min<int32_t>(held + countArgument % 64, kBufferSize);  // a little beyond
    } else if (countMode == 0xF7) {
        count = countArgument % (kBufferSize + 1);  // any count the buffer holds
    } else if (countMode == 0xFF) {
        count = (countArgument & 1) ? kBufferSize + countArgument % 64  // past the buffer's end
                                    : static_cast<int32_t>(diveNumber);  // any count at all
    }

    for (int pass = 0; pass < 2; ++pass) {
        m.ProfileCount = count;
        m.ProfileOverlong = overlong;
        m.ProfileDamaged = damaged;
        m.ProfileAnswerEnded = ended;
        m.ProfileLastPacketLength = ended ? std::max(count, 0) % 32 : 0;
        ConvertProfileBuffer(m);
    }

    // Every file listed as stored lies in the profile folder, whole; and nothing lies there
    // that was not listed.
    for (const QString& name : core->files.lines) {
        const auto file = core->fileStore.files.find(m.ProfileFolder + QLatin1Char('/') + name);
        if (file == core->fileStore.files.end()) fuzzing::Finding("listed file was not written");
        if (!file->second.endsWith("\r\n")) fuzzing::Finding("stored file does not end with its line end");
    }
    if (core->fileStore.files.size() > static_cast<std::size_t>(core->files.lines.size())) {
        fuzzing::Finding("a file was written that the list does not name");
    }
    if (m.DivesStored > m.DiveAnswers) fuzzing::Finding("more dives stored than answered");
    if (core->fileStore.diskFull && m.DivesStored != 0) fuzzing::Finding("a dive counted as stored on a full disk");
    return 0;
}
