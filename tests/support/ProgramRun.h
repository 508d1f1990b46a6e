#pragma once
// A program of this project run as a user runs it: a process of its own, with the user's
// folders (settings, data, state) in a temporary folder, its output read as it comes.

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace vyper::testing {

// The user's folders of one test: $XDG_CONFIG_HOME, $XDG_DATA_HOME and $XDG_STATE_HOME,
// each a fresh folder.
class UserFolders {
public:
    UserFolders();
    // The window's settings file in the config folder.
    QString SettingsFile() const;
    // The state folder, where the transfer logs go.
    QString StateFolder() const;
    // The profile folder the programs choose by default (in the data folder).
    QString DefaultProfileFolder() const;
    // A folder of the test's own for anything else.
    QString Scratch(const QString& name) const;
    // The test's environment with the three folders set.
    QProcessEnvironment Environment() const;

private:
    QTemporaryDir root_;
};

// What a finished run left.
struct ProgramResult {
    int exitCode = -1;          // -1 when it did not end by itself or crashed
    QByteArray out;
    QByteArray err;
    QStringList OutLines() const;  // standard output as lines, without the final line end
    QStringList ErrLines() const;
};

// Called whenever the running program has printed something, with all it printed so far;
// it may act on the process (send it a signal).
using WhileRunning = std::function<void(QProcess& process, const QByteArray& out, const QByteArray& err)>;

// Runs `program` until it ends, for at most `timeoutMs` (then it is killed and the result
// has exit code -1).
ProgramResult RunProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                         const WhileRunning& whileRunning = {}, int timeoutMs = 60000);

}  // namespace vyper::testing
