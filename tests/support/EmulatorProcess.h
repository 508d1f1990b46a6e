#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vyper::testing {

// The emulated dive computer as a separate process: started with the given options, it
// opens a pseudo-terminal and prints the device path as its first line. Its conversation
// log goes to a private file. The process is ended when the object goes, however the test
// ends (a failed assertion, an exception); if the test process itself dies (an abort, a
// crash, a kill), the emulator is sent SIGTERM by the system and ends as well. On Linux that
// signal comes when the thread that made the object ends: make it on the test's own thread.
class EmulatorProcess {
public:
    // Starts `program` with `arguments` (plus its log option) and waits up to `timeoutMs`
    // for the path line. Throws std::runtime_error when it does not come.
    EmulatorProcess(const QString& program, const QStringList& arguments, int timeoutMs = 10000);
    ~EmulatorProcess();
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    // The pseudo-terminal the program is to open as its serial port.
    const QString& DevicePath() const { return devicePath_; }
    // Everything logged so far (received and sent bytes, recognised commands).
    QString Log() const;
    // Lines of the log that name a recognised command ("command: ...").
    QStringList Commands() const;
    // Waits up to `timeoutMs` for the process to end by itself; its exit status, or -1.
    int WaitForExit(int timeoutMs);
    // The emulator's process id (0 once it has ended and been reaped).
    qint64 Pid() const { return process_.processId(); }

private:
    QTemporaryDir folder_;
    QProcess process_;
    QString devicePath_;
};

}  // namespace vyper::testing
