#include <gtest/gtest.h>

#include "platform/PortDevices.h"
#include "platform/PortMappingEntries.h"
#include "platform/SerialDevices.h"
#include "platform/SettingsStore.h"
#include "support/FakeDevices.h"
#include "support/MainWindow.h"
#include "ui/main/PortMappingDialog.h"

using namespace vyper;
using vyper::testing::FakeDeviceFolder;

namespace {

// Two present devices: a USB adapter known by its by-id link, and a built-in port.
struct PresentDevices {
    FakeDeviceFolder dev;
    QString usb = dev.Device("ttyUSB0");
    QString usbLink = dev.Link("usb-FTDI_FT232R_USB_UART_A12345-if00-port0", usb);
    QString builtIn = dev.Device("ttyS0");
    std::vector<SerialDeviceChoice> choices = {
        {usbLink, usb, "FT232R USB UART (FTDI, Nr. A12345) – " + usb},
        {builtIn, builtIn, "Eingebaute Schnittstelle – " + builtIn},
    };
};

QStringList Texts(const PortMappingList& list) {
    QStringList texts;
    for (const PortMappingEntry& entry : list.entries) texts << entry.text;
    return texts;
}

}  // namespace

TEST(PortMappingListFor, OffersTheStandardThePresentDevicesAndTheStoredPath) {
    PresentDevices d;
    EXPECT_EQ(Texts(PortMappingListFor(2, "", d.choices)),
              (QStringList{"Standard (/dev/ttyS1)", d.choices[0].displayName, d.choices[1].displayName}));

    const QString otherLink = d.dev.Link("usb-alias", d.usb);  // another name of the adapter
    const QString unplugged = d.dev.DevicePath("ttyUSB7");
    const QString unlisted = d.dev.Device("ttyS9");
    const struct {
        QString stored;
        int selected;
        QString selectedText;
        size_t count;
    } cases[] = {
        {"", 0, "Standard (/dev/ttyS3)", 3},
        {d.usbLink, 1, d.choices[0].displayName, 3},
        {d.usb, 1, d.choices[0].displayName, 3},
        {otherLink, 1, d.choices[0].displayName, 3},
        {d.builtIn, 2, d.choices[1].displayName, 3},
        {unplugged, 3, unplugged + " (nicht angeschlossen)", 4},
        {unlisted, 3, unlisted, 4},
    };
    for (const auto& c : cases) {
        const PortMappingList list = PortMappingListFor(4, c.stored, d.choices);
        ASSERT_EQ(list.entries.size(), c.count) << qPrintable(c.stored);
        ASSERT_EQ(list.selected, c.selected) << qPrintable(c.stored);
        EXPECT_EQ(list.entries[c.selected].text, c.selectedText);
        // The selected entry is what is stored, so keeping it stores nothing new.
        EXPECT_EQ(list.entries[c.selected].path, c.stored);
    }
}

