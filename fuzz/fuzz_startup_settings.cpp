// The start-up's checks over arbitrary stored settings: whatever the four stored texts hold,
// the choices that the window is given are ones it can use, or the failure is one that the
// start-up reports in its box.
//
// Input: [three length bytes] then the texts of CommPort/Number, CommPort/Delay,
// CommPort/InterfaceType and Settings/LoadOnlyNewDvies, one after the other (the last takes
// the rest), each as UTF-8.
#include <cstdint>

#include "FuzzSupport.h"
#include "link/StartUpChoices.h"
#include "link/UserChoices.h"
#include "platform/Failure.h"

using namespace vyper;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::InputReader in(data, size);
    const int lengths[3] = {in.Byte(), in.Byte(), in.Byte()};
    const QByteArray rest = in.Rest();
    QString texts[4];
    qsizetype at = 0;
    for (int i = 0; i < 3; ++i) {
        texts[i] = QString::fromUtf8(rest.mid(at, lengths[i]));
        at = std::min(at + lengths[i], rest.size());
    }
    texts[3] = QString::fromUtf8(rest.mid(at));

    const int32_t port = PortNumberFromText(texts[0]);
    if (port < 1 || port > 4) fuzzing::Finding("port number outside 1..4");

    const QString delayText = DelayTextFromStored(texts[1]);
    if (delayText.isEmpty()) fuzzing::Finding("empty delay shown");
    const int32_t delay = CommandDelayFromText(delayText);
    if (delay < 0 || delay > 2000) fuzzing::Finding("command delay outside 0..2000");

    const QStringList entries{kInterfaceSelfBuilt, kInterfaceOriginal};
    const QString entry = InterfaceEntryFromStored(texts[2], entries);
    if (!entries.contains(entry)) fuzzing::Finding("interface entry not in the list");
    if (entry != texts[2] && entry != kInterfaceOriginal) fuzzing::Finding("unknown interface not the original");

    try {
        const int16_t onlyNew = OnlyNewValueFromStored(texts[3]);
        if (onlyNew < 0 || onlyNew > 2) fuzzing::Finding("check box value outside 0..2");
    } catch (const RuntimeFailure&) {
        // Reported by the start-up in its box; the other choices stand.
    }
    return 0;
}
