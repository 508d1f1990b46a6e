#include "cli/RunChoices.h"

#include "link/StartUpChoices.h"
#include "link/UserChoices.h"
#include "platform/Failure.h"
#include "platform/PortDevices.h"

namespace vyper::cli {

RunChoices ResolveChoices(const CliOptions& options, const SettingsStore& stored, QStringList& warnings) {
    const QString section = QStringLiteral("CommPort");
    RunChoices choices;
    choices.portNumber = PortNumberFromText(stored.Load(section, QStringLiteral("Number")));
    if (options.port && !options.port->contains(QLatin1Char('/'))) choices.portNumber = options.port->toInt();
    choices.devicePath = options.port && options.port->contains(QLatin1Char('/'))
                             ? *options.port
                             : DevicePathForPort(stored, choices.portNumber);

    choices.interfaceText =
        options.interfaceText.value_or(InterfaceEntryFromStored(stored.Load(section, QStringLiteral("InterfaceType")),
                                                                {kInterfaceSelfBuilt, kInterfaceOriginal}));
    choices.delayText = options.delayMs ? QString::number(*options.delayMs)
                                        : DelayTextFromStored(stored.Load(section, QStringLiteral("Delay")));
    choices.diveCountText = options.dives.value_or(0) > 0 ? QString::number(*options.dives) : QStringLiteral("Alle");
    choices.errorLimitText = QString::number(options.maxErrors.value_or(3));
    choices.overwrite = options.overwrite;

    if (options.onlyNew) {
        choices.onlyNew = *options.onlyNew;
    } else {
        try {
            // 2 is the greyed box of the window: checked counts only as 1.
            choices.onlyNew =
                OnlyNewValueFromStored(stored.Load(QStringLiteral("Settings"), QStringLiteral("LoadOnlyNewDvies"))) == 1;
        } catch (const RuntimeFailure& failure) {
            // The window's start-up shows this in a box and goes on with the box unchecked.
            warnings << QStringLiteral("%1 %2").arg(failure.Description()).arg(failure.Number());
        }
    }
    return choices;
}

}  // namespace vyper::cli
