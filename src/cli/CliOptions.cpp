#include "cli/CliOptions.h"

#include <vector>

#include "link/UserChoices.h"

namespace vyper::cli {

namespace {

// Which commands use an option, as bits.
enum Uses : unsigned { kSettings = 1, kDownload = 2, kExport = 4, kPorts = 8, kEvery = 15 };

struct OptionSpec {
    QString name;  // without the leading "--"
    bool takesValue;
    unsigned uses;
};

const std::vector<OptionSpec>& Specs() {
    static const std::vector<OptionSpec> specs = {
        {QStringLiteral("help"), false, kEvery},
        {QStringLiteral("version"), false, kEvery},
        {QStringLiteral("json"), false, kEvery},
        {QStringLiteral("port"), true, kSettings | kDownload},
        {QStringLiteral("interface"), true, kSettings | kDownload},
        {QStringLiteral("delay"), true, kSettings | kDownload},
        {QStringLiteral("log"), true, kSettings | kDownload},
        {QStringLiteral("dives"), true, kDownload},
        {QStringLiteral("only-new"), false, kDownload},
        {QStringLiteral("no-only-new"), false, kDownload},
        {QStringLiteral("overwrite"), true, kDownload},
        {QStringLiteral("max-errors"), true, kDownload},
        {QStringLiteral("folder"), true, kDownload | kExport},
        {QStringLiteral("format"), true, kExport},
        {QStringLiteral("output"), true, kExport},
    };
    return specs;
}

const OptionSpec* FindSpec(const QString& name) {
    for (const OptionSpec& spec : Specs()) {
        if (spec.name == name) return &spec;
    }
    return nullptr;
}

unsigned UseOf(Command command) {
    switch (command) {
    case Command::Settings: return kSettings;
    case Command::Download: return kDownload;
    case Command::Export: return kExport;
    case Command::Ports: return kPorts;
    case Command::None: break;
    }
    return 0;
}

std::optional<Command> CommandFromName(const QString& name) {
    for (Command c : {Command::Settings, Command::Download, Command::Export, Command::Ports}) {
        if (CommandName(c) == name) return c;
    }
    return std::nullopt;
}

// A plain decimal number within [low, high]: digits only, no sign, no blanks.
std::optional<int> WholeNumber(const QString& text, int low, int high) {
    if (text.isEmpty() || text.size() > 9) return std::nullopt;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    }
    const int value = text.toInt();
    if (value < low || value > high) return std::nullopt;
    return value;
}

QString BadValue(const QString& option, const QString& value, const QString& allowed) {
    return QStringLiteral("Ungültiger Wert für --%1: „%2“ (erlaubt: %3).").arg(option, value, allowed);
}

// Takes the value of one option into `o`; the error line when the value is unusable.
QString ApplyValue(CliOptions& o, const QString& name, const QString& value) {
    if (name == QStringLiteral("port")) {
        // A path names the device itself; a number is a COM port as the window counts them.
        if (value.contains(QLatin1Char('/')) || WholeNumber(value, 1, 4)) {
            o.port = value;
            return {};
        }
        return BadValue(name, value, QStringLiteral("1 bis 4 oder ein Gerätepfad wie /dev/ttyUSB0"));
    }
    if (name == QStringLiteral("interface")) {
        if (value == QStringLiteral("original")) o.interfaceText = kInterfaceOriginal;
        else if (value == QStringLiteral("selbstbau")) o.interfaceText = kInterfaceSelfBuilt;
        else return BadValue(name, value, QStringLiteral("original, selbstbau"));
        return {};
    }
    if (name == QStringLiteral("delay")) {
        o.delayMs = WholeNumber(value, 0, 2000);
        return o.delayMs ? QString() : BadValue(name, value, QStringLiteral("0 bis 2000 ms"));
    }
    if (name == QStringLiteral("dives")) {
        o.dives = value.compare(QStringLiteral("alle"), Qt::CaseInsensitive) == 0 ? std::optional<int>(0)
                                                                                  : WholeNumber(value, 1, 9999);
        return o.dives ? QString() : BadValue(name, value, QStringLiteral("1 bis 9999 oder alle"));
    }
    if (name == QStringLiteral("overwrite")) {
        if (value == QStringLiteral("never")) o.overwrite = OverwritePolicy::Never;
        else if (value == QStringLiteral("always")) o.overwrite = OverwritePolicy::Always;
        else return BadValue(name, value, QStringLiteral("never, always"));
        return {};
    }
    if (name == QStringLiteral("max-errors")) {
        o.maxErrors = WholeNumber(value, 1, 32767);
        return o.maxErrors ? QString() : BadValue(name, value, QStringLiteral("1 bis 32767"));
    }
    if (name == QStringLiteral("format")) {
        if (value == QStringLiteral("uddf")) o.format = ExportFormat::Uddf;
        else if (value == QStringLiteral("csv")) o.format = ExportFormat::Csv;
        else return BadValue(name, value, QStringLiteral("uddf, csv"));
        return {};
    }
    if (value.isEmpty()) return QStringLiteral("Die Option --%1 braucht einen nicht leeren Wert.").arg(name);
    if (name == QStringLiteral("folder")) o.folder = value;
    else if (name == QStringLiteral("log")) o.logFile = value;
    else if (name == QStringLiteral("output")) o.output = value;
    return {};
}

void ApplyFlag(CliOptions& o, const QString& name) {
    if (name == QStringLiteral("help")) o.help = true;
    else if (name == QStringLiteral("version")) o.version = true;
    else if (name == QStringLiteral("json")) o.json = true;
    else if (name == QStringLiteral("only-new")) o.onlyNew = true;
    else if (name == QStringLiteral("no-only-new")) o.onlyNew = false;
}

}  // namespace

