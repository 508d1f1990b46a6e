// The command line: its pure parts called directly, and the program itself run as a user
// runs it, against the emulated dive computer on a pseudo-terminal, with its own settings,
// data and state folders.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <csignal>

#include "Version.h"
#include "cli/CliOptions.h"
#include "cli/ConsoleSeams.h"
#include "cli/ExitStatus.h"
#include "cli/GuardedFileWriter.h"
#include "cli/JsonReport.h"
#include "cli/PortsReport.h"
#include "cli/ProgressLine.h"
#include "cli/ReadOnlySettings.h"
#include "cli/RunChoices.h"
#include "cli/SignalStop.h"
#include "cli/TransferOutcome.h"
#include "platform/Failure.h"
#include "support/E2eSession.h"
#include "support/EmulatorProcess.h"
#include "support/Fakes.h"
#include "support/ProgramRun.h"
#include "transfer/ActivityIndicator.h"

using namespace vyper;
using namespace vyper::cli;
using namespace vyper::testing;

namespace {

const QString kCli = QStringLiteral(VYPER_CLI_PATH);
const QString kWindowProgram = QStringLiteral(VYPER_WINDOW_PROGRAM_PATH);

QStringList Args(std::initializer_list<const char*> args) {
    QStringList list;
    for (const char* a : args) list << QString::fromUtf8(a);
    return list;
}

// ---------------------------------------------------------------------------------------
// The pure parts.

// The options as one line of what was set, for readable expectations.
QString Describe(const CliOptions& o) {
    QStringList parts{CommandName(o.command)};
    if (o.help) parts << QStringLiteral("help");
    if (o.version) parts << QStringLiteral("version");
    if (o.json) parts << QStringLiteral("json");
    if (o.port) parts << QStringLiteral("port=") + *o.port;
    if (o.interfaceText) parts << QStringLiteral("interface=") + *o.interfaceText;
    if (o.delayMs) parts << QStringLiteral("delay=%1").arg(*o.delayMs);
    if (o.dives) parts << QStringLiteral("dives=%1").arg(*o.dives);
    if (o.onlyNew) parts << QStringLiteral("onlyNew=%1").arg(*o.onlyNew ? 1 : 0);
    if (o.overwrite != OverwritePolicy::Never) parts << QStringLiteral("overwrite=always");
    if (o.maxErrors) parts << QStringLiteral("maxErrors=%1").arg(*o.maxErrors);
    if (!o.folder.isEmpty()) parts << QStringLiteral("folder=") + o.folder;
    if (!o.logFile.isEmpty()) parts << QStringLiteral("log=") + o.logFile;
    if (o.format) parts << (*o.format == ExportFormat::Uddf ? QStringLiteral("format=uddf") : QStringLiteral("format=csv"));
    if (!o.output.isEmpty()) parts << QStringLiteral("output=") + o.output;
    if (!o.files.isEmpty()) parts << QStringLiteral("files=") + o.files.join(QLatin1Char(','));
    return parts.join(QLatin1Char(' ')).trimmed();
}

TEST(CliArguments, AreReadIntoOptionsOrOneLineThatSaysWhatIsWrong) {
    const struct {
        QStringList args;
        const char* options;  // Describe() of the options when they are fine
        const char* error;    // else the line
    } cases[] = {
        {Args({"download"}), "download", ""},
        {Args({"--port", "/dev/ttyUSB0", "download", "--interface=selbstbau", "--delay", "0"}),
         "download port=/dev/ttyUSB0 interface=Selbstbau (mit Echo) delay=0", ""},
        {Args({"settings", "--port=4", "--interface", "original", "--delay=2000", "--log", "/tmp/v.log"}),
         "settings port=4 interface=Original Suunto (ohne Echo) delay=2000 log=/tmp/v.log", ""},
        {Args({"download", "--dives", "Alle", "--only-new", "--overwrite", "always", "--max-errors=5", "--folder", "/tmp/x",
               "--json"}),
         "download json dives=0 onlyNew=1 overwrite=always maxErrors=5 folder=/tmp/x", ""},
        {Args({"download", "--only-new", "--dives", "12", "--no-only-new"}), "download dives=12 onlyNew=0", ""},
        {Args({"export", "--format", "csv", "--output", "x.csv", "a.txt", "--", "-b.txt"}),
         "export format=csv output=x.csv files=a.txt,-b.txt", ""},
        {Args({"export", "--format=uddf", "--output=l.uddf", "--folder", "/p"}), "export folder=/p format=uddf output=l.uddf", ""},
        {Args({"ports", "--json"}), "ports json", ""},
        {Args({"--help"}), "help", ""},
        {Args({"-h", "download", "--delay", "7"}), "download help delay=7", ""},
        {Args({"--version"}), "version", ""},

        {Args({}), "", "Kein Befehl angegeben (settings, download, export oder ports)."},
        {Args({"upload"}), "", "Unbekannter Befehl: „upload“ (settings, download, export oder ports)."},
        {Args({"download", "settings"}), "", "Überzähliger Parameter: „settings“."},
        {Args({"download", "--port", "0"}), "",
         "Ungültiger Wert für --port: „0“ (erlaubt: 1 bis 4 oder ein Gerätepfad wie /dev/ttyUSB0)."},
        {Args({"download", "--port", "COM2"}), "",
         "Ungültiger Wert für --port: „COM2“ (erlaubt: 1 bis 4 oder ein Gerätepfad wie /dev/ttyUSB0)."},
        {Args({"download", "--delay", "2001"}), "", "Ungültiger Wert für --delay: „2001“ (erlaubt: 0 bis 2000 ms)."},
        {Args({"download", "--delay", "-5"}), "", "Ungültiger Wert für --delay: „-5“ (erlaubt: 0 bis 2000 ms)."},
        {Args({"download", "--delay", " 5"}), "", "Ungültiger Wert für --delay: „ 5“ (erlaubt: 0 bis 2000 ms)."},
        {Args({"download", "--dives", "0"}), "", "Ungültiger Wert für --dives: „0“ (erlaubt: 1 bis 9999 oder alle)."},
        {Args({"download", "--overwrite", "ask"}), "", "Ungültiger Wert für --overwrite: „ask“ (erlaubt: never, always)."},
        {Args({"download", "--max-errors", "0"}), "", "Ungültiger Wert für --max-errors: „0“ (erlaubt: 1 bis 32767)."},
        {Args({"settings", "--interface", "echo"}), "", "Ungültiger Wert für --interface: „echo“ (erlaubt: original, selbstbau)."},
        {Args({"export", "--format", "xml", "--output", "x"}), "", "Ungültiger Wert für --format: „xml“ (erlaubt: uddf, csv)."},
        {Args({"settings", "--only-new"}), "", "Die Option --only-new gilt nicht für den Befehl settings."},
        {Args({"ports", "--port", "1"}), "", "Die Option --port gilt nicht für den Befehl ports."},
        {Args({"download", "--format", "csv"}), "", "Die Option --format gilt nicht für den Befehl download."},
        {Args({"download", "--json=yes"}), "", "Die Option --json hat keinen Wert."},
        {Args({"download", "--port"}), "", "Die Option --port braucht einen Wert."},
        {Args({"download", "--folder="}), "", "Die Option --folder braucht einen nicht leeren Wert."},
        {Args({"download", "--verbose"}), "", "Unbekannte Option: --verbose"},
        {Args({"download", "-v"}), "", "Unbekannte Option: -v"},
        {Args({"export", "--output", "x.csv"}), "", "Der Befehl export braucht --format uddf|csv und --output DATEI."},
    };
    for (const auto& c : cases) {
        const ParsedArguments parsed = ParseArguments(c.args);
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(parsed.error.toStdString(), c.error);
        if (*c.error == '\0') {
            EXPECT_EQ(Describe(parsed.options).toStdString(), c.options);
        }
    }
}

TEST(CliExitStatus, TheWeightiestFactOfARunDecides) {
    const struct {
        RunFacts facts;
        int status;
    } cases[] = {
        {{}, 0},
        {{.incomplete = true}, 4},
        {{.fileFailed = true, .incomplete = true}, 5},
        {{.portFailed = true, .fileFailed = true}, 3},
        {{.interrupted = true, .portFailed = true, .incomplete = true}, 130},
        {{.usageError = true, .interrupted = true}, 2},
    };
    for (const auto& c : cases) EXPECT_EQ(ChooseExitStatus(c.facts), c.status);
}

TEST(CliExitStatus, OfATransferFollowsWhatItLeftUndone) {
    auto outcome = [](TransferKind kind, auto change) {
        TransferOutcome o;
        o.kind = kind;
        o.settingsBlocksRead = 4;
        change(o);
        return o;
    };
    const TransferKind download = TransferKind::Download, settings = TransferKind::Settings;
    const struct {
        const char* name;
        TransferOutcome outcome;
        int status;
    } cases[] = {
        {"download done", outcome(download, [](TransferOutcome&) {}), 0},
        {"download failed", outcome(download, [](TransferOutcome& o) { o.failed = true; }), 4},
        {"a file not written, so lost", outcome(download, [](TransferOutcome& o) {
             o.failed = true;
             o.fileFailures = {QStringLiteral("Schreibfehler")};
         }),
         5},
        {"profile folder not made", outcome(download, [](TransferOutcome& o) { o.folderFailed = true; }), 5},
        {"port not opened", outcome(download, [](TransferOutcome& o) { o.portFailed = true; }), 3},
        {"interrupted after a failure", outcome(download, [](TransferOutcome& o) {
             o.interrupted = true;
             o.failed = true;
         }),
         130},
        {"settings read whole", outcome(settings, [](TransferOutcome&) {}), 0},
        {"settings failed", outcome(settings, [](TransferOutcome& o) { o.failed = true; }), 4},
        {"settings read ended after two blocks", outcome(settings, [](TransferOutcome& o) { o.settingsBlocksRead = 2; }), 4},
    };
    for (const auto& c : cases) EXPECT_EQ(ChooseExitStatus(TransferFacts(c.outcome)), c.status) << c.name;
}

QString Describe(const RunChoices& c) {
    return QStringLiteral("COM%1 %2 | %3 | delay %4 | dives %5 | errors %6 | onlyNew %7 | %8")
        .arg(c.portNumber)
        .arg(c.devicePath, c.interfaceText, c.delayText, c.diveCountText, c.errorLimitText)
        .arg(c.onlyNew ? 1 : 0)
        .arg(c.overwrite == OverwritePolicy::Always ? QStringLiteral("always") : QStringLiteral("never"));
}

TEST(CliChoices, ComeFromTheCommandLineElseFromTheWindowsStoredSettings) {
    const std::map<std::pair<QString, QString>, QString> stored = {
        {{"CommPort", "Number"}, "3"},
        {{"Ports", "COM3"}, "/dev/ttyUSB0"},
        {{"CommPort", "InterfaceType"}, "Selbstbau (mit Echo)"},
        {{"CommPort", "Delay"}, "120"},
        {{"Settings", "LoadOnlyNewDvies"}, "1"},
    };
    const struct {
        const char* name;
        std::map<std::pair<QString, QString>, QString> settings;
        QStringList args;
        const char* choices;
        const char* warning;
    } cases[] = {
        {"nothing stored, nothing given", {}, Args({"download"}),
         "COM2 /dev/ttyS1 | Original Suunto (ohne Echo) | delay 350 | dives Alle | errors 3 | onlyNew 0 | never", ""},
        {"the window's choices", stored, Args({"download"}),
         "COM3 /dev/ttyUSB0 | Selbstbau (mit Echo) | delay 120 | dives Alle | errors 3 | onlyNew 1 | never", ""},
        {"every choice given",
         stored,
         Args({"download", "--port", "1", "--interface", "original", "--delay", "0", "--no-only-new", "--dives", "5",
               "--max-errors", "7", "--overwrite", "always"}),
         "COM1 /dev/ttyS0 | Original Suunto (ohne Echo) | delay 0 | dives 5 | errors 7 | onlyNew 0 | always", ""},
        {"a device path keeps the stored number", stored, Args({"settings", "--port", "/dev/pts/9"}),
         "COM3 /dev/pts/9 | Selbstbau (mit Echo) | delay 120 | dives Alle | errors 3 | onlyNew 1 | never", ""},
        {"unknown interface and port text",
         {{{"CommPort", "InterfaceType"}, "Irgendwas"}, {{"CommPort", "Number"}, "x"}},
         Args({"download"}),
         "COM2 /dev/ttyS1 | Original Suunto (ohne Echo) | delay 350 | dives Alle | errors 3 | onlyNew 0 | never", ""},
        {"greyed only-new box", {{{"Settings", "LoadOnlyNewDvies"}, "2"}}, Args({"download"}),
         "COM2 /dev/ttyS1 | Original Suunto (ohne Echo) | delay 350 | dives Alle | errors 3 | onlyNew 0 | never", ""},
        {"only-new value the window refuses", {{{"Settings", "LoadOnlyNewDvies"}, "5"}}, Args({"download"}),
         "COM2 /dev/ttyS1 | Original Suunto (ohne Echo) | delay 350 | dives Alle | errors 3 | onlyNew 0 | never",
         "Ungültiger Eigenschaftswert 380"},
        {"refused stored value, given on the command line", {{{"Settings", "LoadOnlyNewDvies"}, "5"}},
         Args({"download", "--only-new"}),
         "COM2 /dev/ttyS1 | Original Suunto (ohne Echo) | delay 350 | dives Alle | errors 3 | onlyNew 1 | never", ""},
    };
    for (const auto& c : cases) {
        MemorySettingsStore settings;
        for (const auto& [key, value] : c.settings) settings.Save(key.first, key.second, value);
        const ParsedArguments parsed = ParseArguments(c.args);
        ASSERT_EQ(parsed.error, QString()) << c.name;
        QStringList warnings;
        EXPECT_EQ(Describe(ResolveChoices(parsed.options, settings, warnings)).toStdString(), c.choices) << c.name;
        EXPECT_EQ(warnings.join(QLatin1Char('|')).toStdString(), c.warning) << c.name;
    }
}

TEST(CliChoices, TheReadOnlySettingsPassReadsAndDropWrites) {
    MemorySettingsStore stored;
    stored.Save(QStringLiteral("CommPort"), QStringLiteral("Number"), QStringLiteral("3"));
    ReadOnlySettings settings(stored);
    settings.Save(QStringLiteral("CommPort"), QStringLiteral("Number"), QStringLiteral("1"));
    settings.Save(QStringLiteral("Ports"), QStringLiteral("COM1"), QStringLiteral("/dev/ttyUSB0"));
    settings.Remove(QStringLiteral("CommPort"), QStringLiteral("Number"));
    EXPECT_EQ(settings.Load(QStringLiteral("CommPort"), QStringLiteral("Number")), QStringLiteral("3"));
    EXPECT_EQ(stored.Load(QStringLiteral("CommPort"), QStringLiteral("Number")), QStringLiteral("3"));
    EXPECT_FALSE(stored.Contains(QStringLiteral("Ports"), QStringLiteral("COM1")));
}

TEST(CliProgress, OneLineWithTheWindowsCaptionsAndWholeSeconds) {
    const struct {
        int dives, bytes;
        int64_t ms;
        const char* line;
    } cases[] = {
        {0, 0, 0, "Tauchgänge gelesen: 0, Bytes empfangen: 0, 0 s"},
        {2, 391, 7999, "Tauchgänge gelesen: 2, Bytes empfangen: 391, 7 s"},
        {48, 8709, 100500, "Tauchgänge gelesen: 48, Bytes empfangen: 8709, 100 s"},
        {1, 34, -20, "Tauchgänge gelesen: 1, Bytes empfangen: 34, 0 s"},
    };
    for (const auto& c : cases) EXPECT_EQ(ProgressLine(c.dives, c.bytes, c.ms).toStdString(), c.line);
    EXPECT_EQ(ProgressRedraw(QStringLiteral("Tauchgänge gelesen: 1")).toStdString(), "\rTauchgänge gelesen: 1\x1b[K");
    EXPECT_EQ(ProgressErase().toStdString(), "\r\x1b[K");
}

TEST(CliBoxes, QuestionsAreAnsweredNoAndEveryTextIsHandedOn) {
    QStringList printed;
    PrintedBoxes boxes([&printed](const QString& text) { printed << text; });
    const struct {
        int style;
        int answer;
    } cases[] = {
        {style::OkOnly, answer::Ok},
        {style::Critical | style::OkOnly, answer::Ok},
        {style::Information, answer::Ok},
        {style::YesNo | style::Question | style::DefaultButton2, answer::No},
        {style::YesNo, answer::No},
    };
    for (const auto& c : cases) EXPECT_EQ(boxes.Show(QStringLiteral("Text %1").arg(c.style), c.style, kMessageTitle), c.answer);
    const QStringList expected = {"Text 0", "Text 16", "Text 64", "Text 292", "Text 4"};
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(boxes.texts, expected);
}

TEST(CliFiles, RefusedWritesAreKeptAndExistingFilesTold) {
    QTemporaryDir folder;
    FaultyFileWriter disk;
    GuardedFileWriter files(disk);
    QStringList existing;
    files.onExisting = [&existing](const QString& path) { existing << QFileInfo(path).fileName(); };

    const QString stored = folder.filePath(QStringLiteral("a.txt"));
    files.WriteWhole(stored, "alt");
    QDir(folder.path()).mkdir(QStringLiteral("ordner.txt"));
    EXPECT_TRUE(files.Exists(stored));
    EXPECT_FALSE(files.Exists(folder.filePath(QStringLiteral("b.txt"))));
    EXPECT_FALSE(files.Exists(folder.filePath(QStringLiteral("ordner.txt"))));
    EXPECT_EQ(existing, QStringList{QStringLiteral("a.txt")});

    disk.bytesUntilFull = 1;
    EXPECT_THROW(files.WriteWhole(stored, "neu und lang"), RuntimeFailure);
    EXPECT_EQ(ReadAll(stored), QByteArray("alt"));
    ASSERT_EQ(files.failures.size(), 1);
    EXPECT_TRUE(files.failures[0].startsWith(QStringLiteral("Schreibfehler (Datenträger voll?): ")))
        << files.failures[0].toStdString();
}

TEST(CliFiles, AStreamedWriteStopsAtItsNextPieceOnceASignalCameAndLeavesNothing) {
    QTemporaryDir folder;
    AtomicFileWriter disk;
    GuardedFileWriter files(disk);
    const QString target = folder.filePath(QStringLiteral("Logbuch.uddf"));
    SignalStop stop;
    int pieces = 0;
    auto produce = [&pieces](const FileWriter::ChunkSink& sink) {
        for (int i = 0; i < 3; ++i) {
            if (i == 1) std::raise(SIGINT);  // Ctrl+C between the first and the second dive
            sink("<dive/>");
            ++pieces;
        }
    };
    EXPECT_THROW(files.WriteWholeStreamed(target, produce), WriteInterrupted);
    EXPECT_EQ(pieces, 1);
    EXPECT_TRUE(SignalStop::Requested());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
}

TEST(CliReports, PortsAsTheDialogNamesThem) {
    PortsReport report;
    report.ports = {{1, "/dev/ttyS0", "Standard (/dev/ttyS0)"},
                    {2, "/dev/serial/by-id/usb-FTDI_A1-if00-port0", "FT232R USB UART (FTDI, Nr. A1) – /dev/ttyUSB0"}};
    report.devices = {{"/dev/serial/by-id/usb-FTDI_A1-if00-port0", "/dev/ttyUSB0", "FT232R USB UART (FTDI, Nr. A1) – /dev/ttyUSB0"},
                      {"/dev/ttyS0", "/dev/ttyS0", "Eingebaute Schnittstelle – /dev/ttyS0"}};
    EXPECT_EQ(PortsLines(report), QStringList({"COM1: Standard (/dev/ttyS0)", "COM2: FT232R USB UART (FTDI, Nr. A1) – /dev/ttyUSB0",
                                               "Serielle Geräte:",
                                               "  FT232R USB UART (FTDI, Nr. A1) – /dev/ttyUSB0 "
                                               "(--port /dev/serial/by-id/usb-FTDI_A1-if00-port0)",
                                               "  Eingebaute Schnittstelle – /dev/ttyS0"}));
    report.devices.clear();
    EXPECT_EQ(PortsLines(report).last(), QStringLiteral("Serielle Geräte: keine"));

    MemorySettingsStore settings;
    settings.Save(QStringLiteral("Ports"), QStringLiteral("COM3"), QStringLiteral("/dev/vyper-nicht-da"));
    const PortsReport made = MakePortsReport(settings, {});
    ASSERT_EQ(made.ports.size(), 4u);
    EXPECT_EQ(PortsLines(made), QStringList({"COM1: Standard (/dev/ttyS0)", "COM2: Standard (/dev/ttyS1)",
                                             "COM3: /dev/vyper-nicht-da (nicht angeschlossen)",
                                             "COM4: Standard (/dev/ttyS3)", "Serielle Geräte: keine"}));
    EXPECT_EQ(made.ports[2].device, QStringLiteral("/dev/vyper-nicht-da"));
}

TEST(CliReports, JsonObjectsHoldWhatARunDid) {
    TransferOutcome download;
    download.storedPaths = {"/p/Tauchgang A.txt"};
    download.skippedPaths = {"/p/Tauchgang C.txt"};
    download.lost = {{2, "16.08.2024"}, {4, ""}};
    download.bytes = 168;
    download.divesRead = 2;
    download.divesStored = 1;
    download.errors = 5;
    download.logPath = "/s/v.log";
    TransferOutcome settings;
    settings.kind = TransferKind::Settings;
    settings.reportLines = {"Lese Speicher von Vyper...", "OK."};
    settings.boxes = {"Box"};
    settings.bytes = 136;
    settings.settingsBlocksRead = 4;
    ExportReport exported;
    exported.format = ExportFormat::Csv;
    exported.output = "/e/Logbuch.csv";
    exported.outcome.exported = 3;
    exported.outcome.written = true;
    exported.outcome.skipped = {"Notiz.txt: leere Datei"};
    exported.messages = {"3 Tauchgänge exportiert nach /e/Logbuch.csv."};
    PortsReport ports;
    ports.ports = {{1, "/dev/ttyS0", "Standard (/dev/ttyS0)"}};
    ports.devices = {{"/dev/ttyS0", "/dev/ttyS0", "Eingebaute Schnittstelle – /dev/ttyS0"}};

    const struct {
        const char* name;
        QJsonObject object;
        const char* json;
    } cases[] = {
        {"download", TransferJson(download, 4, "/p"),
         R"j({"command":"download","counts":{"bytes":168,"dives_read":2,"errors":5,"lost":2,"skipped":1,"stored":1},)j"
         R"j("folder":"/p","interrupted":false,"log":"/s/v.log","lost":[{"date":"16.08.2024","place":2},{"date":null,"place":4}],)j"
         R"j("messages":[],"skipped":["/p/Tauchgang C.txt"],"status":4,"stored":["/p/Tauchgang A.txt"]})j"},
        {"settings", TransferJson(settings, 0, "/p"),
         R"j({"command":"settings","counts":{"blocks_missing":0,"blocks_read":4,"bytes":136},"interrupted":false,)j"
         R"j("log":null,"messages":["Box"],"report":["Lese Speicher von Vyper...","OK."],"status":0})j"},
        {"export", ExportJson(exported, 0),
         R"j({"command":"export","exported":3,"format":"csv","interrupted":false,)j"
         R"j("messages":["3 Tauchgänge exportiert nach /e/Logbuch.csv."],"output":"/e/Logbuch.csv",)j"
         R"j("skipped":["Notiz.txt: leere Datei"],"status":0,"written":true})j"},
        {"ports", PortsJson(ports),
         R"j({"command":"ports","devices":[{"device":"/dev/ttyS0","name":"Eingebaute Schnittstelle – /dev/ttyS0",)j"
         R"j("path":"/dev/ttyS0"}],"messages":[],"ports":[{"device":"/dev/ttyS0","entry":"Standard (/dev/ttyS0)","port":1}],"status":0})j"},
        {"failure", FailureJson("", 2, "Kein Befehl angegeben."), R"j({"command":"","messages":["Kein Befehl angegeben."],"status":2})j"},
    };
    for (const auto& c : cases) EXPECT_EQ(JsonLine(c.object).toStdString(), std::string(c.json) + "\n") << c.name;
}

// ---------------------------------------------------------------------------------------
// The program against the emulated dive computer.

QString CliInterface(int column) { return column == 0 ? QStringLiteral("original") : QStringLiteral("selbstbau"); }

QJsonObject ParseJson(const QByteArray& out) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << ": " << out.toStdString();
    return document.object();
}

