#include <QApplication>

#include "platform/AppInfo.h"
#include "platform/FileWriter.h"
#include "platform/PortDevices.h"
#include "platform/PosixSerialControl.h"
#include "platform/SerialDevices.h"
#include "platform/SettingsStore.h"
#include "platform/Waits.h"
#include "ui/main/frmVyper.h"
#include "ui/toolkit/AppIcon.h"
#include "ui/toolkit/QtMessageBoxes.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vyper-Grundelnetz"));
    QApplication::setWindowIcon(vyper::ApplicationIcon());
    QGuiApplication::setDesktopFileName(vyper::DesktopId());

    vyper::IniSettingsStore settings;
    vyper::PosixSerialControl serial([&settings](int port) { return vyper::DevicePathForPort(settings, port); });
    vyper::QtMessageBoxes boxes;
    vyper::SystemWaits waits;
    vyper::AtomicFileWriter files;
    vyper::frmVyper window(vyper::Platform{serial, settings, boxes, waits, files, vyper::SystemAppInfo(),
                                           vyper::PresentSerialDeviceChoices});
    boxes.SetOwner(&window);
    window.show();
    return QApplication::exec();
}
