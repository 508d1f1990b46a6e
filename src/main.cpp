#include <QApplication>
#include <cstdio>
#include <cstring>

#include "Version.h"
#include "platform/AppInfo.h"
#include "platform/FileTransferLog.h"
#include "platform/FileWriter.h"
#include "platform/PortDevices.h"
#include "platform/PosixSerialControl.h"
#include "platform/SerialDevices.h"
#include "platform/SettingsStore.h"
#include "platform/Waits.h"
#include "ui/main/frmVyper.h"
#include "ui/toolkit/AppIcon.h"
#include "ui/toolkit/QtMessageBoxes.h"

namespace {

const char kHelp[] =
    "Aufruf: vyper-grundelnetz [--help] [--version] [Qt-Optionen]\n"
    "\n"
    "Öffnet das Fenster \"Suunto Vyper Quappe (Grundelnetz)\": liest die Einstellungen und die\n"
    "Tauchgänge eines Suunto Vyper oder Cobra über die serielle Schnittstelle (Interface\n"
    "\"Original Suunto (ohne Echo)\" oder \"Selbstbau (mit Echo)\"), speichert jeden Tauchgang\n"
    "als Profildatei im Ordner Tauchprofile, zeigt ihn als Tiefenprofil und führt ein Logbuch\n"
    "mit Export nach UDDF und CSV.\n"
    "\n"
    "  -h, --help   diese Hilfe zeigen\n"
    "  --version    die Version zeigen\n"
    "Alle anderen Optionen gehen an Qt (z. B. -platform offscreen).\n"
    "\n"
    "Einstellungen: $XDG_CONFIG_HOME/Vyper-Grundelnetz.conf, sonst\n"
    "~/.config/Vyper-Grundelnetz.conf.\n"
    "Profildateien: Tauchprofile neben dem Programm, wenn es diesen Ordner gibt, sonst\n"
    "$XDG_DATA_HOME/Vyper-Grundelnetz/Tauchprofile, sonst\n"
    "~/.local/share/Vyper-Grundelnetz/Tauchprofile.\n"
    "Ohne Fenster: vyper-grundelnetz-cli --help\n";

// --help and --version are answered before anything of the windows is made, so they work
// without a display. -1 when neither is asked for.
int AnswerInformationOptions(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vyper-grundelnetz %d.%d.%d\n", vyper::version::Major, vyper::version::Minor,
                        vyper::version::Revision);
            return 0;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (const int answered = AnswerInformationOptions(argc, argv); answered >= 0) return answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vyper-Grundelnetz"));
    QApplication::setWindowIcon(vyper::ApplicationIcon());
    QGuiApplication::setDesktopFileName(vyper::DesktopId());

    vyper::IniSettingsStore settings;
    vyper::PosixSerialControl serial([&settings](int port) { return vyper::DevicePathForPort(settings, port); });
    vyper::QtMessageBoxes boxes;
    vyper::SystemWaits waits;
    vyper::AtomicFileWriter files;
    // Every transfer is logged in the state folder, for support; the log outlives the window.
    const std::unique_ptr<vyper::FileTransferLog> log = vyper::FileTransferLog::InStateFolder();
    vyper::frmVyper window(vyper::Platform{serial, settings, boxes, waits, files, vyper::SystemAppInfo(),
                                           vyper::PresentSerialDeviceChoices, log.get()});
    boxes.SetOwner(&window);
    window.show();
    return QApplication::exec();
}
