#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <thread>

#include "platform/PosixSerialControl.h"
#include "support/Pty.h"

using namespace vyper;
using vyper::testing::Pty;

namespace {

// A control whose every port number maps to `path`, configured as the program does.
std::unique_ptr<PosixSerialControl> ControlFor(const QString& path) {
    auto control = std::make_unique<PosixSerialControl>([path](int) { return path; });
    control->SetCommPort(2);
    control->SetDTREnable(true);
    control->SetRTSEnable(false);
    control->SetSettings(QStringLiteral("2400,o,8,1"));
    control->SetRThreshold(1);
    control->SetHandshaking(0);
    control->SetInBufferSize(32640);
    control->SetOutBufferSize(128);
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

TEST(PosixSerialControl, SendsInOrderAndCountsBytesThatArrivedWhileTheThreadSlept) {
    Pty pty;
    auto control = ControlFor(pty.SlavePath());
    control->SetPortOpen(true);
    control->SetRTSEnable(true);  // a pseudo-terminal has no modem lines: no failure
    control->Output(QByteArray("\x08\xA5", 2));
    control->Output(QByteArray("\xAD", 1));
    control->SetRTSEnable(false);
    EXPECT_EQ(pty.Read(3), QByteArray("\x08\xA5\xAD", 3));
    pty.Write(QByteArray("\x01\x02\x03\x04\x05", 5));
    // The user-interface thread blocks as a transfer's pause does; no event loop runs.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(control->InBufferCount(), 5);
    // Input takes one byte at a time while InputLen is 1.
    EXPECT_EQ(control->Input(), QByteArray("\x01", 1));
    EXPECT_EQ(control->InBufferCount(), 4);
    EXPECT_EQ(control->Input(), QByteArray("\x02", 1));
    control->SetInputLen(0);
    EXPECT_EQ(control->Input(), QByteArray("\x03\x04\x05", 3));
    EXPECT_EQ(control->InBufferCount(), 0);
    EXPECT_TRUE(control->Input().isEmpty());
}

TEST(PosixSerialControl, KeepsReceivingAfterTheQueueRanEmpty) {
    Pty pty;
    auto control = ControlFor(pty.SlavePath());
    control->SetPortOpen(true);
    for (const char* bytes : {"\x01", "\x02\x03"}) {
        EXPECT_EQ(control->InBufferCount(), 0);  // nothing waits: no hang-up either
        pty.Write(QByteArray(bytes));
        QElapsedTimer clock;
        clock.start();
        while (control->InBufferCount() < static_cast<int>(qstrlen(bytes)) && clock.elapsed() < 2000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_EQ(control->InBufferCount(), static_cast<int>(qstrlen(bytes)));
        control->SetInputLen(0);
        EXPECT_EQ(control->Input(), QByteArray(bytes));
    }
}

TEST(PosixSerialControl, DeliversReceiveEventsOnTheCallingThreadThroughTheEventLoop) {
    Pty pty;
    auto control = ControlFor(pty.SlavePath());
    int events = 0;
    bool onMainThread = true;
    control->OnComm = [&] {
        ++events;
        onMainThread = onMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
    };
    control->SetPortOpen(true);
    pty.Write(QByteArray("\x10\x20\x30", 3));
    QElapsedTimer clock;
    clock.start();
    while (events < 3 && clock.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_GE(events, 3);
    EXPECT_TRUE(onMainThread);
}

TEST(PosixSerialControl, OpeningFailsDistinguishably) {
    Pty pty;
    auto first = ControlFor(pty.SlavePath());
    first->SetPortOpen(true);
    EXPECT_EQ(OpenFailureKind(*first), SerialFailureKind::AlreadyOpen);
    // The port number cannot change while the port is open.
    EXPECT_THROW(first->SetCommPort(3), SerialFailure);

    auto second = ControlFor(pty.SlavePath());
    EXPECT_EQ(OpenFailureKind(*second), SerialFailureKind::PortBusy);
    first->SetPortOpen(false);
    second->SetPortOpen(true);  // free again once the first has closed it
    EXPECT_TRUE(second->PortOpen());

    auto missing = ControlFor(QStringLiteral("/dev/does-not-exist-vyper"));
    try {
        missing->SetPortOpen(true);
        ADD_FAILURE() << "missing device opened";
    } catch (const SerialFailure& f) {
        EXPECT_EQ(f.Kind(), SerialFailureKind::PortMissing);
        EXPECT_EQ(f.DevicePath(), QStringLiteral("/dev/does-not-exist-vyper"));
    }

    auto notSerial = ControlFor(QStringLiteral("/dev/null"));
    EXPECT_EQ(OpenFailureKind(*notSerial), SerialFailureKind::Other);
    EXPECT_FALSE(notSerial->PortOpen());
}

TEST(PosixSerialControl, ClosedPortIsHarmlessToCloseAndCountsNothing) {
    Pty pty;
    auto control = ControlFor(pty.SlavePath());
    control->SetPortOpen(false);
    EXPECT_EQ(control->InBufferCount(), 0);
    try {
        control->Output(QByteArray("\x01", 1));
        ADD_FAILURE() << "a closed port sent";
    } catch (const SerialFailure& f) {
        EXPECT_EQ(f.Kind(), SerialFailureKind::NotOpen);
    }
    control->SetPortOpen(true);
    pty.Write(QByteArray("\x07", 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    control->SetPortOpen(false);
    EXPECT_EQ(control->InBufferCount(), 0);  // closing discards what waited
    control->SetPortOpen(false);
}

TEST(PosixSerialControl, AVanishedDeviceFailsTheNextWriteButKeepsWhatArrived) {
    auto pty = std::make_unique<Pty>();
    auto control = ControlFor(pty->SlavePath());
    control->SetPortOpen(true);
    pty->Write(QByteArray("\x11\x22", 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pty->CloseMaster();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(control->InBufferCount(), 2);
    EXPECT_EQ(control->Input(), QByteArray("\x11", 1));
    EXPECT_THROW(control->Output(QByteArray("\x08", 1)), SerialFailure);
    control->SetPortOpen(false);
}
