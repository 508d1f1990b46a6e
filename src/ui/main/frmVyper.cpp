#include "ui/main/frmVyper.h"

#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QShortcut>
#include <algorithm>

#include "link/StartUpChoices.h"
#include "link/UserChoices.h"
#include "platform/Failure.h"
#include "platform/TransferLogFiles.h"
#include "ui/toolkit/WindowFonts.h"
#include "text/NumberText.h"
#include "transfer/ReceivePoll.h"
#include "transfer/TransferControl.h"
#include "transfer/TransferLogging.h"
#include "transfer/TransferStop.h"
#include "ui/main/MainWindowTexts.h"
#include "ui/main/PortMappingDialog.h"
#include "ui/main/Settings.h"

namespace vyper {

namespace {
// Client area of the window in twips.
constexpr int kClientWidthTwips = 7230;
constexpr int kClientHeightTwips = 5685;
constexpr int kHeadingColour = 4210688;
}  // namespace

frmVyper::frmVyper(Platform platform, QWidget* parent) : QWidget(parent) {
    CreateControls();
    LayOutControls();
    seams_ = std::make_unique<WindowSeams>(*this);
    module_ = std::make_unique<VyperComm>(platform, CoreSeams{*lstVyperComm, *lstFiles, *seams_, *seams_, *seams_,
                                                              *seams_, *timDownLoadCtrl, *timChkRxDone});
    module_->OnTransferActiveChanged = [this](bool active) { LockChoicesDuringTransfer(active); };
    ConnectEvents();
    SetTabOrder();
    Form_Load();
}

frmVyper::~frmVyper() {
    // The serial control outlives the window; its events must not reach a dead window.
    module_->comVyper().OnComm = nullptr;
}

void frmVyper::CreateControls() {
    setWindowTitle(kDesignedTitle);
    // The layout is measured for a small font; WindowFonts.h says which one and why.
    setFont(WindowFont());
    auto label = [this](const QString& caption) {
        auto* l = new Label(caption, this);
        l->setTextFormat(Qt::PlainText);
        SetTextColor(l, kColourDarkBlue);
        return l;
    };
    cmdDownload = new CommandButton(QStringLiteral("Tauchgangsdaten &übertragen"), this);
    cmdGetVyperSettings = new CommandButton(QStringLiteral("&Vyper Einstellungen auslesen"), this);
    cmdStop = new CommandButton(QStringLiteral("Sto&p"), this);
    cmdClose = new CommandButton(QStringLiteral("&Ende"), this);
    cmdShowDive = new CommandButton(QStringLiteral("&TG ansehen"), this);
    cmdLogbook = new CommandButton(QStringLiteral("&Logbuch…"), this);
    cmdHelp = new CommandButton(QStringLiteral("&Hilfe"), this);
    cmdHelp->setToolTip(QStringLiteral("Kurze Hilfe und die Version des Programms (F1)"));

    cmbCommPort = new ComboBox(this);
    cmbCommPort->SetText(QStringLiteral("2"));
    cmbCommPort->setToolTip(QStringLiteral("Nummer der seriellen Schnittstelle; welches Gerät COM1 bis COM4 "
                                           "öffnen, legt die Schaltfläche daneben fest"));
    cmdPortDevices = new CommandButton(QStringLiteral("…"), this);
    cmdPortDevices->setToolTip(
        QStringLiteral("Serielles Gerät für COM1 bis COM4 wählen (USB-Adapter, eingebaute Schnittstellen)"));
    Label6 = label(QStringLiteral("COM:"));
    lstInterfaceType = new ListBox(this);
    lstInterfaceType->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Label1 = label(QStringLiteral("Interface-Typ"));
    txtComDelay = new TextBox(QStringLiteral("350"), this);
    Label7 = label(QStringLiteral("Verzögerung [ms]"));
    cmbNDives = new ComboBox(this);
    Label3 = label(QStringLiteral("Anzahl der zuletzt gemachten  Tauchgänge, die abgerufen werden:"));
    Label3->setWordWrap(true);
    txtErrMax = new TextBox(QStringLiteral("3"), this);
    txtErrMax->setToolTip(QStringLiteral("Max. Fehlerzahl bis zum Abbruch der Übertragung"));
    Label5 = label(QStringLiteral("Max. Fehlerzahl bis Abbruch"));
    chkAbortWhenOldDive = new CheckBox(QStringLiteral("Nur neue Tauchgänge laden"), this);
    SetTextColor(chkAbortWhenOldDive, kColourDarkBlue);

    frmOverWrite = new Frame(QStringLiteral("Existierenden Tauchgang"), this);
    SetTextColor(frmOverWrite, kColourDarkBlue);
    optAlways = new OptionButton(QStringLiteral("Immer überschreiben"), frmOverWrite);
    optAsk = new OptionButton(QStringLiteral("Individuell nachfragen"), frmOverWrite);
    optNever = new OptionButton(QStringLiteral("Nie überschreiben"), frmOverWrite);
    for (OptionButton* option : {optAlways, optAsk, optNever}) SetTextColor(option, kColourDarkBlue);
    optNever->SetValue(true);

    lstFiles = new ListBox(this);
    lstFiles->setToolTip(QStringLiteral("Doppelklick auf einen Dateinamen öffnet das geladene Tauchgangsprofil"));
    lstVyperComm = new ListBox(this);
    lstVyperComm->setToolTip(QStringLiteral("Meldungen während des Ladevorgangs vom Suunto Vyper"));

    Label2 = label(QStringLiteral("Bytes  empfangen:"));
    lblCnt = label(QStringLiteral("0"));
    Label4 = label(QStringLiteral("Tauchgänge gelesen:"));
    lblDiveCnt = label(QStringLiteral("0"));
    lblErr = label(QStringLiteral("0"));
    lblErr->SetForeColor(kColourGrey);
    lblErr2 = label(QStringLiteral("Fehler oder 'End of Data':"));
    lblErr2->SetForeColor(kColourGrey);
    Label8 = label(QStringLiteral("Einstellungen"));
    Label8->SetForeColor(kHeadingColour);
    Label8->setFont(HeadingFont());

    timDownLoadCtrl = new Timer(this);
    timChkRxDone = new Timer(this);

    // The controls' names, as the program knows them, for accessibility tools and tests.
    const std::pair<QWidget*, const char*> names[] = {
        {cmdDownload, "cmdDownload"},   {cmdGetVyperSettings, "cmdGetVyperSettings"},
        {cmdStop, "cmdStop"},           {cmdClose, "cmdClose"},
        {cmdShowDive, "cmdShowDive"},   {cmdLogbook, "cmdLogbook"},
        {cmdHelp, "cmdHelp"},           {cmdPortDevices, "cmdPortDevices"},
        {cmbCommPort, "cmbCommPort"},   {lstInterfaceType, "lstInterfaceType"},
        {txtComDelay, "txtComDelay"},   {cmbNDives, "cmbNDives"},
        {txtErrMax, "txtErrMax"},       {chkAbortWhenOldDive, "chkAbortWhenOldDive"},
        {frmOverWrite, "frmOverWrite"}, {optNever, "optNever"},
        {optAsk, "optAsk"},             {optAlways, "optAlways"},
        {lstFiles, "lstFiles"},         {lstVyperComm, "lstVyperComm"},
    };
    for (const auto& [widget, name] : names) widget->setObjectName(QString::fromLatin1(name));
}

void frmVyper::LayOutControls() {
    const double dpi = logicalDpiY();
    setFixedSize(TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi));
    struct Placement {
        QWidget* widget;
        int left, top, width, height;
    };
    const Placement placements[] = {
        {lstVyperComm, 0, 0, 4515, 3510},         {lstFiles, 0, 3540, 4515, 1335},
        {Label8, 4680, 60, 1455, 255},            {Label1, 4680, 420, 1035, 195},
        {lstInterfaceType, 4620, 660, 2535, 450}, {Label6, 4680, 1140, 735, 195},
        {cmbCommPort, 4620, 1380, 615, 315},      {cmdPortDevices, 5280, 1380, 495, 315},
        {Label7, 5820, 1140, 1335, 195},          {txtComDelay, 5820, 1380, 615, 315},
        {frmOverWrite, 4620, 1860, 2535, 1035},   {optAlways, 120, 240, 2235, 195},
        {optAsk, 120, 480, 2115, 195},            {optNever, 120, 720, 2235, 255},
        {chkAbortWhenOldDive, 4680, 3000, 2475, 195}, {Label3, 4680, 3360, 2415, 615},
        {cmbNDives, 6300, 3840, 855, 315},        {Label5, 4680, 4320, 2055, 195},
        {txtErrMax, 6780, 4260, 315, 285},        {cmdShowDive, 4620, 4560, 1095, 315},
        {cmdLogbook, 5760, 4560, 1395, 315},
        {lblErr2, 60, 4980, 1875, 195},           {lblErr, 1980, 4980, 435, 195},
        {Label2, 2580, 4980, 1335, 195},          {lblCnt, 4020, 4980, 555, 195},
        {Label4, 4860, 4980, 1635, 195},          {lblDiveCnt, 6540, 4980, 615, 195},
        {cmdGetVyperSettings, 60, 5280, 2295, 375}, {cmdDownload, 2400, 5280, 2415, 375},
        {cmdStop, 4860, 5280, 675, 375},          {cmdHelp, 5580, 5280, 915, 375},
        {cmdClose, 6540, 5280, 675, 375},
    };
    for (const Placement& p : placements) PlaceInTwips(p.widget, p.left, p.top, p.width, p.height, dpi);
    // Nothing lies right of the heading: let its bold caption take the width it needs.
    Label8->resize(std::max(Label8->width(), Label8->sizeHint().width()), Label8->height());
}

