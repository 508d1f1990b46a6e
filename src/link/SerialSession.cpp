#include "link/SerialSession.h"

#include "link/VyperComm.h"

namespace vyper {

void DrainInput(VyperComm& m) {
    while (m.comVyper().InBufferCount() > 0) m.comVyper().Input();
}

}  // namespace vyper
