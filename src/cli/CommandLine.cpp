#include "cli/CommandLine.h"

#include <QDir>
#include <QFileInfo>

#include "Version.h"
#include "cli/CliOptions.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/ExportRun.h"
#include "cli/GuardedFileWriter.h"
#include "cli/HelpText.h"
#include "cli/JsonReport.h"
#include "cli/PortsReport.h"
#include "cli/ReadOnlySettings.h"
#include "cli/RunChoices.h"
#include "cli/SignalStop.h"
#include "cli/TransferRun.h"
#include "platform/AppInfo.h"
#include "platform/FileTransferLog.h"
#include "platform/SerialDevices.h"

namespace vyper::cli {

namespace {

const QString kProfileFolderName = QStringLiteral("Tauchprofile");

void PrintJson(Console& console, const QJsonObject& object) { console.Out(QString::fromUtf8(JsonLine(object).chopped(1))); }

// The window's folder and versions, or the folder given with --folder (the profile folder itself).
struct Places {
    AppInfo app;
    QString profileFolder;
};

Places PlacesFor(const CliOptions& options) {
    Places places;
    if (options.folder.isEmpty()) {
        places.app = SystemAppInfo();
        places.profileFolder = JoinPath(places.app.programFolder, kProfileFolderName);
        return places;
    }
    places.profileFolder = QDir::toNativeSeparators(QFileInfo(options.folder).absoluteFilePath());
    places.app = AppInfo{QFileInfo(places.profileFolder).absolutePath(), version::Minor, version::Revision};
    return places;
}

int RunPorts(const CliOptions& options, const SettingsStore& settings, Console& console) {
    const PortsReport report = MakePortsReport(settings, PresentSerialDeviceChoices());
    if (options.json) PrintJson(console, PortsJson(report));
    else for (const QString& line : PortsLines(report)) console.Out(line);
    return exit_status::Done;
}

int RunExportCommand(const CliOptions& options, Console& console) {
    SignalStop stop;
    AtomicFileWriter atomic;
    GuardedFileWriter files(atomic);
    const QString folder = options.files.isEmpty() ? PlacesFor(options).profileFolder : QString();
    const ExportReport report = RunExport({folder, options.files, *options.format, options.output}, files, console);
    const int status = ChooseExitStatus(report.facts);
    if (options.json) PrintJson(console, ExportJson(report, status));
    else if (report.outcome.written && !report.facts.interrupted) console.Out(report.output);
    return status;
}

int RunTransferCommand(const CliOptions& options, SettingsStore& settings, Console& console) {
    TransferSetup setup;
    setup.kind = options.command == Command::Settings ? TransferKind::Settings : TransferKind::Download;
    QStringList warnings;
    setup.choices = ResolveChoices(options, settings, warnings);
    for (const QString& warning : warnings) console.Err(warning);
    const Places places = PlacesFor(options);
    setup.app = places.app;
    setup.profileFolder = places.profileFolder;
    setup.json = options.json;

    // Logged as the window logs, in the state folder, or into the one file named.
    const std::unique_ptr<FileTransferLog> log =
        options.logFile.isEmpty() ? FileTransferLog::InStateFolder()
                                  : FileTransferLog::AtPath(QFileInfo(options.logFile).absoluteFilePath());
    setup.log = log.get();

    SignalStop stop;
    const TransferOutcome outcome = RunTransfer(setup, settings, console, stop);
    const int status = ChooseExitStatus(TransferFacts(outcome));
    if (options.json) PrintJson(console, TransferJson(outcome, status, setup.profileFolder));
    return status;
}

}  // namespace

int RunCommandLine(const QStringList& arguments) {
    Console console(Console::StandardErrorIsTerminal());
    const ParsedArguments parsed = ParseArguments(arguments);
    const CliOptions& options = parsed.options;
    if (!parsed.error.isEmpty()) {
        console.Err(UsageErrorLine(parsed.error));
        // --json asks for the object even when the reading stopped before it.
        if (options.json || arguments.contains(QStringLiteral("--json"))) {
            PrintJson(console, FailureJson(CommandName(options.command), exit_status::Usage, parsed.error));
        }
        return exit_status::Usage;
    }
    if (options.help) {
        console.Out(HelpText().chopped(1));
        return exit_status::Done;
    }
    if (options.version) {
        console.Out(VersionText());
        return exit_status::Done;
    }

    IniSettingsStore stored;
    ReadOnlySettings settings(stored);
    switch (options.command) {
    case Command::Ports: return RunPorts(options, settings, console);
    case Command::Export: return RunExportCommand(options, console);
    case Command::Settings:
    case Command::Download: return RunTransferCommand(options, settings, console);
    case Command::None: break;
    }
    return exit_status::Usage;
}

}  // namespace vyper::cli
