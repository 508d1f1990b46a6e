// Reading a stored profile back for the logbook, over arbitrary file contents. Whatever the
// reader takes for a dive must be exactly what the download writes: writing the dive it
// read gives the same bytes again. Both details (summary only, with entries) must agree,
// and the logbook's cells of an accepted dive must be made without fault.
#include <cstdint>

#include "FuzzSupport.h"
#include "logbook/LogbookColumns.h"
#include "profiles/ProfileText.h"
#include "profiles/StoredDive.h"

using namespace vyper;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const StoredDiveResult full = ReadStoredDive(file, ProfileDetail::WithEntries);
    const StoredDiveResult summary = ReadStoredDive(file, ProfileDetail::SummaryOnly);
    if (full.index() != summary.index()) fuzzing::Finding("the details disagree on the file");

    if (const auto* refusal = std::get_if<ProfileRefusal>(&full)) {
        if (refusal->reason.isEmpty()) fuzzing::Finding("a refusal without reason");
        return 0;
    }
    const StoredDive& dive = std::get<StoredDive>(full);
    if (!dive.start.isValid()) fuzzing::Finding("an accepted dive without a valid start");
    if (ProfileHeadBytes(dive.record) + ProfileTailBytes(dive.record) != file) {
        fuzzing::Finding("an accepted file that the download would not write so");
    }
    const StoredDive& brief = std::get<StoredDive>(summary);
    if (!brief.record.Entries.empty() || brief.sampleCount != dive.sampleCount ||
        brief.durationMinutes != dive.durationMinutes || brief.doubts != dive.doubts) {
        fuzzing::Finding("the summary differs from the full reading");
    }
    for (int c = 0; c < kLogbookColumnCount; ++c) {
        (void)LogbookCell(dive, static_cast<LogbookColumn>(c));
        (void)LogbookSortKey(dive, static_cast<LogbookColumn>(c));
    }
    return 0;
}
