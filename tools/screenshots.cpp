// Pictures of the windows for the README: drives the main window against a serial device
// (the emulated dive computer, see scripts/screenshots.sh) as a user would, and saves
//   main-settings.png  the main window after "Vyper Einstellungen auslesen",
//   main-download.png  the main window after "Tauchgangsdaten übertragen",
//   viewer.png         the viewer, somewhat enlarged, with the downloaded dive of the most
//                      markers and a readout where the mouse stands,
//   logbook.png        the logbook with every stored dive.
// The settings (which device COM2 is) and the profile folder come from the XDG folders, as
// for the program itself.
//
// Usage: vyper-screenshots OUTPUT_FOLDER

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QMouseEvent>
#include <QPixmap>
#include <algorithm>
#include <cstdio>

#include "platform/PortDevices.h"
#include "ui/toolkit/AppIcon.h"
#include "platform/AppInfo.h"
#include "platform/FileWriter.h"
#include "platform/MessageBoxes.h"
#include "platform/PosixSerialControl.h"
#include "platform/SerialDevices.h"
#include "platform/SettingsStore.h"
#include "platform/Waits.h"
#include "profiles/ProfileReader.h"
#include "profiles/StoredDive.h"
#include "ui/logbook/frmLogbook.h"
#include "ui/main/frmVyper.h"
#include "ui/viewer/frmShowDive.h"

namespace {

// Message boxes answered at once: a question with "Nein", anything else with "OK". Each is
// printed, as nothing should ask during a clean run.
class AnsweringBoxes : public vyper::MessageBoxes {
public:
    int Show(const QString& text, int styleValue, const QString&) override {
        std::fprintf(stderr, "Meldung: %s\n", qPrintable(text));
        ++shown;
        return (styleValue & 7) == vyper::style::YesNo ? vyper::answer::No : vyper::answer::Ok;
    }
    int shown = 0;
};

// Runs the message loop until the transfer that `start` began has ended; false after 3 minutes.
bool RunTransfer(vyper::frmVyper& window, vyper::CommandButton* start) {
    start->click();
    QElapsedTimer clock;
    clock.start();
    while (window.Module().TransferActive) {
        if (clock.elapsed() > 180000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    // Let the last lines and labels be painted.
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return true;
}

// Saves the widget as drawn, at the screen's pixel ratio, with the strongest compression.
bool Save(QWidget* widget, const QString& path) {
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImageWriter writer(path, "png");
    writer.setQuality(0);
    if (writer.write(image)) {
        std::printf("%s\n", qPrintable(path));
        return true;
    }
    std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
    return false;
}

// The row of the main window's file list whose dive has the most markers (the first of
// equals), so that the viewer's picture shows them.
int MostMarkers(vyper::frmVyper& window) {
    int best = 0, most = -1;
    for (int row = 0; row < window.lstFiles->ListCount(); ++row) {
        const QString path = vyper::ProfilePath(window.Module().platform.app.programFolder, window.lstFiles->item(row)->text());
        const auto read = vyper::ReadStoredDiveFile(path, vyper::ProfileDetail::WithEntries);
        const auto* dive = std::get_if<vyper::StoredDive>(&read);
        if (dive == nullptr) continue;
        const auto markers = std::count_if(dive->record.Entries.begin(), dive->record.Entries.end(),
                                           [](const vyper::ProfileEntry& e) { return e.IsMarker(); });
        if (markers > most) most = static_cast<int>(markers), best = row;
    }
    return best;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vyper-Grundelnetz"));
    QApplication::setWindowIcon(vyper::ApplicationIcon());
    if (argc != 2) {
        std::fprintf(stderr, "Usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) return 1;

    vyper::IniSettingsStore settings;
    vyper::PosixSerialControl serial([&settings](int port) { return vyper::DevicePathForPort(settings, port); });
    AnsweringBoxes boxes;
    vyper::SystemWaits waits;
    vyper::AtomicFileWriter files;
    vyper::frmVyper window(vyper::Platform{serial, settings, boxes, waits, files, vyper::SystemAppInfo(),
                                           vyper::PresentSerialDeviceChoices});
    window.show();
    QCoreApplication::processEvents();

    if (!RunTransfer(window, window.cmdGetVyperSettings)) return 1;
    if (!Save(&window, out.filePath(QStringLiteral("main-settings.png")))) return 1;
    if (!RunTransfer(window, window.cmdDownload)) return 1;
    if (!Save(&window, out.filePath(QStringLiteral("main-download.png")))) return 1;

    if (window.lstFiles->ListCount() == 0) {
        std::fprintf(stderr, "Keine Tauchgänge geladen.\n");
        return 1;
    }
    window.lstFiles->SetListIndex(MostMarkers(window));
    vyper::frmShowDive viewer(window.ViewerSourceOf(), &window);
    viewer.show();
    QElapsedTimer clock;
    clock.start();
    while (viewer.Activations() == 0 && clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    if (viewer.Activations() == 0 || viewer.Unloaded()) return 1;
    viewer.resize(760, 520);
    // The mouse three fifths across the plot: the readout at the sample there.
    const QPointF at(viewer.picDive->width() * 0.6, viewer.picDive->height() * 0.5);
    QMouseEvent move(QEvent::MouseMove, at, viewer.picDive->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(viewer.picDive, &move);
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!Save(&viewer, out.filePath(QStringLiteral("viewer.png")))) return 1;
    viewer.cmdClose_Click();

    // The logbook, as its button opens it, once it has read the folder.
    window.cmdLogbook->click();
    vyper::frmLogbook* logbook = window.Logbook();
    if (logbook == nullptr) return 1;
    clock.restart();
    while (logbook->Loading() && clock.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (logbook->Loading() || logbook->Dives().rowCount() == 0) return 1;
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!Save(logbook, out.filePath(QStringLiteral("logbook.png")))) return 1;
    logbook->close();
    return boxes.shown == 0 ? 0 : 1;
}
