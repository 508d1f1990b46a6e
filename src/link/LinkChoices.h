#pragma once
#include <QString>

namespace vyper {

// The user's choices for the link as they stand when a transfer opens the port: the texts of
// the interface type, the port number and the command delay. The main window implements it.
class LinkChoices {
public:
    virtual ~LinkChoices() = default;
    virtual QString InterfaceText() const = 0;
    virtual QString PortText() const = 0;
    virtual QString DelayText() const = 0;
};

}  // namespace vyper
