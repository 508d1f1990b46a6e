#include "ui/logbook/frmLogbook.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include "platform/AppInfo.h"
#include "platform/Failure.h"
#include "ui/toolkit/WindowFonts.h"
#include "ui/logbook/FolderWatch.h"
#include "ui/logbook/LogbookLoader.h"
#include "ui/viewer/frmShowDive.h"

namespace vyper {

namespace {

// Rows handed from the reading thread at a time: the first of them show at once, and
// adding so many to the sorted table keeps the window's thread free within a few ms.
constexpr int kBatchRows = 250;
// How long the folder must stay quiet after a change before it is read again.
constexpr int kQuietMs = 200;
const QString kSettingsSection = QStringLiteral("Logbuch");
const QString kExportFolderKey = QStringLiteral("ExportFolder");

void SetUpTable(QTableView* table) {
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false);
    table->setWordWrap(false);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    // Rows of one line of text each: no row is ever measured.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setHighlightSections(false);
}

}  // namespace

frmLogbook::frmLogbook(LogbookServices services, QWidget* parent) : QDialog(parent), services_(std::move(services)) {
    if (services_.chooser == nullptr) {
        ownChooser_ = std::make_unique<QtSaveFileChooser>();
        services_.chooser = ownChooser_.get();
    }
    CreateControls();
    ConnectEvents();

    const QString folder = ProfileFolder();
    loader_ = std::make_unique<LogbookLoader>(folder, kBatchRows, [this] {
        QHash<QString, QDateTime> known = dives_.Stamps();
        known.insert(unreadable_.Stamps());
        return known;
    });
    loader_->OnBatch = [this](LogbookBatch&& batch) { TakeBatch(std::move(batch)); };
    loader_->OnPassDone = [this](const QStringList& names) { PassDone(names); };
    watch_ = new FolderWatch(folder, kQuietMs, this);
    watch_->OnChange = [this] { loader_->Rescan(); };
    loader_->Rescan();
    UpdateStatus();
    UpdateActions();
}

frmLogbook::~frmLogbook() {
    loader_.reset();
    if (exportThread_) exportThread_->wait();
}

void frmLogbook::CreateControls() {
    setWindowTitle(QStringLiteral("Logbuch"));
    setWindowFlag(Qt::WindowMinMaxButtonsHint);
    setSizeGripEnabled(true);
    setFont(WindowFont());
    resize(900, 500);

    txtFilter = new QLineEdit(this);
    txtFilter->setPlaceholderText(QStringLiteral("Filter: Jahr oder Text"));
    txtFilter->setClearButtonEnabled(true);
    cmdShow = new CommandButton(QStringLiteral("&Ansehen"), this);
    cmdExport = new CommandButton(QStringLiteral("&Exportieren…"), this);
    auto* exportMenu = new QMenu(cmdExport);
    mnuSelectionUddf = exportMenu->addAction(QStringLiteral("Auswahl als &UDDF…"));
    mnuAllUddf = exportMenu->addAction(QStringLiteral("&Alle als UDDF…"));
    exportMenu->addSeparator();
    mnuSelectionCsv = exportMenu->addAction(QStringLiteral("Auswahl als &CSV…"));
    mnuAllCsv = exportMenu->addAction(QStringLiteral("A&lle als CSV…"));
    cmdExport->setMenu(exportMenu);

    tblDives = new QTableView(this);
    tblDives->setModel(&shown_);
    SetUpTable(tblDives);
    tblDives->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Newest first; the header sorts by any column.
    tblDives->horizontalHeader()->setSortIndicator(static_cast<int>(LogbookColumn::Date), Qt::DescendingOrder);
    tblDives->setSortingEnabled(true);

    fraUnreadable = new QGroupBox(QStringLiteral("Nicht lesbare Dateien"), this);
    tblUnreadable = new QTableView(fraUnreadable);
    tblUnreadable->setModel(&unreadable_);
    SetUpTable(tblUnreadable);
    tblUnreadable->setSelectionMode(QAbstractItemView::SingleSelection);
    tblUnreadable->setMaximumHeight(120);
    auto* unreadableLayout = new QVBoxLayout(fraUnreadable);
    unreadableLayout->addWidget(tblUnreadable);
    fraUnreadable->hide();

    lblStatus = new Label(this);
    lblStatus->setTextFormat(Qt::PlainText);
    cmdOpenFolder = new CommandButton(QStringLiteral("&Ordner öffnen"), this);
    cmdOpenFolder->setToolTip(QStringLiteral("Den Ordner Tauchprofile im Dateimanager zeigen"));
    cmdClose = new CommandButton(QStringLiteral("&Schließen"), this);
    // Return belongs to the table (it opens a dive), never to a default button.
    for (CommandButton* button : {cmdShow, cmdExport, cmdOpenFolder, cmdClose}) button->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(txtFilter, 1);
    top->addWidget(cmdShow);
    top->addWidget(cmdExport);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblStatus, 1);
    bottom->addWidget(cmdOpenFolder);
    bottom->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tblDives, 1);
    layout->addWidget(fraUnreadable);
    layout->addLayout(bottom);
}

