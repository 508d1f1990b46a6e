#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <tuple>

#include "platform/PosixSerialControl.h"
#include "support/Pty.h"

using namespace vyper;
using vyper::testing::Pty;

namespace {

// A control whose every port number maps to `path`, configured as the program does.
std::unique_ptr<PosixSerialControl> ControlFor(const QString& path) {
    auto control = std::make_unique<PosixSerialControl>([path](int) { return path; });
    control->SetSettings(QStringLiteral("2400,o,8,1"));
    control->SetRThreshold(1);
    control->SetInputLen(1);
    control->SetInputMode(1);
    return control;
}

SerialFailureKind OpenFailureKind(SerialControl& control) {
    try {
        control.SetPortOpen(true);
    } catch (const SerialFailure& f) {
        return f.Kind();
    }
    ADD_FAILURE() << "open did not fail";
    return SerialFailureKind::Other;
}

}  // namespace

// Sending, receiving a byte at a time and receiving again after the queue ran empty are
// what every exchange of the end-to-end tests does on a pseudo-terminal.
TEST(PosixSerialControl, OpeningFailsDistinguishably) {
    Pty pty;
    auto first = ControlFor(pty.SlavePath());
    first->SetPortOpen(true);
    EXPECT_EQ(OpenFailureKind(*first), SerialFailureKind::AlreadyOpen);
    auto second = ControlFor(pty.SlavePath());
    EXPECT_EQ(OpenFailureKind(*second), SerialFailureKind::PortBusy);
    first->SetPortOpen(false);
    second->SetPortOpen(true);  // free again once the first has closed it
    EXPECT_TRUE(second->PortOpen());

    auto missing = ControlFor(QStringLiteral("/dev/does-not-exist-vyper"));
    EXPECT_EQ(OpenFailureKind(*missing), SerialFailureKind::PortMissing);
    EXPECT_EQ(OpenFailureKind(*ControlFor(QStringLiteral("/dev/null"))), SerialFailureKind::Other);
}

// Every byte that enters the receive queue is announced by one receive event, whichever
// way it entered: the reader thread, a count, or a read that found it. A byte without its
// event would wait unseen while the window waits for the line to fall quiet.
TEST(PosixSerialControl, AnnouncesEveryByteOnceWhateverTookItFromTheDevice) {
    Pty pty;
    auto control = ControlFor(pty.SlavePath());
    int events = 0;
    control->OnComm = [&] { ++events; };
    control->SetPortOpen(true);
    control->SetInputLen(0);
    QByteArray taken;
    pty.Write(QByteArray("\x01\x02\x03\x04\x05\x06", 6));
    QElapsedTimer clock;
    clock.start();
    // Read at once, before the reader thread has passed the bytes on.
    while (taken.size() < 6 && clock.elapsed() < 2000) taken += control->Input();
    EXPECT_EQ(taken, QByteArray("\x01\x02\x03\x04\x05\x06", 6));
    while (events < 6 && clock.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    EXPECT_EQ(events, 6);
}

TEST(LineSettings, ParsesTheFourFieldsAndRefusesOthers) {
    const LineSettings s = ParseLineSettings(QStringLiteral("2400,o,8,1"));
    EXPECT_EQ(std::tuple(s.baud, s.parity, s.dataBits, s.stopBits), std::tuple(2400, 'o', 8, 1));
    for (const char* bad : {"", "2400,o,8", "x,o,8,1", "2400,q,8,1", "2400,o,9,1", "2400,o,8,3"}) {
        EXPECT_THROW(ParseLineSettings(QString::fromLatin1(bad)), RuntimeFailure) << bad;
    }
}