TEST(PortMappingDialog, OkStoresTheChangedPortsAndCancelNothing) {
    PresentDevices d;
    const QString unplugged = d.dev.DevicePath("ttyUSB7");
    const struct {
        const char* name;
        std::vector<std::pair<int, int>> picks;  // port, list index
        bool ok;
        std::array<QString, 4> stored;  // COM1..COM4 afterwards, "" when absent
    } cases[] = {
        {"ok unchanged", {}, true, {d.usb, "", unplugged, ""}},
        {"ok changed", {{2, 1}, {3, 0}, {1, 2}}, true, {d.builtIn, d.usbLink, "", ""}},
        {"cancel changed", {{2, 1}, {3, 0}, {1, 2}}, false, {d.usb, "", unplugged, ""}},
        {"ok back to standard", {{1, 0}, {4, 2}}, true, {"", "", unplugged, d.builtIn}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySettingsStore store;
        store.Save("CommPort", "Number", "3");
        StoreDevicePath(store, 1, d.usb);
        StoreDevicePath(store, 3, unplugged);
        PortMappingDialog dialog(store, d.choices, nullptr);
        EXPECT_EQ(dialog.PortList(1)->Text(), d.choices[0].displayName);
        EXPECT_EQ(dialog.PortList(3)->Text(), unplugged + " (nicht angeschlossen)");
        for (const auto& [port, index] : c.picks) dialog.PortList(port)->SetListIndex(index);
        (c.ok ? dialog.cmdOk : dialog.cmdCancel)->click();

        EXPECT_EQ(dialog.result(), c.ok ? QDialog::Accepted : QDialog::Rejected);
        for (int port = 1; port <= 4; ++port) {
            const QString& want = c.stored[port - 1];
            EXPECT_EQ(store.Contains("Ports", QStringLiteral("COM%1").arg(port)), !want.isEmpty()) << port;
            EXPECT_EQ(StoredDevicePath(store, port), want) << port;
        }
        EXPECT_EQ(store.Load("CommPort", "Number"), "3");
    }
}

TEST(SerialDeviceDisplayName, NamesTheDeviceWithWhatIsKnown) {
    const struct {
        SerialDeviceInfo device;
        QString shown;
    } cases[] = {
        {{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A12345"}, "FT232R USB UART (FTDI, Nr. A12345) – /dev/ttyUSB0"},
        {{"/dev/ttyUSB1", "USB-Serial Controller", "Prolific Technology Inc.", ""},
         "USB-Serial Controller (Prolific Technology Inc.) – /dev/ttyUSB1"},
        {{"/dev/ttyACM0", "", "", " X9 "}, "Serielles Gerät (Nr. X9) – /dev/ttyACM0"},
        {{"/dev/ttyS0", "", "", ""}, "Eingebaute Schnittstelle – /dev/ttyS0"},
    };
    for (const auto& c : cases) EXPECT_EQ(SerialDeviceDisplayName(c.device), c.shown) << qPrintable(c.shown);
}

TEST(SerialDeviceChoices, OffersAdaptersFirstByTheirStableLinksAndOnlyPlausibleBuiltInPorts) {
    FakeDeviceFolder dev;
    const QStringList names = {"ttyS4", "ttyUSB10", "ttyS0", "ttyACM0", "ttyS7", "ttyUSB1", "ttyAMA0",
                               "ttyUSB2", "ttyS31", "ttyS3", "ttyUSB0"};
    std::vector<SerialDeviceInfo> ports;
    for (const QString& name : names) {
        // Only the PCI card's ttyS7 has a description; the others are what Qt reports for
        // every port the kernel created.
        const QString description = name == "ttyS7" ? "16550A PCI" : name.startsWith("ttyS") ? "" : "Adapter";
        ports.push_back({dev.Device(name), description, "", ""});
    }
    const QString ftdi = dev.Link("usb-FTDI_FT232R_USB_UART_A12345-if00-port0", dev.DevicePath("ttyUSB0"));
    const QString prolific = dev.Link("usb-Prolific_USB-Serial-if00-port0", dev.DevicePath("ttyUSB10"), false);
    dev.Link("usb-gone-if00-port0", dev.DevicePath("ttyUSB9"));  // a link whose device is unplugged

    const std::vector<std::pair<QString, QString>> expected = {
        {dev.DevicePath("ttyACM0"), dev.DevicePath("ttyACM0")}, {ftdi, dev.DevicePath("ttyUSB0")},
        {dev.DevicePath("ttyUSB1"), dev.DevicePath("ttyUSB1")}, {dev.DevicePath("ttyUSB2"), dev.DevicePath("ttyUSB2")},
        {prolific, dev.DevicePath("ttyUSB10")},                 {dev.DevicePath("ttyAMA0"), dev.DevicePath("ttyAMA0")},
        {dev.DevicePath("ttyS0"), dev.DevicePath("ttyS0")},     {dev.DevicePath("ttyS3"), dev.DevicePath("ttyS3")},
        {dev.DevicePath("ttyS7"), dev.DevicePath("ttyS7")},
    };
    const std::vector<SerialDeviceChoice> choices = SerialDeviceChoices(ports, dev.ByIdFolder());
    std::vector<std::pair<QString, QString>> got;
    for (const SerialDeviceChoice& c : choices) got.emplace_back(c.path, c.systemLocation);
    EXPECT_EQ(got, expected);
    ASSERT_EQ(choices.size(), expected.size());
    EXPECT_EQ(choices[1].displayName, "Adapter – " + dev.DevicePath("ttyUSB0"));
}

TEST(SerialDeviceChoices, WithoutLinksTheDeviceFileIsThePath) {
    FakeDeviceFolder dev;
    const QString usb = dev.Device("ttyUSB0");
    const QString unplugged = dev.DevicePath("ttyUSB1");  // listed, but its file is gone
    dev.Link("usb-other-if00-port0", dev.Device("ttyUSB5"));
    const std::vector<SerialDeviceInfo> ports = {{unplugged, "B", "", ""}, {usb, "A", "", ""}};
    for (const QString& folder : {dev.ByIdFolder(), dev.ByIdFolder() + "/missing"}) {
        const std::vector<SerialDeviceChoice> choices = SerialDeviceChoices(ports, folder);
        ASSERT_EQ(choices.size(), 2u) << qPrintable(folder);
        EXPECT_EQ(choices[0].path, usb);
        EXPECT_EQ(choices[1].path, unplugged);
    }
}

namespace {

const QString kMissing = QStringLiteral(
    "Schnittstelle COM2: Das Gerät /dev/ttyS1 ist nicht vorhanden. Bitte prüfen Sie, ob das Interface angeschlossen "
    "und die richtige Schnittstelle gewählt ist.");
const SerialDeviceChoice kFtdi{"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0", "/dev/ttyUSB0",
                               "FT232R USB UART (FTDI, Nr. A12345) – /dev/ttyUSB0"};
const SerialDeviceChoice kCp2102{"/dev/serial/by-id/usb-Silicon_Labs_CP2102-if00-port0", "/dev/ttyUSB1",
                                 "CP2102 USB to UART Bridge Controller (Silicon Labs) – /dev/ttyUSB1"};
const SerialDeviceChoice kBuiltIn0{"/dev/ttyS0", "/dev/ttyS0", "Eingebaute Schnittstelle – /dev/ttyS0"};
const SerialDeviceChoice kBuiltIn1{"/dev/ttyS1", "/dev/ttyS1", "Eingebaute Schnittstelle – /dev/ttyS1"};

}  // namespace

// A download on COM2, whose built-in port has no device: the box names the adapters that are
// present; with exactly one it offers to give it to COM2, and Ja stores it as the device
// chooser does and starts the download at once.
TEST(OpenPortFailure, NamesTheAdaptersAndOffersTheOnlyOne) {
    const QString one = kMissing + QStringLiteral(
        "\n\nAngeschlossen ist dieser serielle Adapter:\n    FT232R USB UART (FTDI, Nr. A12345) – /dev/ttyUSB0\n\n"
        "Soll COM2 künftig diesen Adapter öffnen? Mit „Ja“ wird das gespeichert, wie mit der Schaltfläche „…“ neben "
        "dem COM-Feld, und die Übertragung startet gleich noch einmal.");
    const QString two = kMissing + QStringLiteral(
        "\n\nAngeschlossen sind diese seriellen Adapter:\n    FT232R USB UART (FTDI, Nr. A12345) – /dev/ttyUSB0\n"
        "    CP2102 USB to UART Bridge Controller (Silicon Labs) – /dev/ttyUSB1\n\n"
        "Welches Gerät COM2 öffnet, legt die Schaltfläche „…“ neben dem COM-Feld fest.");
    const struct {
        const char* name;
        std::vector<SerialDeviceChoice> devices;
        SerialFailureKind kind;
        int answer;  // to a question
        QString text;
        int style;
        QString stored;  // COM2 of section "Ports" afterwards
        bool started;
    } cases[] = {
        {"no adapter", {kBuiltIn0, kBuiltIn1}, SerialFailureKind::PortMissing, answer::Yes, kMissing,
         style::Critical | style::OkOnly, "", false},
        {"one adapter, Ja", {kFtdi, kBuiltIn0, kBuiltIn1}, SerialFailureKind::PortMissing, answer::Yes, one,
         style::Question | style::YesNo, kFtdi.path, true},
        {"one adapter, Nein", {kFtdi, kBuiltIn0}, SerialFailureKind::PortMissing, answer::No, one,
         style::Question | style::YesNo, "", false},
        {"a built-in port without a chip", {kFtdi, kBuiltIn1}, SerialFailureKind::Other, answer::No,
         QStringLiteral("/dev/ttyS1: Eingabe-/Ausgabefehler") + one.mid(kMissing.size()),
         style::Question | style::YesNo, "", false},
        {"two adapters", {kFtdi, kCp2102, kBuiltIn0}, SerialFailureKind::PortMissing, answer::Yes, two,
         style::Critical | style::OkOnly, "", false},
        {"the port is busy", {kFtdi}, SerialFailureKind::PortBusy, answer::Yes,
         "Schnittstelle COM2: wird bereits von einem anderem Programm oder Prozess verwendet.",
         style::Critical | style::OkOnly, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vyper::testing::MainWindow t;
        t.p.devices = c.devices;
        t.p.boxes.answers = {c.answer};
        t.p.serial.failNextOpen = std::make_unique<SerialFailure>(
            c.kind, "/dev/ttyS1",
            c.kind == SerialFailureKind::PortMissing ? "/dev/ttyS1: Datei oder Verzeichnis nicht gefunden"
                                                     : "/dev/ttyS1: Eingabe-/Ausgabefehler");
        t.w.cmdDownload->click();
        ASSERT_EQ(t.p.boxes.shown.size(), 1u);
        EXPECT_EQ(t.p.boxes.shown[0].text.toStdString(), c.text.toStdString());
        EXPECT_EQ(t.p.boxes.shown[0].style, c.style);
        EXPECT_EQ(t.p.settings.Load("Ports", "COM2"), c.stored);
        EXPECT_EQ(t.m.TransferActive, c.started);
        EXPECT_EQ(t.p.serial.opens, c.started ? 1 : 0);
        EXPECT_EQ(t.m.DownloadState, c.started ? 2 : 0);
    }
}

// COM2 already opens the only adapter, and that adapter fails: nothing is offered, so a
// second failure can never ask again.
TEST(OpenPortFailure, TheAdapterThatFailedIsNotOffered) {
    vyper::testing::MainWindow t;
    t.p.devices = {kFtdi, kBuiltIn1};
    StoreDevicePath(t.p.settings, 2, kFtdi.path);
    t.p.serial.failNextOpen =
        std::make_unique<SerialFailure>(SerialFailureKind::PortMissing, kFtdi.path, "nicht gefunden");
    t.w.cmdGetVyperSettings->click();
    ASSERT_EQ(t.p.boxes.shown.size(), 1u);
    EXPECT_EQ(t.p.boxes.shown[0].style, style::Critical | style::OkOnly);
    EXPECT_EQ(t.p.boxes.shown[0].text, QStringLiteral("Schnittstelle COM2: Das Gerät %1 ist nicht vorhanden. Bitte "
                                                      "prüfen Sie, ob das Interface angeschlossen und die richtige "
                                                      "Schnittstelle gewählt ist.")
                                           .arg(kFtdi.path));
    EXPECT_FALSE(t.m.TransferActive);
}
