#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/PortDevices.h"
#include "platform/SettingsStore.h"

using namespace vyper;

namespace {

// Writes through `writer` and reads what `reader` sees: a port's entry is stored and removed
// alone, the port then falls back to its built-in device, and removing twice is harmless.
void CheckPortEntries(SettingsStore& writer, const SettingsStore& reader, const char* name) {
    SCOPED_TRACE(name);
    writer.Save("CommPort", "Number", "3");
    StoreDevicePath(writer, 1, "/dev/serial/by-id/usb-FTDI-if00-port0");
    StoreDevicePath(writer, 2, "/dev/ttyUSB1");
    EXPECT_EQ(DevicePathForPort(reader, 1), "/dev/serial/by-id/usb-FTDI-if00-port0");
    EXPECT_EQ(StoredDevicePath(reader, 2), "/dev/ttyUSB1");

    StoreDevicePath(writer, 1, "");
    StoreDevicePath(writer, 1, "");
    writer.Remove("Ports", "COM4");
    EXPECT_EQ(reader.Load("Ports", "COM1", "absent"), "absent");
    EXPECT_EQ(StoredDevicePath(reader, 1), "");
    EXPECT_EQ(DevicePathForPort(reader, 1), "/dev/ttyS0");
    EXPECT_EQ(DevicePathForPort(reader, 2), "/dev/ttyUSB1");
    EXPECT_EQ(reader.Load("CommPort", "Number"), "3");
}

}  // namespace

TEST(SettingsStore, APortEntryIsStoredAndRemovedWithoutTouchingOtherKeys) {
    MemorySettingsStore memory;
    CheckPortEntries(memory, memory, "memory");

    QTemporaryDir folder;
    IniSettingsStore writer(folder.filePath("Vyper-Grundelnetz.conf"));
    const IniSettingsStore reader(writer.FilePath());
    CheckPortEntries(writer, reader, "ini");
    // The file the user may edit by hand holds what was left.
    QFile file(writer.FilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("[Ports]\nCOM2=/dev/ttyUSB1")) << qPrintable(text);
    EXPECT_FALSE(text.contains("COM1=")) << qPrintable(text);
}
