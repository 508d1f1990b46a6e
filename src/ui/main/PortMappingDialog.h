#pragma once
#include <QDialog>
#include <array>
#include <vector>

#include "ui/toolkit/Controls.h"
#include "platform/SerialDevices.h"
#include "platform/SettingsStore.h"
#include "platform/PortMappingEntries.h"

namespace vyper {

// The dialog "Schnittstellen zuordnen": one list per port COM1..COM4 to choose the serial
// device the port opens. OK stores each changed choice in section "Ports" of `store`
// (the standard device by removing the entry); Abbrechen stores nothing. No other setting
// is touched. The devices come from the caller, so the dialog never asks the system.
class PortMappingDialog : public QDialog {
public:
    PortMappingDialog(SettingsStore& store, const std::vector<SerialDeviceChoice>& devices, QWidget* parent = nullptr);

    // The list of COM<port>, port 1..4.
    DropDownList* PortList(int port) const { return rows_.at(port - 1).list; }
    // Stores the choices that differ from what is stored, then closes the dialog.
    void accept() override;

    Label* lblHint;
    CommandButton* cmdOk;
    CommandButton* cmdCancel;

private:
    struct Row {
        DropDownList* list = nullptr;
        std::vector<PortMappingEntry> entries;
    };
    SettingsStore& store_;
    std::array<Row, 4> rows_;
};

}  // namespace vyper
