#include <gtest/gtest.h>

#include <QFileInfo>

#include "platform/SerialDevices.h"
#include "support/FakeDevices.h"

using namespace vyper;
using vyper::testing::FakeDeviceFolder;

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