void frmLogbook::ConnectEvents() {
    connect(txtFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        shown_.SetFilterText(text);
        UpdateStatus();
    });
    connect(cmdShow, &QPushButton::clicked, this, [this] { cmdShow_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { close(); });
    connect(cmdOpenFolder, &QPushButton::clicked, this, [this] { cmdOpenFolder_Click(); });
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] {
        if (services_.showHelp) services_.showHelp();
    });
    connect(tblDives, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenDive(index.row()); });
    tblDives->installEventFilter(this);
    connect(mnuSelectionUddf, &QAction::triggered, this, [this] { Export(ExportFormat::Uddf, true); });
    connect(mnuAllUddf, &QAction::triggered, this, [this] { Export(ExportFormat::Uddf, false); });
    connect(mnuSelectionCsv, &QAction::triggered, this, [this] { Export(ExportFormat::Csv, true); });
    connect(mnuAllCsv, &QAction::triggered, this, [this] { Export(ExportFormat::Csv, false); });
    connect(tblDives->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateActions(); });
    connect(tblDives->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { UpdateActions(); });
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(&shown_, signal, this, [this] { UpdateStatus(); });
    }
    connect(&shown_, &QAbstractItemModel::modelReset, this, [this] { UpdateStatus(); });
    connect(&shown_, &QAbstractItemModel::layoutChanged, this, [this] { UpdateStatus(); });
}

bool frmLogbook::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tblDives && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdShow_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool frmLogbook::Loading() const { return loader_ && loader_->Busy(); }

void frmLogbook::TakeBatch(LogbookBatch&& batch) {
    // A file may turn from a dive into none or back when it is rewritten.
    for (const LogbookEntry& dive : batch.dives) unreadable_.Remove(dive.fileName);
    for (const UnreadableEntry& entry : batch.unreadable) dives_.Remove(entry.fileName);
    dives_.Put(std::move(batch.dives));
    unreadable_.Put(batch.unreadable);
    if (!columnsFitted_ && dives_.rowCount() > 0) {
        // Once, from the first rows: measuring every column again for every batch would
        // cost more than the batch itself.
        tblDives->resizeColumnsToContents();
        columnsFitted_ = true;
    }
    if (unreadable_.rowCount() > 0) tblUnreadable->resizeColumnToContents(0);
    UpdateStatus();
}

void frmLogbook::PassDone(const QStringList& names) {
    const QSet<QString> present(names.cbegin(), names.cend());
    dives_.KeepOnly(present);
    unreadable_.KeepOnly(present);
    read_ = true;
    UpdateStatus();
    UpdateActions();
    emit LoadFinished();
}

void frmLogbook::UpdateStatus() {
    // Only the first reading is worth a word: later ones take a moment and would flicker.
    lblStatus->SetCaption(LogbookStatusText(shown_.rowCount(), dives_.rowCount(), shown_.Filtered(), !read_));
    fraUnreadable->setTitle(QStringLiteral("Nicht lesbare Dateien (%1)").arg(unreadable_.rowCount()));
    fraUnreadable->setVisible(unreadable_.rowCount() > 0);
}

