#pragma once
#include <QString>
#include <vector>

#include "platform/SerialDevices.h"
#include "transfer/VyperComm.h"

namespace vyper {

class RuntimeFailure;

// When the device of the chosen COM port cannot be opened (a built-in port without a chip
// behind it, an adapter that is not plugged in) while serial adapters are present, the box
// that says why names them and how to give one to the port; with exactly one, it offers to
// do so at once.

// The serial adapters among `devices` (everything but the built-in ttyS ports, which the
// system lists whether or not there is hardware behind them), without the device at
// `failedPath` (by its stored path or its device file). Pure.
std::vector<SerialDeviceChoice> OtherAdapters(const std::vector<SerialDeviceChoice>& devices, const QString& failedPath);

// The box's text: `reason` (why COM<port> could not be opened), then, with adapters, each by
// the name the device chooser gives it and how to assign one with "…" beside the COM box;
// with exactly one adapter, the question whether COM<port> is to open it from now on. Pure.
QString OpenPortAdviceText(const QString& reason, int port, const std::vector<SerialDeviceChoice>& adapters);

// Tells the user why the port just tried (CommPortNumber) could not be opened, in one box.
// Only for a missing or unusable device (not for a busy port or missing rights) does it look
// for adapters; with exactly one it asks Ja/Nein, and Ja stores the adapter for the port as
// the device chooser does. True when it stored one, so that the start may try again; never
// twice in a row for the same device, since the device that failed is not offered.
bool ReportOpenPortFailure(VyperComm& m, const RuntimeFailure& failure);

}  // namespace vyper
