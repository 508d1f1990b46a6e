#include "cli/ExitStatus.h"

namespace vyper::cli {

int ChooseExitStatus(const RunFacts& facts) {
    if (facts.usageError) return exit_status::Usage;
    if (facts.interrupted) return exit_status::Interrupted;
    if (facts.portFailed) return exit_status::Port;
    if (facts.fileFailed) return exit_status::File;
    if (facts.incomplete) return exit_status::Incomplete;
    return exit_status::Done;
}

}  // namespace vyper::cli
