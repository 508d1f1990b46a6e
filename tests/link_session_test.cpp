#include <gtest/gtest.h>

#include "link/ByteList.h"
#include "link/SerialSession.h"
#include "link/Transmit.h"
#include "support/CoreRig.h"

using namespace vyper;
using vyper::testing::Bytes;
using vyper::testing::CoreRig;

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
        CoreRig t;
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
        CoreRig t;
        if (c.open) t.p.serial.SetPortOpen(true);
        SendCommandText(t.m, c.text, [] { return false; });
        EXPECT_EQ(t.p.serial.sent, c.sentBeforeFailure) << qPrintable(c.text);
        EXPECT_TRUE(t.p.waits.sleeps.empty()) << "no pause after a failure";
        ASSERT_EQ(t.p.boxes.shown.size(), 1u);
        EXPECT_EQ(t.p.boxes.shown[0].text, c.message);
    }
}

// Why a port did not open, as the serial layer tells it (a pseudo-terminal shows each kind
// in posix_serial_test), in the user's words.
TEST(OpenCommPortFailureText, NamesTheCauseAndTheDevice) {
    using K = SerialFailureKind;
    const QString busy = QStringLiteral("Schnittstelle COM3: wird bereits von einem anderem Programm oder Prozess verwendet.");
    const struct {
        SerialFailure failure;
        QString start;  // of the text; the whole text when `part` is empty
        QString part;   // somewhere in it
    } cases[] = {
        {{K::AlreadyOpen, "", "x"}, busy, {}},
        {{K::PortBusy, "/dev/ttyS2", "x"}, busy, {}},
        {{K::PortMissing, "/dev/ttyUSB7", "x"}, "Schnittstelle COM3: Das Gerät /dev/ttyUSB7 ist nicht vorhanden.", "angeschlossen"},
        {{K::NoPermission, "/dev/ttyS0", "x"}, "Schnittstelle COM3: Keine Berechtigung für das Gerät /dev/ttyS0.",
         "„sudo adduser anna dialout“"},
        {{K::Other, "/dev/ttyS2", "kein Terminal"}, "kein Terminal", {}},
    };
    for (const auto& c : cases) {
        const QString text = OpenCommPortFailureText(c.failure, 3, "anna");
        EXPECT_TRUE(c.part.isEmpty() ? text == c.start : text.startsWith(c.start) && text.contains(c.part)) << qPrintable(text);
    }
}
