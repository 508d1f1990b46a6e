#pragma once
#include <QString>

namespace vyper {

// What the transfer reads of the window and does to it beyond messages and counters: the
// dive and error limits as typed, read at every tick, and the focus after a Stop.
class TransferControls {
public:
    virtual ~TransferControls() = default;
    virtual QString DiveCountText() const = 0;
    virtual QString ErrorLimitText() const = 0;
    // Puts the focus on the button that closes the window.
    virtual void FocusClose() = 0;
};

}  // namespace vyper