QStringList JsonStrings(const QJsonValue& value) {
    QStringList strings;
    for (const QJsonValue& item : value.toArray()) strings << item.toString();
    return strings;
}

// Every entry of a folder, hidden ones (a write in progress) included.
QStringList AllEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The progress lines of a run that printed them as plain lines: "<dives>/<bytes>".
QStringList ProgressMilestones(const QStringList& lines) {
    static const QRegularExpression progress(QStringLiteral("^Tauchgänge gelesen: (\\d+), Bytes empfangen: (\\d+), \\d+ s$"));
    QStringList milestones;
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = progress.match(line);
        if (m.hasMatch()) milestones << m.captured(1) + QLatin1Char('/') + m.captured(2);
    }
    return milestones;
}

class CliTransfer : public ::testing::TestWithParam<int> {
protected:
    const QString& Type() const { return kInterfaceTypes[GetParam()]; }
    QStringList Link(const EmulatorProcess& emulator) const {
        return {QStringLiteral("--port"), emulator.DevicePath(), QStringLiteral("--interface"), CliInterface(GetParam()),
                QStringLiteral("--delay"), QStringLiteral("0")};
    }
    UserFolders user;
};

INSTANTIATE_TEST_SUITE_P(BothInterfaces, CliTransfer, ::testing::Values(0, 1),
                         [](const auto& info) { return ColumnName(info.param); });

