#include <gtest/gtest.h>

#include "link/SerialSession.h"
#include "platform/PosixSerialControl.h"
#include "support/Fakes.h"
#include "support/Pty.h"
#include "ui/main/frmVyper.h"

using namespace vyper;
using vyper::testing::Pty;
using vyper::testing::TestPlatform;

namespace {

// The main window on a real serial control whose ports all lead to `path`.
struct PtyWindow {
    explicit PtyWindow(const QString& path) : serial([path](int) { return path; }) {}
    Platform Services() {
        const Platform fakes = p.Services();
        return Platform{serial, p.settings, p.boxes, p.waits, p.files, fakes.app, fakes.serialDevices};
    }
    TestPlatform p;
    PosixSerialControl serial;
    frmVyper w{Services()};
    VyperComm& m = w.Module();
};

}  // namespace

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

    const QString missingPath = pty.SlavePath() + QStringLiteral("-gibt-es-nicht");
    PtyWindow missing(missingPath);
    EXPECT_TRUE(tryToOpen(missing).startsWith(
        QStringLiteral("Schnittstelle COM2: Das Gerät %1 ist nicht vorhanden.").arg(missingPath)));
    holder.serial.SetPortOpen(false);
}