QString CommandName(Command command) {
    switch (command) {
    case Command::Settings: return QStringLiteral("settings");
    case Command::Download: return QStringLiteral("download");
    case Command::Export: return QStringLiteral("export");
    case Command::Ports: return QStringLiteral("ports");
    case Command::None: break;
    }
    return QString();
}

ParsedArguments ParseArguments(const QStringList& arguments) {
    ParsedArguments parsed;
    CliOptions& o = parsed.options;
    QStringList given;  // the options used, to check them against the command at the end
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument == QStringLiteral("-h")) {
            o.help = true;
            continue;
        }
        if (!optionsEnded && argument.startsWith(QStringLiteral("--"))) {
            const qsizetype equals = argument.indexOf(QLatin1Char('='));
            const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
            const OptionSpec* spec = FindSpec(name);
            if (spec == nullptr) {
                parsed.error = QStringLiteral("Unbekannte Option: --%1").arg(name);
                return parsed;
            }
            given << name;
            if (!spec->takesValue) {
                if (equals >= 0) {
                    parsed.error = QStringLiteral("Die Option --%1 hat keinen Wert.").arg(name);
                    return parsed;
                }
                ApplyFlag(o, name);
                continue;
            }
            QString value;
            if (equals >= 0) {
                value = argument.mid(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                parsed.error = QStringLiteral("Die Option --%1 braucht einen Wert.").arg(name);
                return parsed;
            }
            parsed.error = ApplyValue(o, name, value);
            if (!parsed.error.isEmpty()) return parsed;
            continue;
        }
        if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            parsed.error = QStringLiteral("Unbekannte Option: %1").arg(argument);
            return parsed;
        }
        if (o.command == Command::None) {
            const std::optional<Command> command = CommandFromName(argument);
            if (!command) {
                parsed.error = QStringLiteral("Unbekannter Befehl: „%1“ (settings, download, export oder ports).")
                                   .arg(argument);
                return parsed;
            }
            o.command = *command;
        } else if (o.command == Command::Export) {
            o.files << argument;
        } else {
            parsed.error = QStringLiteral("Überzähliger Parameter: „%1“.").arg(argument);
            return parsed;
        }
    }
    if (o.help || o.version) return parsed;
    if (o.command == Command::None) {
        parsed.error = QStringLiteral("Kein Befehl angegeben (settings, download, export oder ports).");
        return parsed;
    }
    for (const QString& name : given) {
        if ((FindSpec(name)->uses & UseOf(o.command)) == 0) {
            parsed.error =
                QStringLiteral("Die Option --%1 gilt nicht für den Befehl %2.").arg(name, CommandName(o.command));
            return parsed;
        }
    }
    if (o.command == Command::Export && (!o.format || o.output.isEmpty())) {
        parsed.error = QStringLiteral("Der Befehl export braucht --format uddf|csv und --output DATEI.");
    }
    return parsed;
}

}  // namespace vyper::cli
