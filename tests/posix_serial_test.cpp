#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <tuple>

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include "platform/PosixSerialControl.h"

using namespace vyper;

namespace {

// A pseudo-terminal pair: the test plays the device on the master side and the program
// opens the slave path as its serial port. The slave stays open here too, so the master
// never sees a hang-up between opens.
class Pty {
public:
    Pty() {
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&master_, &slaveKeeper_, name, &raw, nullptr) != 0) throw std::runtime_error("openpty failed");
        slavePath_ = QString::fromLocal8Bit(name);
    }
    Pty(const Pty&) = delete;
    ~Pty() {
        ::close(master_);
        ::close(slaveKeeper_);
    }
    const QString& SlavePath() const { return slavePath_; }
    // Writes a few bytes as the device would send them; they always fit into the buffer.
    void Write(const QByteArray& bytes) {
        if (::write(master_, bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size()) {
            throw std::runtime_error("write to the pseudo-terminal failed");
        }
    }

private:
    int master_ = -1, slaveKeeper_ = -1;
    QString slavePath_;
};

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

TEST(LockFile, NamesItsHolderByTheFirstField) {
    const std::pair<const char*, long> cases[] = {
        {"      4242\n", 4242},              // the number alone, padded as most programs write it
        {"4242 minicom anna\n", 4242},       // followed by the program and the user
        {"\t4242\r\n", 4242},
        {"", 0}, {"minicom 4242\n", 0}, {"4242abc\n", 0}, {"-7\n", 0}, {"0\n", 0},
    };
    for (const auto& [text, pid] : cases) EXPECT_EQ(LockFileOwner(QByteArray(text)), pid) << text;
}
