#pragma once
#include "platform/MessageBoxes.h"

class QWidget;

namespace vyper {

// Message boxes of the window toolkit, parented to `owner` (may be null).
class QtMessageBoxes : public MessageBoxes {
public:
    void SetOwner(QWidget* owner) { owner_ = owner; }
    int Show(const QString& text, int styleValue, const QString& title) override;

private:
    QWidget* owner_ = nullptr;
};

}  // namespace vyper
