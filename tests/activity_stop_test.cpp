#include <gtest/gtest.h>

#include "platform/Failure.h"
#include "support/Fakes.h"
#include "transfer/ActivityIndicator.h"
#include "transfer/TransferStop.h"
#include "ui/main/frmVyper.h"

using namespace vyper;
using vyper::testing::TestPlatform;

namespace {

const QString kRight = QStringLiteral(" >{{{\u00B0> ");
const QString kLeft = QStringLiteral(" <\u00B0}}}< ");

QString Line(int left, const QString& fish, int right) {
    return QString(left, QLatin1Char('~')) + fish + QString(right, QLatin1Char('~'));
}

}  // namespace

TEST(ActivityIndicator, LinesForSomeNumbers) {
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

TEST(ActivityIndicator, ThreeTimesNMustFitSixteenBits) {
    EXPECT_NO_THROW(ActivityLine(-10922));
    EXPECT_THROW(ActivityLine(10923), RuntimeFailure);
}

TEST(ActivityIndicator, ShowActivityAppendsAndSelectsTheLine) {
    TestPlatform p;
    frmVyper w(p.Services());
    const int before = w.lstVyperComm->ListCount();
    ShowActivity(w.Module(), 19);
    ShowActivity(w.Module(), 19);
    ASSERT_EQ(w.lstVyperComm->ListCount(), before + 2);
    EXPECT_EQ(w.lstVyperComm->Items().last(), Line(36, kLeft, 0));
    EXPECT_EQ(w.lstVyperComm->Items()[before], w.lstVyperComm->Items()[before + 1]);
    EXPECT_EQ(w.lstVyperComm->ListIndex(), before + 1);
}

TEST(TransferStop, StopDuringADownload) {
    TestPlatform p;
    frmVyper w(p.Services());
    VyperComm& m = w.Module();
    m.comVyper().SetPortOpen(true);
    p.serial.Receive(QByteArray("\x01\x02\x03", 3));
    w.timDownLoadCtrl->SetInterval(100);
    m.DownloadState = 2;
    const int before = w.lstVyperComm->ListCount();

    w.cmdStop->click();

    EXPECT_EQ(m.DownloadState, 0);
    EXPECT_EQ(w.timDownLoadCtrl->Interval(), 0);
    EXPECT_EQ(p.serial.closes, 1);
    const QStringList lines = w.lstVyperComm->Items().mid(before);
    EXPECT_EQ(lines, QStringList({Line(3, kRight, 36), QStringLiteral("Übertragung unterbrochen.")}));
    EXPECT_EQ(w.lstVyperComm->ListIndex(), w.lstVyperComm->ListCount() - 1);
    EXPECT_EQ(w.focusWidget(), w.cmdClose);
}

TEST(TransferStop, StopWhileIdleTwiceAppendsBothTimes) {
    TestPlatform p;
    frmVyper w(p.Services());
    const int before = w.lstVyperComm->ListCount();
    cmdStop_Click(w.Module());
    cmdStop_Click(w.Module());
    const QStringList lines = w.lstVyperComm->Items().mid(before);
    const QStringList pair{Line(3, kRight, 36), QStringLiteral("Übertragung unterbrochen.")};
    EXPECT_EQ(lines, pair + pair);
    EXPECT_FALSE(p.serial.PortOpen());
    EXPECT_EQ(w.Module().DownloadState, 0);
}
