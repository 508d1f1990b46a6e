#include "ui/toolkit/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace vyper {

int QtMessageBoxes::Show(const QString& text, int styleValue, const QString& title) {
    QMessageBox box(owner_);
    box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
    box.setText(text);
    const int icon = styleValue & 0x70;
    box.setIcon(icon == style::Critical      ? QMessageBox::Critical
                : icon == style::Question    ? QMessageBox::Question
                : icon == style::Information ? QMessageBox::Information
                : icon == 48                 ? QMessageBox::Warning
                                             : QMessageBox::NoIcon);
    const bool yesNo = (styleValue & 0x0F) == style::YesNo;
    if (yesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
        box.setDefaultButton((styleValue & style::DefaultButton2) ? no : yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? answer::Yes : answer::No;
    }
    box.addButton(QMessageBox::Ok);
    box.exec();
    return answer::Ok;
}

}  // namespace vyper