TEST_P(CliTransfer, DownloadStoresTheHandCheckedFilesInTheWindowsFolderAndPrintsTheirPaths) {
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(Type()));
    const ProgramResult run = RunProgram(kCli, QStringList{"download"} + Link(emulator), user.Environment());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    const QString folder = user.DefaultProfileFolder();
    QStringList paths, names;
    for (const GoldenDive& d : {kDiveA, kDiveB, kDiveC, kDiveD}) {
        names << ProgramFileName(d);
        paths << folder + QLatin1Char('/') + ProgramFileName(d);
        EXPECT_EQ(ReadAll(paths.last()), Golden(d)) << d.golden;
    }
    EXPECT_EQ(run.OutLines(), paths);
    names.sort();
    EXPECT_EQ(AllEntries(folder), names);
    EXPECT_EQ(LinesAfter(run.ErrLines(), QStringLiteral("Übertragung beendet."), 5),
              QStringList({"", "Alle Tauchgänge wurden in das Datenformat von Lotwerk", "umgewandelt und im Ordner", folder,
                           "abgespeichert."}));
    // Standard error is no terminal here: the progress comes as a line per dive, and a last one.
    const QStringList milestones = ProgressMilestones(run.ErrLines());
    ASSERT_EQ(milestones.size(), 5) << run.err.toStdString();
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(milestones[i].startsWith(QStringLiteral("%1/").arg(i + 1))) << milestones[i].toStdString();
    EXPECT_TRUE(milestones[4].startsWith(QStringLiteral("4/"))) << milestones[4].toStdString();
    if (GetParam() == 0) {
        EXPECT_EQ(milestones[4], QStringLiteral("4/168"));  // the echo adds the commands' bytes
    }
}

