// Start-up over arbitrary stored settings: the four stored texts go into a settings store,
// the main window is built from it (and its start-up runs), then closed, which stores the
// settings again. Whatever was stored, the window must come up with choices it can use.
//
// Input: [presence byte] [three length bytes] then the texts of CommPort/Number,
// CommPort/Delay, CommPort/InterfaceType and Settings/LoadOnlyNewDvies, one after the
// other (the last takes the rest), each as UTF-8.
#include <QCoreApplication>
#include <cstdint>

#include "FuzzSupport.h"
#include "link/UserChoices.h"

using namespace vyper;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::InputReader in(data, size);
    const uint8_t present = in.Byte();
    const int lengths[3] = {in.Byte(), in.Byte(), in.Byte()};
    const QByteArray rest = in.Rest();
    QString texts[4];
    qsizetype at = 0;
    for (int i = 0; i < 3; ++i) {
        texts[i] = QString::fromUtf8(rest.mid(at, lengths[i]));
        at = std::min(at + lengths[i], rest.size());
    }
    texts[3] = QString::fromUtf8(rest.mid(at));

    testing::TestPlatform platform;
    const QString keys[4][2] = {{QStringLiteral("CommPort"), QStringLiteral("Number")},
                                {QStringLiteral("CommPort"), QStringLiteral("Delay")},
                                {QStringLiteral("CommPort"), QStringLiteral("InterfaceType")},
                                {QStringLiteral("Settings"), QStringLiteral("LoadOnlyNewDvies")}};
    for (int i = 0; i < 4; ++i) {
        if (present & (1 << i)) platform.settings.Save(keys[i][0], keys[i][1], texts[i]);
    }

    {
        frmVyper window(platform.Services());
        VyperComm& m = window.Module();
        if (m.CommPortNumber < 1 || m.CommPortNumber > 4) fuzzing::Finding("port number outside 1..4");
        const int onlyNew = window.chkAbortWhenOldDive->Value();
        if (onlyNew < 0 || onlyNew > 2) fuzzing::Finding("check box value outside 0..2");
        const int delay = CommandDelayFromText(window.txtComDelay->Text());
        if (delay < 0 || delay > 2000) fuzzing::Finding("command delay outside 0..2000");
        if (m.platform.serial.PortOpen()) fuzzing::Finding("port open after start-up");
        window.close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    if (!platform.settings.Contains(QStringLiteral("CommPort"), QStringLiteral("Number"))) {
        fuzzing::Finding("settings not stored at shut-down");
    }
    return 0;
}
