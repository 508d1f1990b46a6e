#pragma once
#include "link/CountersDisplay.h"
#include "link/LinkChoices.h"
#include "profiles/StorageChoices.h"
#include "transfer/TransferControls.h"

namespace vyper {

class frmVyper;

// The main window's controls as the core sees them: the counters, the link's choices, the
// limits and the storage choices, read from the widgets at the moment the core asks.
class WindowSeams : public CountersDisplay, public LinkChoices, public TransferControls, public StorageChoices {
public:
    explicit WindowSeams(frmVyper& window) : w_(window) {}

    void ShowBytes(int32_t total) override;
    void ShowDives(int32_t number) override;
    void ShowErrors(int16_t count) override;
    void MarkErrors(bool failed) override;
    void RefreshErrors() override;

    QString InterfaceText() const override;
    QString PortText() const override;
    QString DelayText() const override;

    QString DiveCountText() const override;
    QString ErrorLimitText() const override;
    void FocusClose() override;

    bool OnlyNewDives() const override;
    OverwritePolicy Overwrite() const override;

private:
    frmVyper& w_;
};

}  // namespace vyper