TEST_P(CliTransfer, OnlyNewStopsAtTheFirstStoredDive) {
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(Type()));
    const QString folder = user.Scratch(QStringLiteral("Profile"));
    QDir().mkpath(folder);
    const QByteArray earlierB = "Time [s]\tDepth [m]\r\n30\t\t-9\r\n";
    WriteAll(folder + QLatin1Char('/') + ProgramFileName(kDiveB), earlierB);
    WriteAll(folder + QLatin1Char('/') + ProgramFileName(kDiveC), Golden(kDiveC));

    const ProgramResult run = RunProgram(
        kCli, QStringList{"download", "--only-new", "--overwrite", "always", "--folder", folder} + Link(emulator),
        user.Environment());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.OutLines(), QStringList{folder + QLatin1Char('/') + ProgramFileName(kDiveA)});
    EXPECT_EQ(ReadAll(folder + QLatin1Char('/') + ProgramFileName(kDiveA)), Golden(kDiveA));
    EXPECT_EQ(ReadAll(folder + QLatin1Char('/') + ProgramFileName(kDiveB)), earlierB);
    EXPECT_EQ(emulator.Commands(), QStringList({"first dive (08 165)", "next dive (09 165)"}));
    EXPECT_EQ(LinesAfter(run.ErrLines(), QStringLiteral("Tauchgang übertragen, der bereits gespeichert wurde."), 4),
              QStringList({ActivityLine(1), QStringLiteral("Übertragung unterbrochen."),
                           QStringLiteral("Nur neue Tauchgänge: beim ersten schon gespeicherten Tauchgang angehalten."),
                           QStringLiteral("Ergebnis: 1 neu gespeichert, 1 schon vorhanden (nicht überschrieben), 0 verloren.")}));
}