void frmVyper::LockChoicesDuringTransfer(bool active) {
    // A running transfer keeps its port and interface; Stop stays available throughout.
    for (QWidget* w : std::initializer_list<QWidget*>{cmdDownload, cmdGetVyperSettings, cmbCommPort, cmdPortDevices,
                                                      lstInterfaceType, txtComDelay}) {
        w->setEnabled(!active);
    }
}

void frmVyper::ConnectEvents() {
    connect(cmdDownload, &QPushButton::clicked, this, [this] { cmdDownload_Click(); });
    connect(cmdGetVyperSettings, &QPushButton::clicked, this, [this] { cmdGetVyperSettings_Click(); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { cmdStop_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(cmdShowDive, &QPushButton::clicked, this, [this] { cmdShowDive_Click(); });
    connect(cmdLogbook, &QPushButton::clicked, this, [this] { cmdLogbook_Click(); });
    connect(cmdPortDevices, &QPushButton::clicked, this, [this] { cmdPortDevices_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
    // A double-click on a file opens it as the button does (the list's tooltip says so), and
    // so does Enter (eventFilter).
    connect(lstFiles, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        lstFiles->SetListIndex(lstFiles->row(item));
        lstFiles_Open();
    });
    lstFiles->installEventFilter(this);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { cmdHelp_Click(); });
    timDownLoadCtrl->OnTimer = [this] { timDownLoadCtrl_Timer(); };
    timChkRxDone->OnTimer = [this] { timChkRxDone_Timer(); };
    module_->comVyper().OnComm = [this] { comVyper_OnComm(); };
}

void frmVyper::SetTabOrder() {
    // The message list, the settings column from top to bottom, the file list and the
    // buttons beside and below it, each row from left to right.
    const std::initializer_list<QWidget*> order = {
        lstVyperComm, lstInterfaceType, cmbCommPort, cmdPortDevices,      txtComDelay, optAlways, optAsk,
        optNever,     chkAbortWhenOldDive, cmbNDives, txtErrMax,         lstFiles,    cmdShowDive, cmdLogbook,
        cmdGetVyperSettings, cmdDownload, cmdStop,  cmdHelp,             cmdClose};
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (previous != nullptr) setTabOrder(previous, widget);
        previous = widget;
    }
}

bool frmVyper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstFiles && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            lstFiles_Open();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmVyper::Form_Load() {
    VyperComm& m = *module_;
    // The banner never makes the list scroll sideways: its rule of underscores is wider than
    // the list and only ends at the list's edge, and the two lines above it fit whole.
    for (const QString& line : BannerLines(m.platform.app.versionMinor, m.platform.app.versionRevision)) {
        lstVyperComm->AddItemUnscrolled(line);
    }
    for (int port = 1; port <= 4; ++port) cmbCommPort->AddItem(QString::number(port));
    for (const QString& entry : DiveCountEntries()) cmbNDives->AddItem(entry);
    cmbNDives->SetText(QStringLiteral("Alle"));
    timChkRxDone->SetInterval(10);

    // Closing the port and creating the profile folder may fail without harm.
    try {
        m.comVyper().SetPortOpen(false);
    } catch (const std::exception&) {
    }
    m.ProfileFolder = JoinPath(m.platform.app.programFolder, QStringLiteral("Tauchprofile"));
    QDir().mkdir(m.ProfileFolder);

    try {
        StartUpFromStoredSettings();
    } catch (const RuntimeFailure& failure) {
        m.platform.boxes.Show(QStringLiteral("%1 %2").arg(failure.Description()).arg(failure.Number()),
                              style::Critical | style::OkOnly, kMessageTitle);
    }
}

void frmVyper::StartUpFromStoredSettings() {
    VyperComm& m = *module_;
    m.DiveNumber = 1;

    m.CommPortNumber = PortNumberFromText(LoadSetting(m, QStringLiteral("CommPort"), QStringLiteral("Number")));
    cmbCommPort->SetText(QString::number(m.CommPortNumber));

    lstInterfaceType->AddItem(kInterfaceSelfBuilt);
    lstInterfaceType->AddItem(kInterfaceOriginal);
    const QString storedInterface = LoadSetting(m, QStringLiteral("CommPort"), QStringLiteral("InterfaceType"));
    const QStringList interfaces = lstInterfaceType->Items();
    lstInterfaceType->SetListIndex(
        static_cast<int>(interfaces.indexOf(InterfaceEntryFromStored(storedInterface, interfaces))));

    txtComDelay->SetText(DelayTextFromStored(LoadSetting(m, QStringLiteral("CommPort"), QStringLiteral("Delay"))));

    const QString onlyNew = LoadSetting(m, QStringLiteral("Settings"), QStringLiteral("LoadOnlyNewDvies"));
    chkAbortWhenOldDive->SetValue(OnlyNewValueFromStored(onlyNew));

    setWindowTitle(windowTitle() + TitleVersionSuffix(m.platform.app.versionMinor, m.platform.app.versionRevision));
}

void frmVyper::Form_Unload() {
    VyperComm& m = *module_;
    SaveSettings(m, QStringLiteral("CommPort"), QStringLiteral("Number"), cmbCommPort->Text());
    SaveSettings(m, QStringLiteral("CommPort"), QStringLiteral("Delay"), txtComDelay->Text());
    SaveSettings(m, QStringLiteral("CommPort"), QStringLiteral("InterfaceType"), lstInterfaceType->Text());
    SaveSettings(m, QStringLiteral("Settings"), QStringLiteral("LoadOnlyNewDvies"),
                 QString::number(chkAbortWhenOldDive->Value()));
}

void frmVyper::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
    event->accept();
}

void frmVyper::cmdClose_Click() {
    // A transfer that the closing window leaves behind still gets its log's end.
    if (module_->TransferActive) FinishTransferLog(*module_, TransferEndCause::Closed);
    timDownLoadCtrl->SetInterval(0);
    module_->DownloadState = 0;
    module_->TransferActive = false;
    module_->platform.waits.InterruptPauses();
    close();
}

// The transfers, the receive side and the viewer are wired here as they are built.
void frmVyper::cmdDownload_Click() { vyper::cmdDownload_Click(*module_); }
void frmVyper::cmdGetVyperSettings_Click() { vyper::cmdGetVyperSettings_Click(*module_); }
void frmVyper::cmdStop_Click() { vyper::cmdStop_Click(*module_); }
void frmVyper::cmdShowDive_Click() { openViewer(ViewerSourceOf(), this); }

void frmVyper::lstFiles_Open() {
    const int row = lstFiles->ListIndex();
    if (row < 0) return;
    // The viewer reads the selected entry: the current one is selected for it.
    lstFiles->SetListIndex(row);
    cmdShowDive_Click();
}

HelpFacts frmVyper::HelpFactsOf() const {
    const AppInfo& app = module_->platform.app;
    return HelpFacts{QStringLiteral("1.%1.%2").arg(app.versionMinor).arg(app.versionRevision), module_->ProfileFolder,
                     TransferLogFolder(qEnvironmentVariable("XDG_STATE_HOME"), QDir::homePath())};
}

void frmVyper::cmdHelp_Click() {
    if (help_ == nullptr) {
        help_ = new HelpWindow(HelpFactsOf(), this);
        help_->setAttribute(Qt::WA_DeleteOnClose);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void frmVyper::cmdLogbook_Click() {
    if (logbook_ == nullptr) {
        Platform& services = module_->platform;
        logbook_ = new frmLogbook(
            LogbookServices{services.app.programFolder, &services.boxes, &services.settings, &services.files, nullptr,
                            QStringLiteral("1.%1.%2").arg(services.app.versionMinor).arg(services.app.versionRevision),
                            nullptr, [this] { cmdHelp_Click(); }},
            this);
        // Closed, it goes with its rows and its reading thread; the next click reads afresh.
        logbook_->setAttribute(Qt::WA_DeleteOnClose);
    }
    logbook_->show();
    logbook_->raise();
    logbook_->activateWindow();
}

ViewerSource frmVyper::ViewerSourceOf() {
    return ViewerSource{[this] { return lstFiles->Text(); }, module_->platform.app.programFolder,
                        &module_->platform.boxes};
}

void frmVyper::cmdPortDevices_Click() {
    // The port is opened by its mapping at each start, so a transfer that runs meanwhile
    // keeps its device and the next one uses the new choice.
    Platform& services = module_->platform;
    PortMappingDialog dialog(services.settings, services.serialDevices(), this);
    dialog.exec();
}
void frmVyper::timDownLoadCtrl_Timer() { vyper::timDownLoadCtrl_Timer(*module_); }
void frmVyper::timChkRxDone_Timer() { vyper::timChkRxDone_Timer(*module_); }
void frmVyper::comVyper_OnComm() { vyper::comVyper_OnComm(*module_); }

}  // namespace vyper
