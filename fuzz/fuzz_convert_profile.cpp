// The dive conversion over arbitrary answers: any bytes, any count up to and past the
// buffer's end, answers marked overlong, every overwrite policy, the only-new-dives box and
// any answers to the overwrite question. Each answer is converted twice, so that the second
// conversion meets the file the first one wrote. Files go to a temporary profile folder
// that is emptied for every input.
//
// Input: [options byte] [box answers byte] [count mode byte] [count: 2 bytes]
//        [dive number: 4 bytes] then the answer's bytes.
#include <QDir>
#include <QFileInfo>
#include <cstdint>

#include "FuzzSupport.h"
#include "platform/MessageBoxes.h"
#include "transfer/ConvertProfileBuffer.h"

using namespace vyper;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::MainWindowRig& rig = fuzzing::FreshRig();
    VyperComm& m = rig.m();

    fuzzing::InputReader in(data, size);
    const uint8_t options = in.Byte();
    switch (options % 3) {
        case 0: rig.window->optNever->SetValue(true); break;
        case 1: rig.window->optAsk->SetValue(true); break;
        default: rig.window->optAlways->SetValue(true); break;
    }
    rig.window->chkAbortWhenOldDive->SetValue((options & 0x04) ? 1 : 0);
    m.DownloadState = (options & 0x08) ? 2 : 0;
    const bool overlong = (options & 0x10) != 0;

    const uint8_t answers = in.Byte();
    for (int i = 0; i < 8; ++i) {
        rig.platform.boxes.answers.push_back(((answers >> i) & 1) ? answer::Yes : answer::No);
    }

    const uint8_t countMode = in.Byte();
    const uint16_t countArgument = in.Word();
    const uint32_t diveNumber = in.Dword();
    m.DiveNumber = static_cast<int32_t>(diveNumber);

    const QByteArray bytes = in.Rest();
    const int32_t held = static_cast<int32_t>(std::min<qsizetype>(bytes.size(), kBufferSize));
    for (int32_t i = 0; i < held; ++i) m.ProfileBuffer[i] = static_cast<uint8_t>(bytes[i]);

    int32_t count = held;
    switch (countMode % 4) {
        case 0: break;                                                  // as many bytes as arrived
        case 1: count = countArgument % (kBufferSize + 1); break;       // any count the buffer holds
        case 2: count = kBufferSize + countArgument % 64; break;        // past the buffer's end
        default: count = static_cast<int32_t>(diveNumber); break;       // any count at all
    }

    for (int pass = 0; pass < 2; ++pass) {
        m.ProfileCount = count;
        m.ProfileOverlong = overlong;
        ConvertProfileBuffer(m);
    }

    // Every file listed as written must exist, in the profile folder.
    for (int i = 0; i < rig.window->lstFiles->ListCount(); ++i) {
        const QString name = rig.window->lstFiles->item(i)->text();
        if (!QFileInfo::exists(QDir(m.ProfileFolder).filePath(name))) fuzzing::Finding("listed file was not written");
    }
    return 0;
}