TEST_P(CliTransfer, SettingsPrintsTheReportOfTheDeviceMemory) {
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(Type()));
    const ProgramResult run = RunProgram(kCli, QStringList{"settings"} + Link(emulator), user.Environment());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.OutLines(), QStringList{"Lese Speicher von Vyper..."} + GoldenSettingsReport());
    EXPECT_EQ(run.err, QByteArray());
}

TEST(CliDefaults, ComeFromTheWindowsSettingsFileWhichStaysAsItWas) {
    UserFolders user;
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(kSelfBuilt));
    {
        IniSettingsStore window(user.SettingsFile());
        window.Save(QStringLiteral("Ports"), QStringLiteral("COM3"), emulator.DevicePath());
        window.Save(QStringLiteral("CommPort"), QStringLiteral("Number"), QStringLiteral("3"));
        window.Save(QStringLiteral("CommPort"), QStringLiteral("InterfaceType"), kSelfBuilt);
        window.Save(QStringLiteral("CommPort"), QStringLiteral("Delay"), QStringLiteral("0"));
        window.Save(QStringLiteral("Settings"), QStringLiteral("LoadOnlyNewDvies"), QStringLiteral("1"));
    }
    const QByteArray before = ReadAll(user.SettingsFile());
    const QDateTime modified = QFileInfo(user.SettingsFile()).lastModified();
    const QStringList configEntries = AllEntries(QFileInfo(user.SettingsFile()).path());

    const ProgramResult settings = RunProgram(kCli, {"settings"}, user.Environment());
    EXPECT_EQ(settings.exitCode, 0) << settings.err.toStdString();
    EXPECT_EQ(settings.OutLines(), QStringList{"Lese Speicher von Vyper..."} + GoldenSettingsReport());

    // Dive B is stored: the stored "Nur neue Tauchgänge laden" stops the download there.
    const QString folder = user.Scratch(QStringLiteral("Profile"));
    QDir().mkpath(folder);
    WriteAll(folder + QLatin1Char('/') + ProgramFileName(kDiveB), Golden(kDiveB));
    const ProgramResult download = RunProgram(kCli, {"download", "--folder", folder}, user.Environment());
    EXPECT_EQ(download.exitCode, 0) << download.err.toStdString();
    EXPECT_EQ(download.OutLines(), QStringList{folder + QLatin1Char('/') + ProgramFileName(kDiveA)});

    EXPECT_EQ(ReadAll(user.SettingsFile()), before);
    EXPECT_EQ(QFileInfo(user.SettingsFile()).lastModified(), modified);
    EXPECT_EQ(AllEntries(QFileInfo(user.SettingsFile()).path()), configEntries);
}

// A download into `folder` that gets `signal` once its first stored file is named; `sent`
// tells whether that happened before it ended.
ProgramResult DownloadSignalledAfterTheFirstFile(UserFolders& user, EmulatorProcess& emulator, const QString& folder,
                                                 bool& sent, const std::function<void(pid_t)>& signal) {
    return RunProgram(
        kCli, {"download", "--port", emulator.DevicePath(), "--interface", "original", "--delay", "0", "--folder", folder},
        user.Environment(), [&](QProcess& process, const QByteArray& out, const QByteArray&) {
            if (!sent && out.contains('\n')) {
                signal(static_cast<pid_t>(process.processId()));
                sent = true;
            }
        });
}

// Ctrl+C and SIGTERM during a download at the line's pace, right after the first stored file.
class CliInterrupt : public ::testing::TestWithParam<int> {};

INSTANTIATE_TEST_SUITE_P(Signals, CliInterrupt, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return std::string(info.param == SIGINT ? "SigInt" : "SigTerm"); });

