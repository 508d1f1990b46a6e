#include "link/StartUpChoices.h"

#include "link/UserChoices.h"
#include "platform/Failure.h"
#include "text/NumberText.h"

namespace vyper {

QString InterfaceEntryFromStored(const QString& stored, const QStringList& entries) {
    // An empty entry matches nothing that the list could show.
    if (!stored.isEmpty() && entries.contains(stored)) return stored;
    return kInterfaceOriginal;
}

QString DelayTextFromStored(const QString& stored) { return stored.isEmpty() ? QStringLiteral("350") : stored; }

int16_t OnlyNewValueFromStored(const QString& stored) {
    const int16_t value = RoundToInt16(LeadingNumber(stored));
    if (value < 0 || value > 2) {
        throw RuntimeFailure(failure::InvalidPropertyValue, QStringLiteral("Ungültiger Eigenschaftswert"));
    }
    return value;
}

}  // namespace vyper
