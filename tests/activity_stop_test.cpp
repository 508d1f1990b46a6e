#include <gtest/gtest.h>

#include "support/MainWindow.h"
#include "transfer/ActivityIndicator.h"
#include "transfer/TransferStop.h"

using namespace vyper;
using vyper::testing::MainWindow;

namespace {

const QString kRight = QStringLiteral(" >{{{\u00B0> ");
const QString kLeft = QStringLiteral(" <\u00B0}}}< ");

QString Line(int left, const QString& fish, int right) {
    return QString(left, QLatin1Char('~')) + fish + QString(right, QLatin1Char('~'));
}

}  // namespace

TEST(ActivityIndicator, TheFishSwimsRightThenLeft) {
    const struct {
        int16_t n;
        int left;
        bool right;
        int rightTildes;
    } cases[] = {
        {0, 0, true, 36},   {1, 3, true, 36},   {3, 9, true, 35},
        {18, 36, true, 3},  {19, 36, false, 0}, {20, 36, false, 3},
        {37, 2, false, 36}, {38, 1, true, 36},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ActivityLine(c.n), Line(c.left, c.right ? kRight : kLeft, c.rightTildes)) << c.n;
    }
}

TEST(TransferStop, StopsADownloadAndAppendsItsLinesEvenWhenIdle) {
    MainWindow t;
    t.m.comVyper().SetPortOpen(true);
    t.p.serial.Receive(QByteArray("\x01\x02\x03", 3));
    t.w.timDownLoadCtrl->SetInterval(100);
    t.m.DownloadState = 2;
    const qsizetype before = t.Lines().size();
    const QStringList pair{Line(3, kRight, 36), QStringLiteral("Übertragung unterbrochen.")};

    t.w.cmdStop->click();
    EXPECT_EQ(t.m.DownloadState, 0);
    EXPECT_EQ(t.w.timDownLoadCtrl->Interval(), 0);
    EXPECT_EQ(t.p.serial.closes, 1);
    EXPECT_EQ(t.Lines().mid(before), pair);
    EXPECT_EQ(t.w.lstVyperComm->ListIndex(), t.w.lstVyperComm->ListCount() - 1);
    EXPECT_EQ(t.w.focusWidget(), t.w.cmdClose);

    cmdStop_Click(t.m);  // idle now: the lines come again, nothing else happens
    EXPECT_EQ(t.Lines().mid(before), pair + pair);
    EXPECT_FALSE(t.p.serial.PortOpen());
    EXPECT_EQ(t.p.serial.closes, 1);
}