TEST_P(CliInterrupt, StopsAsTheWindowsStopDoesAndLeavesTheFilesWholeAndThePortFree) {
    UserFolders user;
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(kOriginal, {}, true));
    const QString folder = user.Scratch(QStringLiteral("Profile"));
    bool sent = false;
    const ProgramResult run = DownloadSignalledAfterTheFirstFile(user, emulator, folder, sent, [this](pid_t pid) {
        ::kill(pid, GetParam());
    });
    ASSERT_TRUE(sent) << run.err.toStdString();
    EXPECT_EQ(run.exitCode, 130) << run.err.toStdString();
    EXPECT_TRUE(run.ErrLines().contains(QStringLiteral("Übertragung unterbrochen."))) << run.err.toStdString();

    // Whatever was stored is whole, and nothing else lies in the folder.
    const QStringList stored = run.OutLines();
    ASSERT_GE(stored.size(), 1);
    ASSERT_LT(stored.size(), 4) << "the download ended before the signal";
    QStringList names;
    const GoldenDive dives[] = {kDiveA, kDiveB, kDiveC};
    for (qsizetype i = 0; i < stored.size(); ++i) {
        names << ProgramFileName(dives[i]);
        EXPECT_EQ(stored[i], folder + QLatin1Char('/') + names.last());
        EXPECT_EQ(ReadAll(stored[i]), Golden(dives[i]));
    }
    names.sort();
    EXPECT_EQ(AllEntries(folder), names);

    // The port is closed and free: no lock file names it, and the next run opens it.
    const QString lockName = QStringLiteral("LCK..") + QFileInfo(emulator.DevicePath()).fileName();
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/run/lock/") + lockName));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/var/lock/") + lockName));
    const ProgramResult again = RunProgram(
        kCli, {"settings", "--port", emulator.DevicePath(), "--interface", "original", "--delay", "0"}, user.Environment());
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.OutLines(), QStringList{"Lese Speicher von Vyper..."} + GoldenSettingsReport());
}

TEST(CliInterruptTwice, EndsAtOnceWithoutAHalfFile) {
    UserFolders user;
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(kOriginal, {}, true));
    const QString folder = user.Scratch(QStringLiteral("Profile"));
    bool sent = false;
    const ProgramResult run = DownloadSignalledAfterTheFirstFile(user, emulator, folder, sent, [](pid_t pid) {
        // Both arrive while the program is held, so that it cannot act on the first before
        // the second is there; two different signals, so that they stay two.
        ::kill(pid, SIGSTOP);
        ::kill(pid, SIGINT);
        ::kill(pid, SIGTERM);
        ::kill(pid, SIGCONT);
    });
    ASSERT_TRUE(sent);
    EXPECT_EQ(run.exitCode, 130) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith("\nSofort beendet.\n")) << run.err.toStdString();
    EXPECT_FALSE(run.ErrLines().contains(QStringLiteral("Übertragung unterbrochen.")));
    const QStringList stored = run.OutLines();
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(ReadAll(stored[0]), Golden(kDiveA));
    EXPECT_EQ(AllEntries(folder), QStringList{ProgramFileName(kDiveA)});
}

TEST(CliFailures, UsageErrorsEndWithStatusTwoAndOneGermanLine) {
    UserFolders user;
    const struct {
        QStringList args;
        const char* line;
    } cases[] = {
        {Args({}), "vyper-grundelnetz-cli: Kein Befehl angegeben (settings, download, export oder ports). Hilfe: "
                   "vyper-grundelnetz-cli --help"},
        {Args({"download", "--port", "7"}),
         "vyper-grundelnetz-cli: Ungültiger Wert für --port: „7“ (erlaubt: 1 bis 4 oder ein Gerätepfad wie /dev/ttyUSB0). "
         "Hilfe: vyper-grundelnetz-cli --help"},
    };
    for (const auto& c : cases) {
        const ProgramResult run = RunProgram(kCli, c.args, user.Environment());
        EXPECT_EQ(run.exitCode, 2) << c.line;
        EXPECT_EQ(run.ErrLines(), QStringList{QString::fromUtf8(c.line)});
        EXPECT_EQ(run.out, QByteArray());
    }
    const ProgramResult json = RunProgram(kCli, Args({"download", "--port", "7", "--json"}), user.Environment());
    EXPECT_EQ(json.exitCode, 2);
    const QJsonObject object = ParseJson(json.out);
    EXPECT_EQ(object.value("status").toInt(), 2);
    EXPECT_EQ(object.value("command").toString(), QStringLiteral("download"));
}

TEST(CliFailures, AMissingPortEndsWithStatusThreeAndTheWindowsLine) {
    UserFolders user;
    const QString line = QStringLiteral(
        "Schnittstelle COM2: Das Gerät /dev/vyper-fehlt ist nicht vorhanden. Bitte prüfen Sie, ob das Interface "
        "angeschlossen und die richtige Schnittstelle gewählt ist.");
    const ProgramResult run = RunProgram(kCli, {"download", "--port", "/dev/vyper-fehlt"}, user.Environment());
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.ErrLines(), QStringList{line});
    EXPECT_EQ(run.out, QByteArray());

    const ProgramResult json = RunProgram(kCli, {"settings", "--port", "/dev/vyper-fehlt", "--json"}, user.Environment());
    EXPECT_EQ(json.exitCode, 3);
    const QJsonObject object = ParseJson(json.out);
    EXPECT_EQ(object.value("command").toString(), QStringLiteral("settings"));
    EXPECT_EQ(object.value("status").toInt(), 3);
    EXPECT_EQ(JsonStrings(object.value("messages")), QStringList{line});
    EXPECT_EQ(JsonStrings(object.value("report")), QStringList{});
}

TEST(CliJson, ADownloadTellsItsFilesAndItsLog) {
    UserFolders user;
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(kOriginal));
    const QString folder = user.Scratch(QStringLiteral("Profile"));
    const QString logFile = user.Scratch(QStringLiteral("v.log"));
    const QStringList args = {"download", "--port", emulator.DevicePath(), "--delay", "0", "--folder", folder, "--json"};
    QStringList paths;
    for (const GoldenDive& d : {kDiveA, kDiveB, kDiveC, kDiveD}) paths << folder + QLatin1Char('/') + ProgramFileName(d);

    const ProgramResult first = RunProgram(kCli, args + QStringList{"--log", logFile}, user.Environment());
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    const QJsonObject stored = ParseJson(first.out);
    EXPECT_EQ(stored.value("command").toString(), QStringLiteral("download"));
    EXPECT_EQ(stored.value("status").toInt(), 0);
    EXPECT_EQ(stored.value("folder").toString(), folder);
    EXPECT_EQ(JsonStrings(stored.value("stored")), paths);
    EXPECT_EQ(JsonStrings(stored.value("skipped")), QStringList{});
    EXPECT_EQ(stored.value("lost").toArray().size(), 0);
    EXPECT_EQ(stored.value("log").toString(), logFile);
    const QString logged = QString::fromUtf8(ReadAll(logFile));
    EXPECT_TRUE(logged.contains(QStringLiteral("→ 08 A5 AD"))) << logged.toStdString();
    EXPECT_TRUE(logged.contains(QStringLiteral(" Ende: "))) << logged.toStdString();
    EXPECT_FALSE(stored.value("interrupted").toBool());
    const QJsonObject counts = stored.value("counts").toObject();
    EXPECT_EQ(counts.value("bytes").toInt(), 168);
    EXPECT_EQ(counts.value("dives_read").toInt(), 4);
    EXPECT_EQ(counts.value("stored").toInt(), 4);
    EXPECT_EQ(counts.value("errors").toInt(), 3);
    // The result line on standard error says what the counts say.
    EXPECT_EQ(first.ErrLines().filter(QStringLiteral("Ergebnis: ")),
              QStringList{QStringLiteral("Ergebnis: 4 neu gespeichert, 0 schon vorhanden (nicht überschrieben), 0 verloren.")});

    // Again, with "never" overwrite: every dive is kept as it was and named as skipped.
    const ProgramResult second = RunProgram(kCli, args, user.Environment());
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    const QJsonObject skipped = ParseJson(second.out);
    EXPECT_EQ(JsonStrings(skipped.value("stored")), QStringList{});
    EXPECT_EQ(JsonStrings(skipped.value("skipped")), paths);
    EXPECT_EQ(skipped.value("counts").toObject().value("skipped").toInt(), 4);
    EXPECT_EQ(second.ErrLines().filter(QStringLiteral("Ergebnis: ")),
              QStringList{QStringLiteral("Ergebnis: 0 neu gespeichert, 4 schon vorhanden (nicht überschrieben), 0 verloren.")});
    EXPECT_TRUE(skipped.value("log").toString().startsWith(user.StateFolder() + QStringLiteral("/Vyper-Grundelnetz/transfer-")));
}

