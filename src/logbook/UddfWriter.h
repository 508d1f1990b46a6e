#pragma once
#include <QIODevice>
#include <cstddef>
#include <functional>
#include <vector>

#include "logbook/DiveExport.h"

namespace vyper {

// Writes a UDDF document to `out` without holding more than one dive's samples: the
// summaries, in export order, decide the gas mixes and the repetition groups up front;
// `withEntries(i)` then gives dive i with its samples and markers (valid until the next
// call), or null when it can no longer be read, and it is left out. Returns the number of
// dives written.
int WriteUddf(QIODevice& out, const std::vector<const StoredDive*>& summaries,
              const std::function<const StoredDive*(std::size_t)>& withEntries, const ExportGenerator& generator);

}  // namespace vyper