void frmLogbook::UpdateActions() {
    const bool idle = !Exporting();
    const bool selected = tblDives->selectionModel()->hasSelection();
    mnuSelectionUddf->setEnabled(idle && selected);
    mnuSelectionCsv->setEnabled(idle && selected);
    // "All" means the whole folder, so not before it has been read.
    const bool all = idle && read_ && dives_.rowCount() > 0;
    mnuAllUddf->setEnabled(all);
    mnuAllCsv->setEnabled(all);
    cmdExport->setEnabled(idle);
    cmdShow->setEnabled(tblDives->selectionModel()->currentIndex().isValid());
}

void frmLogbook::OpenDive(int row) {
    if (row < 0 || row >= shown_.rowCount()) return;
    const QString fileName = shown_.EntryAt(row).fileName;
    ShowDiveModal(ViewerSource{[fileName] { return fileName; }, services_.programFolder, services_.boxes}, this);
}

void frmLogbook::cmdShow_Click() {
    const QModelIndex current = tblDives->selectionModel()->currentIndex();
    if (current.isValid()) OpenDive(current.row());
}

QString frmLogbook::ProfileFolder() const { return JoinPath(services_.programFolder, QStringLiteral("Tauchprofile")); }

void frmLogbook::cmdOpenFolder_Click() {
    const QString folder = ProfileFolder();
    const QUrl url = QUrl::fromLocalFile(QDir::fromNativeSeparators(folder));
    const bool opened = services_.openUrl ? services_.openUrl(url) : QDesktopServices::openUrl(url);
    if (!opened) {
        services_.boxes->Show(QStringLiteral("Der Ordner %1 konnte nicht im Dateimanager geöffnet werden.").arg(folder),
                              style::Critical | style::OkOnly, kMessageTitle);
    }
}

QStringList frmLogbook::ExportNames(bool selectionOnly) const {
    std::vector<const LogbookEntry*> entries;
    if (selectionOnly) {
        for (const QModelIndex& index : tblDives->selectionModel()->selectedRows()) {
            entries.push_back(&shown_.EntryAt(index.row()));
        }
    } else {
        for (int row = 0; row < dives_.rowCount(); ++row) entries.push_back(&dives_.Entry(row));
    }
    return ChronologicalFileNames(std::move(entries));
}

void frmLogbook::Export(ExportFormat format, bool selectionOnly) {
    if (Exporting()) return;
    const QStringList names = ExportNames(selectionOnly);
    if (names.isEmpty()) return;
    const QString stored = services_.settings->Load(kSettingsSection, kExportFolderKey);
    const QString folder = !stored.isEmpty() && QFileInfo(stored).isDir() ? stored : QDir::homePath();
    const QString target = services_.chooser->ChooseSaveFile(
        this, ExportDialogTitle(format), ProposedExportPath(folder, format), ExportFileFilter(format));
    if (target.isEmpty()) return;
    services_.settings->Save(kSettingsSection, kExportFolderKey,
                             QDir::toNativeSeparators(QFileInfo(target).absolutePath()));

    // Reading thousands of profiles with their samples takes seconds: the window stays
    // responsive meanwhile, and only one export runs at a time.
    const QString profiles = JoinPath(services_.programFolder, QStringLiteral("Tauchprofile"));
    const ExportGenerator generator{QStringLiteral("Vyper-Grundelnetz"), services_.version,
                                    QDateTime::currentDateTime()};
    FileWriter* files = services_.files;
    exportThread_.reset(QThread::create([this, profiles, names, format, target, files, generator] {
        ExportMessage message;
        try {
            const ExportOutcome outcome = ExportProfiles(profiles, names, format, target, *files, generator);
            message = ExportResultMessage(outcome, target);
        } catch (const RuntimeFailure& failure) {
            message = {QStringLiteral("Fehler: ") + failure.Description(), style::Critical | style::OkOnly};
        } catch (const std::exception& failure) {
            message = {QStringLiteral("Fehler: ") + QString::fromLocal8Bit(failure.what()),
                       style::Critical | style::OkOnly};
        }
        QMetaObject::invokeMethod(this, [this, message] { ExportDone(message); }, Qt::QueuedConnection);
    }));
    setCursor(Qt::BusyCursor);
    exportThread_->start();
    UpdateActions();
}

void frmLogbook::ExportDone(const ExportMessage& message) {
    exportThread_->wait();
    exportThread_.reset();
    unsetCursor();
    UpdateActions();
    services_.boxes->Show(message.text, message.style, kMessageTitle);
    emit ExportFinished();
}

}  // namespace vyper