TEST(CliIncomplete, LostDivesAndAVanishedDeviceEndWithStatusFour) {
    const struct {
        const char* fault;
        const char* line;  // the start of a line of standard error
        int lost;
        bool silent;       // the dive computer never answered: a line and the box say so
    } cases[] = {
        {"--bad-checksum=2", "Nicht alle Tauchgänge wurden abgespeichert: 3 Tauchgänge gespeichert, 1 Tauchgang verloren:", 1, false},
        {"--vanish=3", "Die Verbindung zum Tauchcomputer an COM2 (", 1, false},
        // Not one whole dive: a silent or absent device. The window's line names the log.
        {"--silent=1:5", "Protokoll dieser Übertragung: ", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        UserFolders user;
        EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(kOriginal, {QString::fromLatin1(c.fault)}));
        const ProgramResult run = RunProgram(
            kCli, {"download", "--port", emulator.DevicePath(), "--delay", "0", "--folder", user.Scratch("P"), "--json"},
            user.Environment());
        EXPECT_EQ(run.exitCode, 4) << run.err.toStdString();
        const QString expected = QString::fromUtf8(c.line);
        const QStringList err = run.ErrLines();
        EXPECT_TRUE(std::any_of(err.begin(), err.end(), [&](const QString& line) { return line.startsWith(expected); }))
            << run.err.toStdString();
        const QJsonObject object = ParseJson(run.out);
        EXPECT_EQ(object.value("status").toInt(), 4);
        EXPECT_EQ(object.value("lost").toArray().size(), c.lost);
        // A failed transfer names its log, kept in the state folder as the window keeps it.
        const QString log = object.value("log").toString();
        EXPECT_TRUE(log.startsWith(user.StateFolder() + QStringLiteral("/Vyper-Grundelnetz/transfer-"))) << log.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("Protokoll dieser Übertragung: ") + log)) << run.err.toStdString();
        EXPECT_EQ(err.contains(QStringLiteral("Keine Antwort vom Tauchcomputer: kein einziges Byte empfangen.")), c.silent)
            << run.err.toStdString();
        const QStringList boxes = JsonStrings(object.value("messages"));
        const auto named = [&](const QString& text) {
            return text.startsWith(QStringLiteral("Der Tauchcomputer hat nicht geantwortet.")) &&
                   text.contains(QStringLiteral("COM2 (%1)").arg(emulator.DevicePath())) &&
                   text.endsWith(QStringLiteral("Protokoll dieser Übertragung: ") + log);
        };
        EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(), named), c.silent ? 1 : 0) << Text(boxes);
        EXPECT_TRUE(run.err.contains("Der Tauchcomputer hat nicht geantwortet.") == c.silent) << run.err.toStdString();
    }
}

TEST(CliFailures, AProfileFileThatCannotBeWrittenEndsWithStatusFive) {
    UserFolders user;
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(kOriginal));
    const QString folder = user.Scratch(QStringLiteral("Profile"));
    const QString blocked = folder + QLatin1Char('/') + ProgramFileName(kDiveA);
    QDir().mkpath(blocked);  // a folder where dive A's file belongs
    const ProgramResult run =
        RunProgram(kCli, {"download", "--port", emulator.DevicePath(), "--delay", "0", "--folder", folder}, user.Environment());
    EXPECT_EQ(run.exitCode, 5) << run.err.toStdString();
    EXPECT_TRUE(run.ErrLines().contains(
        QStringLiteral("Pfad-/Dateizugriffsfehler: %1 ist ein Ordner, die Datei kann nicht angelegt werden").arg(blocked)))
        << run.err.toStdString();
    QStringList others;
    for (const GoldenDive& d : {kDiveB, kDiveC, kDiveD}) others << folder + QLatin1Char('/') + ProgramFileName(d);
    EXPECT_EQ(run.OutLines(), others);

    const QString notAFolder = user.Scratch(QStringLiteral("Datei"));
    WriteAll(notAFolder, "x");
    const ProgramResult noFolder = RunProgram(
        kCli, {"download", "--port", emulator.DevicePath(), "--folder", notAFolder + QStringLiteral("/Profile")},
        user.Environment());
    EXPECT_EQ(noFolder.exitCode, 5);
    EXPECT_EQ(noFolder.ErrLines(),
              QStringList{QStringLiteral("Der Profilordner %1/Profile kann nicht angelegt werden.").arg(notAFolder)});
}

// A profile folder with the four hand-checked dives and a note that is no dive.
QString FolderWithDives(const UserFolders& user) {
    const QString folder = user.Scratch(QStringLiteral("Profile"));
    QDir().mkpath(folder);
    for (const GoldenDive& d : {kDiveA, kDiveB, kDiveC, kDiveD}) WriteAll(folder + QLatin1Char('/') + ProgramFileName(d), Golden(d));
    WriteAll(folder + QStringLiteral("/Notiz.txt"), "Flossen mitnehmen\n");
    return folder;
}

