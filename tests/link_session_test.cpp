#include <gtest/gtest.h>
#include <tuple>

#include "link/ByteList.h"
#include "link/SerialSession.h"
#include "link/Transmit.h"
#include "support/MainWindow.h"

using namespace vyper;
using vyper::testing::Bytes;
using Window = vyper::testing::MainWindow;

namespace {

const QString kBusyCom2 =
    QStringLiteral("Schnittstelle COM2: wird bereits von einem anderem Programm oder Prozess verwendet.");
const QString kNotReachable = QStringLiteral("Nur möglich, wenn Schnittstelle anprechbar ist.");

}  // namespace

TEST(ParseByteList, WalksFieldsIncludingTheOddCases) {
    const QString tab = QStringLiteral("\t");
    struct Case {
        QString text;
        int32_t n;
        QString field;
    } cases[] = {
        {"08 165", 1, "08"},       {"08 165", 2, "165"},   {"08 165", 3, ""},
        {"5", 1, "5"},             {"", 1, ""},
        {" 08", 1, ""},            {" 08", 2, "08"},       {"08  165", 2, ""},
        {"08  165", 3, "165"},     {"08 165 ", 1, "08"},   {"08 165 ", 2, ""},
        {"1" + tab + "2", 2, "2"}, {"1" + tab + "2", 1, "1"},
        {"08 165", 0, ""},         {"08 165", -1, ""},
        // A lone field before a trailing separator is emptied like any other such field,
        // and a text of one separator holds no field: no result is ever a separator.
        {"08 ", 1, ""},            {" ", 1, ""},           {tab, 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseByteList(c.text, c.n), c.field) << qPrintable(c.text) << " field " << c.n;
    }
}

TEST(ByteFromField, ReadsTheLeadingNumberRoundedAndRefusesWhatIsNoByte) {
    struct Value {
        QString field;
        int byte;
    } values[] = {{"08", 8}, {"255", 255}, {"2.5", 2}, {"3.5", 4}, {"12x", 12}, {"-0.4", 0}};
    for (const Value& v : values) EXPECT_EQ(ByteFromField(v.field), v.byte) << qPrintable(v.field);

    struct Refused {
        QString field;
        int number;
    } refused[] = {{"256", 6}, {"255.5", 6}, {"-1", 6}, {"99999999999999999999999", 6}, {"abc", 13}};
    for (const Refused& r : refused) {
        try {
            ByteFromField(r.field);
            ADD_FAILURE() << "accepted " << qPrintable(r.field);
        } catch (const RuntimeFailure& f) {
            EXPECT_EQ(f.Number(), r.number) << qPrintable(r.field);
        }
    }
}

TEST(SendCommandText, PutsEachByteOnTheWireWithTheGapsAndRts) {
    struct Case {
        QString text;
        int delay;
        QByteArray wire;
    } cases[] = {
        {"08 165", 350, Bytes({0x08, 0xA5, 0xAD})},
        {"09 165", 0, Bytes({0x09, 0xA5, 0xAC})},
        {"", 350, Bytes({0x00})},
        {"08  165", 350, Bytes({0x08, 0x08})},  // the empty field between the blanks ends the bytes
        {"1\t2", 350, Bytes({0x01, 0x02, 0x03})},
    };
    for (const Case& c : cases) {
        Window t;
        t.p.serial.SetPortOpen(true);
        t.p.serial.rtsHistory.clear();
        t.m.CommandDelay = c.delay;
        // For each pause: how many bytes had been written and whether RTS was raised.
        std::vector<std::pair<qsizetype, bool>> atSleep;
        t.p.waits.onSleep = [&](int) { atSleep.emplace_back(t.p.serial.sent.size(), t.p.serial.RTSEnable()); };
        SendCommandText(t.m, c.text);

        const qsizetype n = c.wire.size();
        EXPECT_EQ(t.p.serial.sent, c.wire) << qPrintable(c.text);
        EXPECT_EQ(t.p.serial.writes.size(), static_cast<size_t>(n)) << "one write per byte";
        EXPECT_EQ(t.p.waits.sleeps, (std::vector<int>{12, 100, 5 * c.delay}));
        const std::vector<std::pair<qsizetype, bool>> expected{{n - 1, true}, {n, true}, {n, false}};
        EXPECT_EQ(atSleep, expected) << qPrintable(c.text);
        EXPECT_EQ(t.p.serial.rtsHistory, (std::vector<bool>{true, false}));
        EXPECT_TRUE(t.p.boxes.shown.empty());
    }
}

TEST(SendCommandText, ReportsAFailureAndStopsAtOnce) {
    struct Case {
        QString text;
        bool open;
        QByteArray sentBeforeFailure;
        QString message;
    } cases[] = {
        {"08 165", false, {}, kNotReachable},
        {"05 00 256 32", true, Bytes({0x05, 0x00}), "Überlauf"},
        {"05 -1", true, Bytes({0x05}), "Überlauf"},
        {"05 abc", true, Bytes({0x05}), "Typen unverträglich"},
    };
    for (const Case& c : cases) {
        Window t;
        if (c.open) t.p.serial.SetPortOpen(true);
        SendCommandText(t.m, c.text);
        EXPECT_EQ(t.p.serial.sent, c.sentBeforeFailure) << qPrintable(c.text);
        EXPECT_TRUE(t.p.waits.sleeps.empty()) << "no pause after a failure";
        EXPECT_TRUE(t.p.serial.RTSEnable()) << "RTS stays as it was at the failure";
        ASSERT_EQ(t.p.boxes.shown.size(), 1u);
        EXPECT_EQ(t.p.boxes.shown[0].text, c.message);
        EXPECT_EQ(t.p.boxes.shown[0].style, 16);
    }
}

