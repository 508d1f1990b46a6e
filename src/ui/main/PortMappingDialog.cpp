#include "platform/PortDevices.h"
#include "ui/main/PortMappingDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace vyper {

PortMappingDialog::PortMappingDialog(SettingsStore& store, const std::vector<SerialDeviceChoice>& devices,
                                     QWidget* parent)
    : QDialog(parent), store_(store) {
    setWindowTitle(QStringLiteral("Schnittstellen zuordnen"));
    setModal(true);
    QString hint = QStringLiteral("Welches Gerät öffnet das Programm für COM1 bis COM4? "
                                  "„Standard“ ist die eingebaute Schnittstelle.");
    if (devices.empty()) {
        hint += QStringLiteral("\nEs wurde kein serielles Gerät gefunden. Ist das Interface eingesteckt?");
    }
    lblHint = new Label(hint, this);
    lblHint->setTextFormat(Qt::PlainText);
    lblHint->setWordWrap(true);

    auto* grid = new QGridLayout;
    for (int port = 1; port <= 4; ++port) {
        Row& row = rows_[port - 1];
        const PortMappingList choices = PortMappingListFor(port, StoredDevicePath(store_, port), devices);
        row.entries = choices.entries;
        row.list = new DropDownList(this);
        row.list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        for (const PortMappingEntry& entry : row.entries) row.list->AddItem(entry.text);
        row.list->SetListIndex(choices.selected);
        auto* caption = new Label(QStringLiteral("COM%1:").arg(port), this);
        caption->setBuddy(row.list);
        grid->addWidget(caption, port - 1, 0);
        grid->addWidget(row.list, port - 1, 1);
    }
    grid->setColumnStretch(1, 1);

    cmdOk = new CommandButton(QStringLiteral("OK"), this);
    cmdOk->setDefault(true);
    cmdCancel = new CommandButton(QStringLiteral("Abbrechen"), this);
    connect(cmdOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblHint);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

void PortMappingDialog::accept() {
    for (int port = 1; port <= 4; ++port) {
        const Row& row = rows_[port - 1];
        const int index = row.list->ListIndex();
        if (index < 0 || index >= static_cast<int>(row.entries.size())) continue;
        const QString& chosen = row.entries[static_cast<size_t>(index)].path;
        if (chosen != StoredDevicePath(store_, port)) StoreDevicePath(store_, port, chosen);
    }
    QDialog::accept();
}

}  // namespace vyper
