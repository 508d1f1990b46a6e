#include "profiles/ConvertProfileBuffer.h"

#include <limits>
#include <span>

#include "link/VyperComm.h"
#include "platform/Failure.h"
#include "profiles/ProfileDecoding.h"
#include "profiles/ProfileStorage.h"

namespace vyper {

namespace {

// Counters stop at the top of their range instead of wrapping round.
int16_t Increased(int16_t value) {
    return value == std::numeric_limits<int16_t>::max() ? value : static_cast<int16_t>(value + 1);
}

void CountFailedExchange(VyperComm& m) {
    m.ErrorCount = Increased(m.ErrorCount);
    m.ui.lblErr->SetCaption(QString::number(m.ErrorCount));
    m.ui.lblErr->SetForeColor(kColourRed);
    m.ui.lblErr2->SetForeColor(kColourRed);
}

}  // namespace

void ConvertProfileBuffer(VyperComm& m) {
    // An answer that overflowed the buffer lacks its end, and with it the dive's header.
    if (m.ProfileOverlong || m.ProfileCount > kBufferSize) {
        CountFailedExchange(m);
        m.ui.lstVyperComm->AddLineShown(
            QStringLiteral("Antwort des Tauchcomputers zu lang (mehr als %1 Bytes): Tauchgang verworfen.")
                .arg(kBufferSize));
        return;
    }
    // A packet lost to a wrong checksum leaves a hole in the dive. Stored, the damaged dive
    // would also block its own repair, since a later download finds its file and keeps it.
    if (m.ProfileDamaged) {
        CountFailedExchange(m);
        m.ui.lstVyperComm->AddLineShown(
            QStringLiteral("Übertragungsfehler (CRC Falsch): Tauchgang verworfen, bitte erneut übertragen."));
        return;
    }
    if (m.ProfileCount < kMinimumDiveBytes) {
        CountFailedExchange(m);
        return;
    }

    const std::span<const int32_t> bytes(m.ProfileBuffer.data(), static_cast<std::size_t>(m.ProfileCount));
    DiveRecord record = DecodeDiveHeader(bytes);
    m.DivesConverted = Increased(m.DivesConverted);
    m.ui.lblDiveCnt->SetCaption(QString::number(m.DiveNumber));
    if (m.DiveNumber < std::numeric_limits<int32_t>::max()) ++m.DiveNumber;

    try {
        const ProfileTarget target = ProfileTargetFor(m, record);
        if (DecideStorage(m, target) != StorageOutcome::Store) return;

        AddProfile(record, bytes);
        StoreDive(m, record, target);
    } catch (const RuntimeFailure& failure) {
        m.ui.lstVyperComm->AddLineShown(failure.Description());
    }
}

}  // namespace vyper
