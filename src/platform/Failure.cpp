#include "platform/Failure.h"

namespace vyper {

RuntimeFailure OverflowFailure() {
    return RuntimeFailure(failure::Overflow, QStringLiteral("Überlauf"));
}

}  // namespace vyper
