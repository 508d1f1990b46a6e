#pragma once

namespace vyper {

struct VyperComm;

// Reads and discards every byte that waits in the port's receive queue, one byte per read.
// A closed port holds no bytes, so the call returns at once.
void DrainInput(VyperComm& m);

}  // namespace vyper
