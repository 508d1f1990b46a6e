#include "support/EmulatorProcess.h"

#include <QFile>
#include <csignal>
#include <stdexcept>

#if defined(__linux__)
#include <sys/prctl.h>
#include <unistd.h>
#endif

namespace vyper::testing {

namespace {
QString LogPath(const QTemporaryDir& folder) { return folder.filePath(QStringLiteral("emulator.log")); }

// In the child before it runs the emulator: the emulator is to get SIGTERM when the thread
// that started it goes, so that a test process that aborts or crashes leaves no emulator
// behind (no destructor runs then). A parent gone already before the request took effect
// is seen from the parent process id, which has changed by then.
#if defined(__linux__)
void EndWithParent(pid_t parent) {
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || ::getppid() != parent) ::_exit(127);
}
#endif
}  // namespace

EmulatorProcess::EmulatorProcess(const QString& program, const QStringList& arguments, int timeoutMs) {
    if (!folder_.isValid()) throw std::runtime_error("no temporary folder for the emulator log");
    process_.setProcessChannelMode(QProcess::SeparateChannels);
#if defined(__linux__)
    const pid_t parent = ::getpid();
    process_.setChildProcessModifier([parent] { EndWithParent(parent); });
#endif
    process_.start(program, QStringList(arguments) << QStringLiteral("--log=") + LogPath(folder_));
    if (!process_.waitForStarted(timeoutMs)) {
        throw std::runtime_error("emulator did not start: " + process_.errorString().toStdString());
    }
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(timeoutMs)) {
            const QString why = QString::fromLocal8Bit(process_.readAllStandardError());
            throw std::runtime_error("emulator printed no device path: " + why.toStdString());
        }
    }
    devicePath_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
}

EmulatorProcess::~EmulatorProcess() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString EmulatorProcess::Log() const {
    QFile file(LogPath(folder_));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

QStringList EmulatorProcess::Commands() const {
    QStringList commands;
    for (const QString& line : Log().split(QLatin1Char('\n'))) {
        const qsizetype at = line.indexOf(QStringLiteral("command: "));
        if (at >= 0) commands << line.mid(at + 9).trimmed();
    }
    return commands;
}

int EmulatorProcess::WaitForExit(int timeoutMs) {
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(timeoutMs)) return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

}  // namespace vyper::testing
