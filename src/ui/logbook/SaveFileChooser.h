#pragma once
#include <QString>

class QWidget;

namespace vyper {

// Asks the user where to save a file; replaceable so that tests can answer.
class SaveFileChooser {
public:
    virtual ~SaveFileChooser() = default;
    // Offers `proposedPath` (folder and name) with the file type `filter`
    // ("UDDF-Dateien (*.uddf)"); returns the chosen path, or "" when the user cancels.
    virtual QString ChooseSaveFile(QWidget* owner, const QString& caption, const QString& proposedPath,
                                   const QString& filter) = 0;
};

// The window toolkit's save dialog; it asks before replacing a file.
class QtSaveFileChooser : public SaveFileChooser {
public:
    QString ChooseSaveFile(QWidget* owner, const QString& caption, const QString& proposedPath,
                           const QString& filter) override;
};

}  // namespace vyper
