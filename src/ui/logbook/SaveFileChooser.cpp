#include "ui/logbook/SaveFileChooser.h"

#include <QFileDialog>

namespace vyper {

QString QtSaveFileChooser::ChooseSaveFile(QWidget* owner, const QString& caption, const QString& proposedPath,
                                          const QString& filter) {
    return QFileDialog::getSaveFileName(owner, caption, proposedPath, filter);
}

}  // namespace vyper
