#pragma once
#include <QDialog>
#include <QUrl>
#include <functional>
#include <memory>

#include "logbook/DiveExport.h"
#include "ui/toolkit/Controls.h"
#include "platform/FileWriter.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "logbook/ExportTexts.h"
#include "ui/logbook/FolderScan.h"
#include "ui/logbook/LogbookModel.h"
#include "ui/logbook/LogbookProxy.h"
#include "ui/logbook/SaveFileChooser.h"

class QAction;
class QGroupBox;
class QLineEdit;
class QTableView;
class QThread;

namespace vyper {

class FolderWatch;
class LogbookLoader;

// What the logbook needs of the program.
struct LogbookServices {
    QString programFolder;               // the folder that holds "Tauchprofile"
    MessageBoxes* boxes = nullptr;       // must be set
    SettingsStore* settings = nullptr;   // must be set; keeps the export folder
    FileWriter* files = nullptr;         // must be set; writes the exports
    SaveFileChooser* chooser = nullptr;  // null: the window toolkit's save dialog
    QString version;                     // the program's version, named in exports
    // Opens a folder in the desktop's file manager; false when nothing could open it.
    // Null: the desktop's handler for the URL (QDesktopServices).
    std::function<bool(const QUrl&)> openUrl{};
    // Opens the program's help (F1); null: F1 does nothing here.
    std::function<void()> showHelp{};
};

// The logbook: every dive of the profile folder in a table that sorts by any column and
// filters by a text, the files that are no dive listed apart, the viewer for a dive and
// exports to UDDF and CSV. Reads the folder in a thread of its own, in batches, and keeps
// up with files that come, change or go while it is open.
class frmLogbook : public QDialog {
    Q_OBJECT
public:
    // Starts reading the folder at once; the rows arrive through the message loop.
    explicit frmLogbook(LogbookServices services, QWidget* parent = nullptr);
    // Stops the reading and waits for an export in progress.
    ~frmLogbook() override;

    // Opens the viewer modally on the dive in row `row` of the table as shown.
    void OpenDive(int row);
    // Opens the viewer on the table's current row; nothing without one.
    void cmdShow_Click();
    // Opens the profile folder in the desktop's file manager; says so in a box when that fails.
    void cmdOpenFolder_Click();
    // Asks where to save, then writes the selected dives (or all) in `format`, oldest
    // first, in a thread of its own, and tells the user the result.
    void Export(ExportFormat format, bool selectionOnly);

    // Whether the folder is being read, and whether an export runs.
    bool Loading() const;
    bool Exporting() const { return exportThread_ != nullptr; }
    const LogbookModel& Dives() const { return dives_; }
    const LogbookProxy& Shown() const { return shown_; }
    const UnreadableModel& Unreadable() const { return unreadable_; }

    QLineEdit* txtFilter;
    QTableView* tblDives;
    Label* lblStatus;
    QGroupBox* fraUnreadable;
    QTableView* tblUnreadable;
    CommandButton* cmdShow;
    CommandButton* cmdExport;
    CommandButton* cmdOpenFolder;
    CommandButton* cmdClose;
    QAction* mnuSelectionUddf;
    QAction* mnuAllUddf;
    QAction* mnuSelectionCsv;
    QAction* mnuAllCsv;

signals:
    // A pass over the folder has ended: its rows are all in the table.
    void LoadFinished();
    // An export has ended and its message has been shown.
    void ExportFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void ConnectEvents();
    void TakeBatch(LogbookBatch&& batch);
    void PassDone(const QStringList& names);
    void UpdateStatus();
    void UpdateActions();
    QStringList ExportNames(bool selectionOnly) const;
    void ExportDone(const ExportMessage& message);
    QString ProfileFolder() const;

    LogbookServices services_;
    std::unique_ptr<SaveFileChooser> ownChooser_;
    LogbookModel dives_;
    LogbookProxy shown_{dives_};
    UnreadableModel unreadable_;
    bool read_ = false;  // the first pass over the folder has ended
    bool columnsFitted_ = false;
    FolderWatch* watch_ = nullptr;
    std::unique_ptr<QThread> exportThread_;
    // Last: stopped first when the window goes, before the models it fills.
    std::unique_ptr<LogbookLoader> loader_;
};

}  // namespace vyper