TEST(SendCommandText, ShowsTheDescriptionOfAnyOtherWriteFailure) {
    Window t;
    t.p.serial.SetPortOpen(true);
    t.p.serial.onOutput = [](const QByteArray&) {
        throw SerialFailure(SerialFailureKind::Other, "/dev/ttyS1", "/dev/ttyS1: Eingabe-/Ausgabefehler");
    };
    SendCommandText(t.m, QStringLiteral("08 165"));
    ASSERT_EQ(t.p.boxes.shown.size(), 1u);
    EXPECT_EQ(t.p.boxes.shown[0].text, QStringLiteral("/dev/ttyS1: Eingabe-/Ausgabefehler"));
    EXPECT_EQ(t.p.serial.writes.size(), 1u);
}

TEST(OpenCommPort, TakesTheUsersChoicesAndConfiguresTheLine) {
    struct Case {
        QString interface, port, delay;
        int interfaceType, portNumber, commandDelay;
    } cases[] = {
        {"Selbstbau (mit Echo)", "3", "0", 2, 3, 0},
        {"selbstbau (mit echo)", "0", "2001", 1, 2, 350},
        {"", "5", "-1", 1, 2, 350},
        {"", "COM1", "abc", 1, 2, 350},
        {"", "1.4", "99.5", 1, 1, 100},
    };
    for (const Case& c : cases) {
        Window t;
        auto& interfaces = *t.w.lstInterfaceType;
        interfaces.SetListIndex(static_cast<int>(interfaces.Items().indexOf(c.interface)));
        t.w.cmbCommPort->SetText(c.port);
        t.w.txtComDelay->SetText(c.delay);
        OpenCommPort(t.m);
        EXPECT_EQ(t.m.InterfaceType, c.interfaceType) << qPrintable(c.interface);
        EXPECT_EQ(t.m.CommPortNumber, c.portNumber) << qPrintable(c.port);
        EXPECT_EQ(t.m.CommandDelay, c.commandDelay) << qPrintable(c.delay);

        const auto& s = t.p.serial;
        EXPECT_TRUE(s.PortOpen() && s.DTREnable() && !s.RTSEnable());
        EXPECT_EQ(s.Settings(), QStringLiteral("2400,o,8,1"));
        EXPECT_EQ(std::tuple(s.CommPort(), s.RThreshold(), s.Handshaking(), s.InBufferSize(), s.OutBufferSize(),
                             s.InputLen(), s.InputMode()),
                  std::tuple(c.portNumber, 1, 0, 32640, 128, 1, 1));
    }
}

TEST(OpenCommPort, AFailedOpenKeepsTheDelayAndIsReportedToTheUser) {
    Window t;
    t.m.CommandDelay = 100;
    t.w.txtComDelay->SetText(QStringLiteral("500"));
    t.p.serial.failNextOpen = std::make_unique<SerialFailure>(SerialFailureKind::PortBusy, "/dev/ttyS1", "belegt");
    // What the start buttons do.
    bool reported = false;
    try {
        OpenCommPort(t.m);
    } catch (const RuntimeFailure& f) {
        ReportOpenCommPortFailure(t.m, f);
        reported = true;
    }
    EXPECT_TRUE(reported);
    EXPECT_EQ(t.m.CommandDelay, 100);
    EXPECT_FALSE(t.p.serial.PortOpen());
    ASSERT_EQ(t.p.boxes.shown.size(), 1u);
    EXPECT_EQ(t.p.boxes.shown[0].text, kBusyCom2);
    EXPECT_EQ(t.p.boxes.shown[0].style, 16);
}

TEST(OpenCommPortFailureText, NamesTheCauseAndTheDevice) {
    using K = SerialFailureKind;
    const QString busy3 =
        QStringLiteral("Schnittstelle COM3: wird bereits von einem anderem Programm oder Prozess verwendet.");
    EXPECT_EQ(OpenCommPortFailureText(SerialFailure(K::PortBusy, "/dev/ttyS2", "x"), 3), busy3);
    EXPECT_EQ(OpenCommPortFailureText(SerialFailure(K::AlreadyOpen, "", "x"), 3), busy3);
    EXPECT_EQ(OpenCommPortFailureText(SerialFailure(K::Other, "/dev/ttyS2", "kein Terminal"), 3), "kein Terminal");

    const QString missing = OpenCommPortFailureText(SerialFailure(K::PortMissing, "/dev/ttyUSB7", "x"), 1);
    EXPECT_TRUE(missing.startsWith("Schnittstelle COM1: Das Gerät /dev/ttyUSB7 ist nicht vorhanden.")) << qPrintable(missing);
    const QString denied = OpenCommPortFailureText(SerialFailure(K::NoPermission, "/dev/ttyS0", "x"), 1);
    EXPECT_TRUE(denied.startsWith("Schnittstelle COM1: Keine Berechtigung für das Gerät /dev/ttyS0.")) << qPrintable(denied);
    EXPECT_TRUE(denied.contains("Rechte") || denied.contains("rechte"));
    EXPECT_TRUE(denied.contains("dialout"));
}
