#include "transfer/ConvertProfileBuffer.h"

#include <algorithm>
#include <limits>
#include <span>

#include "platform/Failure.h"
#include "profiles/DiveAnswerCheck.h"
#include "profiles/ProfileDecoding.h"
#include "transfer/DiveStorage.h"
#include "transfer/TransferLogging.h"
#include "transfer/VyperComm.h"

namespace vyper {

namespace {

// Counters stop at the top of their range instead of wrapping round.
int16_t Increased(int16_t value) {
    return value == std::numeric_limits<int16_t>::max() ? value : static_cast<int16_t>(value + 1);
}

QString LostAnswerLine(DiveAnswerVerdict verdict) {
    switch (verdict) {
    case DiveAnswerVerdict::Overlong:
        return QStringLiteral("Antwort des Tauchcomputers zu lang (mehr als %1 Bytes): Tauchgang verworfen.")
            .arg(kBufferSize);
    case DiveAnswerVerdict::Damaged:
        return QStringLiteral("Übertragungsfehler (CRC Falsch): Tauchgang verworfen, bitte erneut übertragen.");
    case DiveAnswerVerdict::Cut:
        return QStringLiteral("Antwort des Tauchcomputers unvollständig (Verbindung unterbrochen?): "
                              "Tauchgang verworfen, bitte erneut übertragen.");
    case DiveAnswerVerdict::Endless:
        return QStringLiteral("Keine verwertbare Antwort: Störungen auf der Leitung (Stecker locker?).");
    case DiveAnswerVerdict::NoDive:
    case DiveAnswerVerdict::Whole:
        break;
    }
    return QString();
}

// `why` names the failure in the transfer's log.
void CountFailedExchange(VyperComm& m, const QString& why) {
    m.ErrorCount = Increased(m.ErrorCount);
    NoteInLog(m, QStringLiteral("Fehlerzahl jetzt %1: %2").arg(m.ErrorCount).arg(why));
    m.seams.counters.ShowErrors(m.ErrorCount);
    m.seams.counters.MarkErrors(true);
}

// What the receive side saw of the answer, for the judgement of the dive.
DiveAnswerFacts DiveAnswerFactsOf(const VyperComm& m) {
    DiveAnswerFacts facts;
    facts.payloadCount = m.ProfileCount;
    facts.overlong = m.ProfileOverlong || m.ProfileCount > kBufferSize;
    facts.damaged = m.ProfileDamaged;
    facts.endedByShortPacket = m.ProfileAnswerEnded;
    facts.lastPacketLength = m.ProfileLastPacketLength;
    // The echo in front of a first packet is our own command, not part of the answer.
    const int32_t echo = m.ProfileEcho;
    facts.pendingBytes = std::max(m.RxCount - echo, 0);
    facts.pendingCodeByte = m.RxCount > echo ? m.RxBuffer[static_cast<std::size_t>(echo)] : -1;
    facts.pendingLengthByte = m.RxCount > echo + 1 ? m.RxBuffer[static_cast<std::size_t>(echo + 1)] : -1;
    facts.codeByte = m.ProfileCodeByte;
    facts.endless = m.WaitOutcome == WaitEnd::Bound;
    facts.deviceLost = m.WaitOutcome == WaitEnd::DeviceLost;
    return facts;
}

// Why an answer that is not whole was thrown away, for the transfer's log.
QString VerdictText(DiveAnswerVerdict verdict) {
    switch (verdict) {
    case DiveAnswerVerdict::Overlong: return QStringLiteral("Antwort zu lang");
    case DiveAnswerVerdict::Damaged: return QStringLiteral("Paket mit falscher Prüfsumme");
    case DiveAnswerVerdict::Cut: return QStringLiteral("Antwort abgebrochen");
    case DiveAnswerVerdict::Endless: return QStringLiteral("Störungen ohne Ende");
    case DiveAnswerVerdict::NoDive: return QStringLiteral("kein Tauchgang");
    case DiveAnswerVerdict::Whole: return QStringLiteral("vollständig");
    }
    return QString();
}

}  // namespace

void ConvertProfileBuffer(VyperComm& m) {
    const std::size_t held = static_cast<std::size_t>(std::clamp(m.ProfileCount, 0, kBufferSize));
    const std::span<const int32_t> received(m.ProfileBuffer.data(), held);
    const DiveAnswerFacts facts = DiveAnswerFactsOf(m);
    const DiveAnswerVerdict verdict = JudgeDiveAnswer(facts, received);
    if (verdict == DiveAnswerVerdict::NoDive) {
        CountFailedExchange(m, QStringLiteral("kein Tauchgang in der Antwort (%1 Bytes Nutzdaten)").arg(m.ProfileCount));
        return;
    }
    if (verdict == DiveAnswerVerdict::Endless) {
        // Whether the dive computer sent a dive in the noise is unknown: the download can
        // no longer claim to be complete, but no dive is named as lost.
        CountFailedExchange(m, QStringLiteral("Störungen auf der Leitung, ob ein Tauchgang kam, ist unbekannt"));
        m.LineDisturbed = true;
        m.seams.messages.AddNoteShown(LostAnswerLine(verdict));
        return;
    }
    if (verdict != DiveAnswerVerdict::Whole) {
        // The dive computer has sent a dive, and it moves on to the next one: this dive is
        // lost for this download. Nothing is stored, and the closing summary names it.
        CountFailedExchange(m, QStringLiteral("Tauchgang unvollständig"));
        ++m.DiveAnswers;
        m.LostDives.push_back({m.DiveAnswers, HeaderSurvived(facts, received) ? DiveDateForUser(received) : QString()});
        NoteInLog(m, QStringLiteral("Tauchgang verloren: der %1. vom neuesten an (%2), %3")
                         .arg(m.DiveAnswers)
                         .arg(m.LostDives.back().date.isEmpty() ? QStringLiteral("Datum unbekannt") : m.LostDives.back().date)
                         .arg(VerdictText(verdict)));
        m.seams.messages.AddNoteShown(LostAnswerLine(verdict));
        return;
    }
    ++m.DiveAnswers;

    DiveRecord record = DecodeDiveHeader(received);
    m.DivesConverted = Increased(m.DivesConverted);
    m.seams.counters.ShowDives(m.DiveNumber);
    if (m.DiveNumber < std::numeric_limits<int32_t>::max()) ++m.DiveNumber;

    NoteInLog(m, QStringLiteral("Tauchgang %1 vollständig: %2 Bytes, vom %3")
                     .arg(m.DiveAnswers)
                     .arg(held)
                     .arg(DiveDateForUser(received)));

    try {
        const ProfileTarget target = ProfileTargetFor(m.ProfileFolder, record);
        if (ApplyStorageDecision(m, target) != StorageOutcome::Store) return;

        AddProfile(record, received);
        StoreDiveShown(m, record, target);
        m.DivesStored = Increased(m.DivesStored);
        NoteInLog(m, QStringLiteral("Gespeichert: ") + target.Path);
    } catch (const RuntimeFailure& failure) {
        m.seams.messages.AddLineShown(failure.Description());
        // The dive arrived whole but is not on disk: it is lost like a spoilt answer.
        m.LostDives.push_back({m.DiveAnswers, DiveDateForUser(received)});
        NoteInLog(m, QStringLiteral("Tauchgang verloren: der %1. vom neuesten an, nicht gespeichert (%2)")
                         .arg(m.DiveAnswers)
                         .arg(failure.Description()));
    }
}

}  // namespace vyper
