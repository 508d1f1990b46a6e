#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "logbook/LogbookFolder.h"

namespace vyper {

// The files of the profile folder in the logbook's date order, oldest first: a dive by its
// start, a file that is no readable dive by when it was last written; equal times by name.
QStringList DiveDateOrder(const std::vector<LogbookRow>& rows);

// Reads the summaries of every candidate of `folder` (as the logbook lists them) and
// returns their date order; empty when the folder cannot be read. `stopped`, asked before
// each file, ends the reading early with what was read so far.
QStringList ReadDiveDateOrder(const QString& folder, const std::function<bool()>& stopped = {});

// The file `step` places after `current` in `order` (-1 the one before); none at the ends
// or when `current` is not in `order`.
std::optional<QString> NeighbourInOrder(const QStringList& order, const QString& current, int step);

}  // namespace vyper
