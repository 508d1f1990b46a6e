#include "cli/TransferOutcome.h"

namespace vyper::cli {

RunFacts TransferFacts(const TransferOutcome& outcome) {
    RunFacts facts;
    facts.interrupted = outcome.interrupted;
    facts.portFailed = outcome.portFailed;
    facts.fileFailed = outcome.folderFailed || !outcome.fileFailures.isEmpty();
    const bool ranShort = outcome.deviceLost || outcome.wrongInterface || outcome.bytes == 0;
    if (outcome.kind == TransferKind::Settings) {
        facts.incomplete = ranShort || outcome.settingsBlocksMissing > 0 || outcome.settingsBlocksRead < 4;
    } else {
        facts.incomplete = ranShort || !outcome.lost.empty() || outcome.lineDisturbed;
    }
    return facts;
}

}  // namespace vyper::cli