TEST(CliExport, WritesTheFoldersDivesFromTheOldestAndNamesWhatItLeftOut) {
    UserFolders user;
    const QString folder = FolderWithDives(user);
    const QString target = user.Scratch(QStringLiteral("Logbuch.csv"));
    const ProgramResult run =
        RunProgram(kCli, {"export", "--format", "csv", "--output", target, "--folder", folder}, user.Environment());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.OutLines(), QStringList{target});
    const QStringList err = run.ErrLines();
    ASSERT_EQ(err.size(), 3) << run.err.toStdString();
    EXPECT_EQ(err[0], QStringLiteral("Nicht exportiert:"));
    EXPECT_TRUE(err[1].startsWith(QStringLiteral("  Notiz.txt: "))) << err[1].toStdString();
    EXPECT_EQ(err[2], QStringLiteral("4 Tauchgänge exportiert nach %1.").arg(target));

    const QStringList lines = QString::fromUtf8(ReadAll(target)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    const GoldenDive oldestFirst[] = {kDiveD, kDiveC, kDiveB, kDiveA};
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(lines[i + 1].contains(ProgramFileName(oldestFirst[i]))) << lines[i + 1].toStdString();
}

TEST(CliExport, NamedFilesThatAreNoDiveMakeItIncomplete) {
    UserFolders user;
    const QString folder = FolderWithDives(user);
    const QString target = user.Scratch(QStringLiteral("Logbuch.uddf"));
    const ProgramResult run = RunProgram(
        kCli, {"export", "--format", "uddf", "--output", target, "--json", folder + QLatin1Char('/') + ProgramFileName(kDiveB),
               folder + QStringLiteral("/Notiz.txt")},
        user.Environment());
    EXPECT_EQ(run.exitCode, 4) << run.err.toStdString();
    const QJsonObject object = ParseJson(run.out);
    EXPECT_EQ(object.value("format").toString(), QStringLiteral("uddf"));
    EXPECT_EQ(object.value("output").toString(), target);
    EXPECT_EQ(object.value("exported").toInt(), 1);
    EXPECT_TRUE(object.value("written").toBool());
    const QStringList skipped = JsonStrings(object.value("skipped"));
    ASSERT_EQ(skipped.size(), 1);
    EXPECT_TRUE(skipped[0].startsWith(QStringLiteral("Notiz.txt: "))) << skipped[0].toStdString();
    EXPECT_TRUE(ReadAll(target).startsWith("<?xml"));
    EXPECT_TRUE(run.ErrLines().contains(QStringLiteral("1 Tauchgang exportiert nach %1.").arg(target)));
}

TEST(CliExport, NothingWrittenEndsWithStatusFive) {
    UserFolders user;
    const QString folder = FolderWithDives(user);
    const QString empty = user.Scratch(QStringLiteral("Leer"));
    QDir().mkpath(empty);
    const struct {
        const char* name;
        QStringList args;
        QString line;
    } cases[] = {
        {"target folder missing", {"export", "--format", "csv", "--output", "/vyper-nicht-da/Logbuch.csv", "--folder", folder},
         QStringLiteral("Fehler: Pfad nicht gefunden: /vyper-nicht-da")},
        {"no dive in the folder", {"export", "--format", "csv", "--output", user.Scratch("L.csv"), "--folder", empty},
         QStringLiteral("Kein Tauchgang konnte exportiert werden; es wurde nichts geschrieben.")},
    };
    for (const auto& c : cases) {
        const ProgramResult run = RunProgram(kCli, c.args, user.Environment());
        EXPECT_EQ(run.exitCode, 5) << c.name;
        EXPECT_EQ(run.ErrLines(), QStringList{c.line}) << c.name;
        EXPECT_EQ(run.out, QByteArray()) << c.name;
    }
    EXPECT_FALSE(QFileInfo::exists(user.Scratch("L.csv")));
}

TEST(CliPorts, ListsThePortsAsTheWindowsDialogShowsThem) {
    UserFolders user;
    EmulatorProcess emulator(EmulatorPath(), EmulatorArguments(kOriginal));
    {
        IniSettingsStore window(user.SettingsFile());
        window.Save(QStringLiteral("Ports"), QStringLiteral("COM2"), emulator.DevicePath());
        window.Save(QStringLiteral("Ports"), QStringLiteral("COM3"), QStringLiteral("/dev/vyper-nicht-da"));
    }
    const ProgramResult run = RunProgram(kCli, {"ports"}, user.Environment());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.OutLines().mid(0, 4),
              QStringList({"COM1: Standard (/dev/ttyS0)", "COM2: " + emulator.DevicePath(),
                           "COM3: /dev/vyper-nicht-da (nicht angeschlossen)", "COM4: Standard (/dev/ttyS3)"}));
    EXPECT_TRUE(run.OutLines().value(4).startsWith(QStringLiteral("Serielle Geräte:")));

    const ProgramResult json = RunProgram(kCli, {"ports", "--json"}, user.Environment());
    const QJsonArray ports = ParseJson(json.out).value("ports").toArray();
    ASSERT_EQ(ports.size(), 4);
    EXPECT_EQ(ports[1].toObject().value("device").toString(), emulator.DevicePath());
    EXPECT_EQ(ports[3].toObject().value("device").toString(), QStringLiteral("/dev/ttyS3"));
}

TEST(CliHelp, NamesEveryOptionAndExitStatus) {
    UserFolders user;
    const ProgramResult help = RunProgram(kCli, {"--help"}, user.Environment());
    ASSERT_EQ(help.exitCode, 0);
    const QString text = QString::fromUtf8(help.out);
    for (const char* word : {"settings", "download", "export", "ports", "--port", "--interface", "--delay", "--dives",
                             "--only-new", "--no-only-new", "--overwrite", "--max-errors", "--folder", "--format",
                             "--output", "--log", "--json", "--help", "--version", "Vyper-Grundelnetz.conf", "SIGTERM"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(word))) << word;
    }
    for (const char* status : {"\n  0 ", "\n  2 ", "\n  3 ", "\n  4 ", "\n  5 ", "\n  130 "}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(status))) << "exit status" << status;
    }
    const ProgramResult version = RunProgram(kCli, {"--version"}, user.Environment());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("vyper-grundelnetz-cli %1.%2.%3\n")
                               .arg(version::Major)
                               .arg(version::Minor)
                               .arg(version::Revision)
                               .toUtf8());
}

TEST(WindowProgram, AnswersHelpAndVersionWithoutADisplay) {
    UserFolders user;
    QProcessEnvironment environment = user.Environment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(QString::fromLatin1(name));

    const ProgramResult version = RunProgram(kWindowProgram, {"--version"}, environment, {}, 20000);
    EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
    EXPECT_EQ(version.out, QStringLiteral("vyper-grundelnetz %1.%2.%3\n")
                               .arg(version::Major)
                               .arg(version::Minor)
                               .arg(version::Revision)
                               .toUtf8());
    const ProgramResult help = RunProgram(kWindowProgram, {"--help"}, environment, {}, 20000);
    EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
    EXPECT_EQ(help.OutLines().value(0), QStringLiteral("Aufruf: vyper-grundelnetz [--help] [--version] [Qt-Optionen]"));
    EXPECT_TRUE(help.OutLines().contains(QStringLiteral("Ohne Fenster: vyper-grundelnetz-cli --help")));
    EXPECT_EQ(help.err, QByteArray());
}

}  // namespace
