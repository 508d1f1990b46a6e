#include "cli/TransferOutcome.h"

namespace vyper::cli {

RunFacts TransferFacts(const TransferOutcome& outcome) {
    RunFacts facts;
    facts.interrupted = outcome.interrupted;
    facts.portFailed = outcome.portFailed;
    facts.fileFailed = outcome.folderFailed || !outcome.fileFailures.isEmpty();
    facts.incomplete = outcome.failed || (outcome.kind == TransferKind::Settings && outcome.settingsBlocksRead < 4);
    return facts;
}

}  // namespace vyper::cli
