#pragma once
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "ui/toolkit/Controls.h"
#include "platform/Platform.h"
#include "transfer/VyperComm.h"
#include "ui/logbook/frmLogbook.h"
#include "ui/main/HelpWindow.h"
#include "ui/main/WindowSeams.h"
#include "ui/viewer/frmShowDive.h"

namespace vyper {

// The main window: the user's choices for the link and the download, the buttons that
// start and stop transfers, the message list and the list of stored profile files.
class frmVyper : public QWidget {
public:
    // Builds the controls and runs the start-up (Form_Load).
    explicit frmVyper(Platform platform, QWidget* parent = nullptr);
    ~frmVyper() override;

    VyperComm& Module() { return *module_; }
    // What the viewer needs of this window: the selected file, the folder, the boxes.
    ViewerSource ViewerSourceOf();

    // Event handlers, named after their control and event.
    void Form_Load();
    void Form_Unload();
    void cmdClose_Click();
    void cmdDownload_Click();
    void cmdGetVyperSettings_Click();
    void cmdStop_Click();
    void cmdShowDive_Click();
    // Opens the selected entry of the file list in the viewer: a double-click and Enter in
    // the list come here. Nothing when no entry is current.
    void lstFiles_Open();
    // Opens the help beside this window (F1, "Hilfe"), or raises it when it is open already.
    void cmdHelp_Click();
    // The open help, null when none is open.
    HelpWindow* Help() const { return help_; }
    // Opens the logbook beside this window, or raises it when it is open already.
    void cmdLogbook_Click();
    // The open logbook, null when none is open.
    frmLogbook* Logbook() const { return logbook_; }
    // Opens the dialog that maps COM1..COM4 to the serial devices present; the mapping
    // takes effect when a transfer next opens the port.
    void cmdPortDevices_Click();
    void timDownLoadCtrl_Timer();
    void timChkRxDone_Timer();
    void comVyper_OnComm();

    // Controls
    CommandButton* cmdDownload;
    CommandButton* cmdGetVyperSettings;
    CommandButton* cmdStop;
    CommandButton* cmdClose;
    CommandButton* cmdShowDive;
    CommandButton* cmdLogbook;
    CommandButton* cmdPortDevices;
    CommandButton* cmdHelp;
    ComboBox* cmbCommPort;
    ListBox* lstInterfaceType;
    TextBox* txtComDelay;
    ComboBox* cmbNDives;
    TextBox* txtErrMax;
    CheckBox* chkAbortWhenOldDive;
    Frame* frmOverWrite;
    OptionButton* optNever;
    OptionButton* optAsk;
    OptionButton* optAlways;
    ListBox* lstFiles;
    ListBox* lstVyperComm;
    Label* lblCnt;
    Label* lblDiveCnt;
    Label* lblErr;
    Label* lblErr2;
    Label* Label1;
    Label* Label2;
    Label* Label3;
    Label* Label4;
    Label* Label5;
    Label* Label6;
    Label* Label7;
    Label* Label8;
    Timer* timDownLoadCtrl;
    Timer* timChkRxDone;

    // How the window shows a dive: the modal viewer; tests put a recorder here.
    std::function<void(const ViewerSource&, QWidget* owner)> openViewer = ShowDiveModal;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void LayOutControls();
    void ConnectEvents();
    // Tab goes through the controls in reading order.
    void SetTabOrder();
    // What the help names of this program: its version and its folders.
    HelpFacts HelpFactsOf() const;
    void StartUpFromStoredSettings();
    // Disables the start buttons and the link's choices while a transfer runs.
    void LockChoicesDuringTransfer(bool active);

    std::unique_ptr<WindowSeams> seams_;
    std::unique_ptr<VyperComm> module_;
    bool unloaded_ = false;
    QPointer<frmLogbook> logbook_;
    QPointer<HelpWindow> help_;
};

}  // namespace vyper
