#include "support/ProgramRun.h"

#include <QDir>
#include <QElapsedTimer>

namespace vyper::testing {

namespace {
QStringList Lines(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
}
}  // namespace

UserFolders::UserFolders() {
    for (const char* name : {"config", "data", "state", "scratch"}) QDir(root_.path()).mkpath(QString::fromLatin1(name));
}

QString UserFolders::SettingsFile() const { return root_.filePath(QStringLiteral("config/Vyper-Grundelnetz.conf")); }

QString UserFolders::StateFolder() const { return root_.filePath(QStringLiteral("state")); }

QString UserFolders::DefaultProfileFolder() const {
    return root_.filePath(QStringLiteral("data/Vyper-Grundelnetz/Tauchprofile"));
}

QString UserFolders::Scratch(const QString& name) const { return root_.filePath(QStringLiteral("scratch/") + name); }

QProcessEnvironment UserFolders::Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root_.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root_.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_STATE_HOME"), root_.filePath(QStringLiteral("state")));
    return environment;
}

QStringList ProgramResult::OutLines() const { return Lines(out); }
QStringList ProgramResult::ErrLines() const { return Lines(err); }

ProgramResult RunProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                         const WhileRunning& whileRunning, int timeoutMs) {
    ProgramResult result;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs)) return result;
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < timeoutMs) {
        process.waitForReadyRead(100);
        const QByteArray out = process.readAllStandardOutput(), err = process.readAllStandardError();
        result.out += out;
        result.err += err;
        if (whileRunning && !(out.isEmpty() && err.isEmpty())) whileRunning(process, result.out, result.err);
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        return result;
    }
    result.out += process.readAllStandardOutput();
    result.err += process.readAllStandardError();
    if (process.exitStatus() == QProcess::NormalExit) result.exitCode = process.exitCode();
    return result;
}

}  // namespace vyper::testing
