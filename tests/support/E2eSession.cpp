#include "platform/PortDevices.h"
#include "support/E2eSession.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>

#include "platform/AppInfo.h"

namespace vyper::testing {

namespace {
constexpr int kTransferTimeoutMs = 30000;
}  // namespace

QString EmulatorPath() { return QStringLiteral(VYPER_EMULATOR_PATH); }
QString GoldenFolder() { return QStringLiteral(VYPER_GOLDEN_DIR); }

QString ProgramFileName(const GoldenDive& d) {
    return QStringLiteral("Tauchgang %1-%2-%3 %4.txt")
        .arg(d.year)
        .arg(QLocale::system().monthName(d.month, QLocale::LongFormat))
        .arg(d.day, 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(d.time));
}

QByteArray Golden(const GoldenDive& d) { return ReadAll(GoldenFolder() + QStringLiteral("/e2e/") + d.golden); }

QStringList EmulatorArguments(const QString& interfaceType, QStringList extra, bool paced) {
    extra << QStringLiteral("--data=") + GoldenFolder() + QStringLiteral("/dives.txt");
    if (!paced) extra << QStringLiteral("--fast");
    if (interfaceType == kSelfBuilt) extra << QStringLiteral("--echo");
    return extra;
}

QStringList GoldenSettingsReport() {
    return QString::fromUtf8(ReadAll(GoldenFolder() + QStringLiteral("/settings-report.txt"))).split('\n', Qt::SkipEmptyParts);
}

std::string Text(const QStringList& lines) { return lines.join(QLatin1Char('\n')).toStdString(); }

QStringList LinesAfter(const QStringList& lines, const QString& first, int count) {
    const qsizetype at = lines.indexOf(first);
    return at < 0 ? QStringList{} : lines.mid(at + 1, count);
}

Program::Program(const QString& devicePath, const QString& interfaceType, int clockSpeed)
    : serial_([this](int port) { return DevicePathForPort(settings_, port); }), waits_(clockSpeed) {
    settings_.Save(QStringLiteral("Ports"), QStringLiteral("COM2"), devicePath);
    settings_.Save(QStringLiteral("CommPort"), QStringLiteral("InterfaceType"), interfaceType);
    QDir(folder_.path()).mkpath(QStringLiteral("Tauchprofile"));
    const auto noDevices = [] { return std::vector<SerialDeviceChoice>{}; };
    window = std::make_unique<frmVyper>(
        Platform{serial_, settings_, boxes, waits_, files_, AppInfo{folder_.path(), 0, 7}, noDevices});
    window->txtComDelay->SetText(QStringLiteral("0"));
}

// The window lets go of the serial control as it goes, so it must go first.
Program::~Program() { window.reset(); }

void Program::Press(QPushButton* button) {
    button->click();
    QElapsedTimer clock;
    clock.start();
    // The poll holds the control timer while bytes wait, so only the transfer itself can say
    // that it has ended.
    while (window->Module().TransferActive && clock.elapsed() < kTransferTimeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ASSERT_FALSE(window->Module().TransferActive) << "the transfer did not end";
    ASSERT_EQ(window->timDownLoadCtrl->Interval(), 0) << "the transfer ended but its timer runs on";
}

QString Program::ProfilePath(const QString& name) const { return JoinPath(window->Module().ProfileFolder, name); }

QStringList Program::StoredFiles() const {
    return QDir(window->Module().ProfileFolder).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
}

}  // namespace vyper::testing
