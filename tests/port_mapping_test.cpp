#include <gtest/gtest.h>

#include "platform/PortDevices.h"
#include "platform/SettingsStore.h"
#include "support/FakeDevices.h"
#include "ui/main/PortMappingDialog.h"
#include "ui/main/PortMappingEntries.h"

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
