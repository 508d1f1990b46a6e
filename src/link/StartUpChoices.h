#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>

namespace vyper {

// The checks that the window's start-up applies to the stored settings, without a window;
// the command line takes its defaults through them too.

// The interface entry to select for the stored text: the stored one when it is one of
// `entries`, else the original interface.
QString InterfaceEntryFromStored(const QString& stored, const QStringList& entries);
// The delay text to show: the stored one, "350" when none is stored.
QString DelayTextFromStored(const QString& stored);
// The value of "Nur neue Tauchgänge laden" (0 unchecked, 1 checked, 2 greyed) from the
// stored text's leading number, rounded. Throws the overflow failure for a number outside
// 16 bits and RuntimeFailure 380 for a value other than 0, 1 or 2.
int16_t OnlyNewValueFromStored(const QString& stored);

}  // namespace vyper
