#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "link/Commands.h"
#include "link/SerialSession.h"
#include "link/UserChoices.h"
#include "platform/PosixSerialControl.h"
#include "support/Fakes.h"
#include "support/Pty.h"
#include "ui/main/frmVyper.h"

using namespace vyper;
using vyper::testing::Bytes;
using vyper::testing::Pty;
using vyper::testing::TestPlatform;

namespace {

// The main window on a real serial control whose ports all lead to `path`.
struct PtyWindow {
    explicit PtyWindow(const QString& path) : serial([path](int) { return path; }) {}
    Platform Services() { return Platform{serial, p.settings, p.boxes, p.waits, p.Services().app}; }
    TestPlatform p;
    PosixSerialControl serial;
    frmVyper w{Services()};
    VyperComm& m = w.Module();

    void Choose(const QString& interface) {
        w.lstInterfaceType->SetListIndex(static_cast<int>(w.lstInterfaceType->Items().indexOf(interface)));
        w.txtComDelay->SetText(QStringLiteral("0"));
    }
    // Runs the window's message loop (receive events and the poll) until `done` or 5 s.
    template <typename Done>
    bool RunUntil(Done done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 5000) QTest::qWait(5);
        return done();
    }
};

QByteArray WithChecksum(QByteArray bytes) {
    char x = 0;
    for (char c : bytes) x ^= c;
    bytes.append(x);
    return bytes;
}

QByteArray Counting(int length, int first) {
    QByteArray out;
    for (int i = 0; i < length; ++i) out.append(static_cast<char>((first + i * 3) & 0xFF));
    return out;
}

}  // namespace

TEST(LinkOverPty, ADeviceAnswersAMemoryReadAndAProfileRequest) {
    for (const QString& interface : {kInterfaceOriginal, kInterfaceSelfBuilt}) {
        SCOPED_TRACE(interface.toStdString());
        Pty pty;
        PtyWindow t(pty.SlavePath());
        t.Choose(interface);
        OpenCommPort(t.m);
        ASSERT_TRUE(t.serial.PortOpen());
        const bool echo = t.m.InterfaceType == 2;

        // The device: when the checksum byte has gone out, read the command and answer it,
        // behind the echo of the command when the interface echoes.
        QByteArray answer;
        int commandLength = 0;
        QByteArray command;
        t.p.waits.onSleep = [&](int ms) {
            if (ms != 100) return;
            command = pty.Read(commandLength);
            pty.Write((echo ? command : QByteArray()) + answer);
        };

        const QByteArray memory = Counting(32, 0x20);
        const QByteArray reply = WithChecksum(Bytes({0x05, 0x00, 0x20, 0x20}) + memory);
        answer = reply;
        commandLength = 5;
        t.m.DownloadState = 1;
        SendMemoryRead(t.m, 32, 32);
        EXPECT_EQ(command, Bytes({0x05, 0x00, 0x20, 0x20, 0x05}));
        ASSERT_TRUE(t.RunUntil([&] { return t.m.RxTotal == 34; }));
        QByteArray rx;
        for (int i = 0; i < 37; ++i) rx.append(static_cast<char>(t.m.RxBuffer[i]));
        EXPECT_EQ(rx, reply);

        const QByteArray full = Counting(32, 1), rest = Counting(12, 99);
        answer = WithChecksum(Bytes({0x01, 32}) + full) + WithChecksum(Bytes({0x01, 12}) + rest);
        commandLength = 3;
        t.m.DownloadState = 2;
        SendProfileStart(t.m);
        EXPECT_EQ(command, Bytes({0x08, 0xA5, 0xAD}));
        ASSERT_TRUE(t.RunUntil([&] { return t.m.ProfileCount == 44 && t.serial.InBufferCount() == 0; }));
        QByteArray profile;
        for (int i = 0; i < t.m.ProfileCount; ++i) profile.append(static_cast<char>(t.m.ProfileBuffer[i]));
        EXPECT_EQ(profile, full + rest);
        const QStringList lines = t.w.lstVyperComm->Items().mid(3);
        EXPECT_EQ(lines, (QStringList{echo ? "38 Zeichen empfangen. CRC OK" : "35 Zeichen empfangen. CRC OK",
                                      "15 Zeichen empfangen. CRC OK"}));
        EXPECT_TRUE(t.p.boxes.shown.empty());
        t.serial.SetPortOpen(false);
    }
}

TEST(LinkOverPty, OpenFailuresAreReportedWithTheirCause) {
    Pty pty;
    auto tryToOpen = [](PtyWindow& t) {
        try {
            OpenCommPort(t.m);
        } catch (const RuntimeFailure& f) {
            ReportOpenCommPortFailure(t.m, f);
        }
        return t.p.boxes.shown.empty() ? QString() : t.p.boxes.shown.back().text;
    };
    const QString busy =
        QStringLiteral("Schnittstelle COM2: wird bereits von einem anderem Programm oder Prozess verwendet.");

    PtyWindow holder(pty.SlavePath());
    EXPECT_EQ(tryToOpen(holder), QString());
    EXPECT_EQ(tryToOpen(holder), busy) << "our own port still open";
    PtyWindow other(pty.SlavePath());
    EXPECT_EQ(tryToOpen(other), busy) << "port held by another program";
    EXPECT_FALSE(other.serial.PortOpen());

    const QString missingPath = pty.SlavePath() + QStringLiteral("-gibt-es-nicht");
    PtyWindow missing(missingPath);
    const QString text = tryToOpen(missing);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Schnittstelle COM2: Das Gerät %1 ist nicht vorhanden.").arg(missingPath)))
        << qPrintable(text);
    holder.serial.SetPortOpen(false);
}
