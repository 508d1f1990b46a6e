// The logbook stays open during a download in the main window: every dive the download
// stores appears in it, newest first, without opening it again.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDeadlineTimer>

#include "support/E2eSession.h"
#include "support/EmulatorProcess.h"
#include "ui/main/frmVyper.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

// Runs the message loop until `done` holds; false when 10 s pass first.
bool RunUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

QStringList ShownDates(const QAbstractItemModel& model) {
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        rows << model.index(r, 0).data().toString() + QLatin1Char(' ') + model.index(r, 1).data().toString();
    }
    return rows;
}

}  // namespace

TEST(LogbookDuringADownload, ShowsEveryDiveTheDownloadStores) {
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(kOriginal));
    Program program(emulator.DevicePath(), kOriginal);
    program.window->cmdLogbook->click();
    frmLogbook* logbook = program.window->Logbook();
    ASSERT_NE(logbook, nullptr);
    ASSERT_TRUE(RunUntil([&] { return !logbook->Loading(); }));
    EXPECT_EQ(logbook->Shown().rowCount(), 0);

    program.Press(program.window->cmdDownload);
    ASSERT_TRUE(RunUntil([&] { return logbook->Shown().rowCount() == 4 && !logbook->Loading(); }))
        << logbook->Shown().rowCount() << " rows";
    EXPECT_EQ(ShownDates(logbook->Shown()),
              QStringList({"17.08.2024 10:42", "16.08.2024 15:05", "15.07.2024 09:07", "31.12.1999 23:59"}));
    EXPECT_EQ(logbook->Unreadable().rowCount(), 0);
}
