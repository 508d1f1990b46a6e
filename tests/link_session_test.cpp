#include <gtest/gtest.h>

#include "link/ByteList.h"
#include "link/SerialSession.h"
#include "link/Transmit.h"
#include "support/MainWindow.h"

using namespace vyper;
using vyper::testing::Bytes;
using Window = vyper::testing::MainWindow;

TEST(ParseByteList, WalksFieldsIncludingTheOddCases) {
    const QString tab = QStringLiteral("\t");
    const struct {
        QString text;
        int32_t n;
        QString field;
    } cases[] = {
        {"08 165", 2, "165"}, {"08 165", 3, ""},  {"", 1, ""},          {" 08", 1, ""},
        {" 08", 2, "08"},     {"08  165", 2, ""}, {"08  165", 3, "165"}, {"08 165 ", 2, ""},
        {"1" + tab + "2", 2, "2"}, {"08 165", 0, ""},
        // No result is ever a separator, not even a lone field before a trailing one.
        {"08 ", 1, ""}, {" ", 1, ""}, {tab, 1, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseByteList(c.text, c.n), c.field) << qPrintable(c.text) << " " << c.n;
}

TEST(SendCommandText, PutsEachByteOnTheWireWithTheGapsAndRts) {
    const struct {
        QString text;
        int delay;
        QByteArray wire;
    } cases[] = {
        {"08 165", 350, Bytes({0x08, 0xA5, 0xAD})},
        {"", 0, Bytes({0x00})},
        {"08  165", 350, Bytes({0x08, 0x08})},  // the empty field between the blanks ends the bytes
    };
    for (const auto& c : cases) {
        Window t;
        t.p.serial.SetPortOpen(true);
        t.p.serial.rtsHistory.clear();
        t.m.CommandDelay = c.delay;
        // For each pause: how many bytes had been written and whether RTS was raised.
        std::vector<std::pair<qsizetype, bool>> atSleep;
        t.p.waits.onSleep = [&](int) { atSleep.emplace_back(t.p.serial.sent.size(), t.p.serial.RTSEnable()); };
        SendCommandText(t.m, c.text, [] { return false; });
        const qsizetype n = c.wire.size();
        EXPECT_EQ(t.p.serial.sent, c.wire) << qPrintable(c.text);
        EXPECT_EQ(t.p.serial.writes.size(), static_cast<size_t>(n)) << "one write per byte";
        EXPECT_EQ(t.p.waits.sleeps, (std::vector<int>{12, 100, 5 * c.delay}));
        EXPECT_EQ(atSleep, (std::vector<std::pair<qsizetype, bool>>{{n - 1, true}, {n, true}, {n, false}}));
        EXPECT_EQ(t.p.serial.rtsHistory, (std::vector<bool>{true, false}));
    }
}

TEST(SendCommandText, ReportsAFailureAndStopsAtOnce) {
    const struct {
        QString text;
        bool open;
        QByteArray sentBeforeFailure;
        QString message;
    } cases[] = {
        {"08 165", false, {}, "Nur möglich, wenn Schnittstelle anprechbar ist."},
        {"05 00 256 32", true, Bytes({0x05, 0x00}), "Überlauf"},
        {"05 abc", true, Bytes({0x05}), "Typen unverträglich"},
    };
    for (const auto& c : cases) {
        Window t;
        if (c.open) t.p.serial.SetPortOpen(true);
        SendCommandText(t.m, c.text, [] { return false; });
        EXPECT_EQ(t.p.serial.sent, c.sentBeforeFailure) << qPrintable(c.text);
        EXPECT_TRUE(t.p.waits.sleeps.empty()) << "no pause after a failure";
        ASSERT_EQ(t.p.boxes.shown.size(), 1u);
        EXPECT_EQ(t.p.boxes.shown[0].text, c.message);
    }
}

TEST(OpenCommPort, AFailedOpenKeepsTheDelayAndIsReportedToTheUser) {
    Window t;
    t.m.CommandDelay = 100;
    t.w.txtComDelay->SetText(QStringLiteral("500"));
    t.p.serial.failNextOpen = std::make_unique<SerialFailure>(SerialFailureKind::PortBusy, "/dev/ttyS1", "belegt");
    try {  // what the start buttons do
        OpenCommPort(t.m);
        ADD_FAILURE() << "open did not fail";
    } catch (const RuntimeFailure& f) {
        ReportOpenCommPortFailure(t.m, f);
    }
    EXPECT_EQ(t.m.CommandDelay, 100);
    EXPECT_FALSE(t.p.serial.PortOpen());
    ASSERT_EQ(t.p.boxes.shown.size(), 1u);
    EXPECT_EQ(t.p.boxes.shown[0].text,
              QStringLiteral("Schnittstelle COM2: wird bereits von einem anderem Programm oder Prozess verwendet."));
}

TEST(OpenCommPortFailureText, NamesTheCauseAndTheDevice) {
    using K = SerialFailureKind;
    EXPECT_EQ(OpenCommPortFailureText(SerialFailure(K::AlreadyOpen, "", "x"), 3),
              QStringLiteral("Schnittstelle COM3: wird bereits von einem anderem Programm oder Prozess verwendet."));
    EXPECT_EQ(OpenCommPortFailureText(SerialFailure(K::Other, "/dev/ttyS2", "kein Terminal"), 3), "kein Terminal");
    const QString denied = OpenCommPortFailureText(SerialFailure(K::NoPermission, "/dev/ttyS0", "x"), 1, "anna");
    EXPECT_TRUE(denied.startsWith("Schnittstelle COM1: Keine Berechtigung für das Gerät /dev/ttyS0.")) << qPrintable(denied);
    EXPECT_TRUE(denied.contains("„sudo adduser anna dialout“")) << qPrintable(denied);
}
