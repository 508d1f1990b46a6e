#include <gtest/gtest.h>

#include "platform/PortDevices.h"
#include "platform/PortMappingEntries.h"
#include "platform/SerialDevices.h"
#include "platform/SettingsStore.h"
#include "support/FakeDevices.h"
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
