#include "ui/viewer/frmShowDive.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/AppInfo.h"
#include "platform/Failure.h"
#include "profiles/StoredDive.h"
#include "ui/toolkit/WindowFonts.h"
#include "ui/viewer/DiveFacts.h"
#include "ui/viewer/DiveSequence.h"

namespace vyper {

namespace {

// Client area and controls in twips. The first rows are the window's original design; the
// facts line and the row of buttons below them were added, so the designed client area is
// taller than the original 4815 twips. Enlarging the window enlarges the picture box; the
// rows below it keep their height and move down.
constexpr int kClientWidthTwips = 7440;
constexpr int kClientHeightTwips = 5700;
constexpr int kPictureLeft = 60, kPictureTop = 60, kPictureWidth = 7275, kPictureHeight = 4395;
constexpr int kInfoColour = 0 | (64 << 8) | (64 << 16);  // RGB(0, 64, 64)

struct TwipsRect {
    int left, top, width, height;
};
constexpr TwipsRect kInfo{60, 4560, 6375, 255};
constexpr TwipsRect kClose{6480, 4500, 915, 315};
constexpr TwipsRect kFacts{60, 4875, 7335, 390};  // two lines of the window's font
constexpr TwipsRect kPrevious{60, 5325, 375, 315};
constexpr TwipsRect kNext{480, 5325, 375, 315};
constexpr TwipsRect kPosition{960, 5355, 4935, 255};
constexpr TwipsRect kSavePicture{6000, 5325, 1395, 315};

QRect Pixels(const TwipsRect& r, double dpi) {
    return {TwipsToPixels(r.left, dpi), TwipsToPixels(r.top, dpi), TwipsToPixels(r.width, dpi),
            TwipsToPixels(r.height, dpi)};
}

int PixelsToTwips(int pixels, double dpi) { return static_cast<int>(std::lround(pixels * 1440.0 / dpi)); }

// How much one step of the mouse wheel or one + zooms in.
constexpr double kZoomStep = 1.25;

QString PositionText(const QStringList& order, const QString& file) {
    const qsizetype at = order.indexOf(file);
    if (at < 0) return {};
    return QStringLiteral("Tauchgang %1 von %2").arg(at + 1).arg(order.size());
}

}  // namespace

frmShowDive::frmShowDive(ViewerSource source, QWidget* parent) : QDialog(parent), source_(std::move(source)) {
    setWindowTitle(QStringLiteral("Tauchgang ansehen"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);
    // A dialog does not take its owner's font; it is laid out for the same one.
    setFont(WindowFont());
    if (source_.files == nullptr) {
        ownFiles_ = std::make_unique<AtomicFileWriter>();
        source_.files = ownFiles_.get();
    }
    if (source_.pictureChooser == nullptr) {
        ownChooser_ = std::make_unique<QtPictureFileChooser>();
        source_.pictureChooser = ownChooser_.get();
    }
    picDive = new PictureBox(this);
    // The plot takes the keys that step, zoom and move the readout.
    picDive->setFocusPolicy(Qt::StrongFocus);
    picDive->setMouseTracking(true);
    picDive->installEventFilter(this);
    lblInfo = new Label(this);
    lblInfo->setTextFormat(Qt::PlainText);
    lblInfo->SetForeColor(kInfoColour);
    cmdClose = new CommandButton(QStringLiteral("Schließen"), this);
    lblFacts = new Label(this);
    lblFacts->setTextFormat(Qt::PlainText);
    lblFacts->setWordWrap(true);
    lblFacts->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblFacts->SetForeColor(kInfoColour);
    cmdPrevious = new CommandButton(QStringLiteral("<"), this);
    cmdPrevious->setToolTip(QStringLiteral("Vorheriger Tauchgang (Bild↑)"));
    cmdNext = new CommandButton(QStringLiteral(">"), this);
    cmdNext->setToolTip(QStringLiteral("Nächster Tauchgang (Bild↓)"));
    lblPosition = new Label(this);
    lblPosition->setTextFormat(Qt::PlainText);
    cmdSavePicture = new CommandButton(QStringLiteral("Bild speichern…"), this);
    cmdSavePicture->setToolTip(QStringLiteral("Das Bild als PNG oder SVG speichern (Strg+S)"));
    // Enter never presses a button that does not have the focus.
    for (CommandButton* button : {cmdClose, cmdPrevious, cmdNext, cmdSavePicture}) button->setAutoDefault(false);
    setTabOrder(picDive, cmdPrevious);
    setTabOrder(cmdPrevious, cmdNext);
    setTabOrder(cmdNext, cmdSavePicture);
    setTabOrder(cmdSavePicture, cmdClose);

    const QSize designed = DesignedClientSize(logicalDpiY());
    setMinimumSize(designed);
    resize(designed);
    LayOut();
    UpdateNavigation();

    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(cmdPrevious, &QPushButton::clicked, this, [this] { cmdPrevious_Click(); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { cmdNext_Click(); });
    connect(cmdSavePicture, &QPushButton::clicked, this, [this] { cmdSavePicture_Click(); });
    connect(new QShortcut(QKeySequence(Qt::Key_PageUp), this), &QShortcut::activated, this,
            [this] { cmdPrevious_Click(); });
    connect(new QShortcut(QKeySequence(Qt::Key_PageDown), this), &QShortcut::activated, this,
            [this] { cmdNext_Click(); });
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, [this] {
        if (cmdSavePicture->isEnabled()) cmdSavePicture_Click();
    });
}

frmShowDive::~frmShowDive() = default;

int frmShowDive::PictureHeightTwips() { return kPictureHeight; }
int frmShowDive::PictureWidthTwips() { return kPictureWidth; }

QSize frmShowDive::DesignedClientSize(double dpi) {
    return {TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
}

int frmShowDive::ShownHeightTwips() const {
    // At the designed size the design's own twips, so that nothing moves by rounding.
    const double dpi = logicalDpiY();
    const int pixels = picDive->height();
    return pixels == TwipsToPixels(kPictureHeight, dpi) ? kPictureHeight : PixelsToTwips(pixels, dpi);
}

int frmShowDive::ShownWidthTwips() const {
    const double dpi = logicalDpiY();
    const int pixels = picDive->width();
    return pixels == TwipsToPixels(kPictureWidth, dpi) ? kPictureWidth : PixelsToTwips(pixels, dpi);
}

void frmShowDive::LayOut() {
    const double dpi = logicalDpiY();
    const QSize designed = DesignedClientSize(dpi);
    const int grownX = std::max(0, width() - designed.width());
    const int grownY = std::max(0, height() - designed.height());
    picDive->setGeometry(Pixels({kPictureLeft, kPictureTop, kPictureWidth, kPictureHeight}, dpi)
                             .adjusted(0, 0, grownX, grownY));
    // Below the picture: the labels widen, the buttons at the right edge stay there.
    const auto below = [&](QWidget* widget, const TwipsRect& r, bool widens, bool right) {
        QRect rect = Pixels(r, dpi).translated(right ? grownX : 0, grownY);
        if (widens) rect.adjust(0, 0, grownX, 0);
        widget->setGeometry(rect);
    };
    below(lblInfo, kInfo, true, false);
    below(cmdClose, kClose, false, true);
    below(lblFacts, kFacts, true, false);
    below(cmdPrevious, kPrevious, false, false);
    below(cmdNext, kNext, false, false);
    below(lblPosition, kPosition, true, false);
    below(cmdSavePicture, kSavePicture, false, true);
}

void frmShowDive::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
    Redraw();
}

void frmShowDive::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Activate after the window is up, so that a message box it shows stands over it
    // and closing it cannot happen while it is still being shown.
    if (!event->spontaneous()) QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

void frmShowDive::Form_Activate() {
    ++activations_;
    profile_.reset();
    Draw(AxesPlot(ShownHeightTwips(), ShownWidthTwips()));

    const QString selected = source_.selectedFile ? source_.selectedFile() : QString();
    if (selected.isEmpty()) {
        source_.boxes->Show(QStringLiteral("Kein Tauchgang ausgewählt."), style::Information | style::OkOnly,
                            kMessageTitle);
        Unload();
        return;
    }
    if (!ShowFile(selected)) {
        Unload();
        return;
    }
    UpdateNavigation();
    // A folder of thousands of dives takes a moment to put in order: it is read aside, and
    // previous and next come when it is done.
    orderReader_ = std::make_unique<DiveOrderReader>(
        JoinPath(source_.programFolder, QStringLiteral("Tauchprofile")), this, [this](QStringList order) {
            order_ = std::move(order);
            orderKnown_ = true;
            UpdateNavigation();
        });
    picDive->setFocus(Qt::OtherFocusReason);
}

bool frmShowDive::ShowFile(const QString& name) {
    shownFile_ = name;
    const QString path = ProfilePath(source_.programFolder, name);
    // The facts and the markers come from the strict reader; a file it refuses still plots,
    // without them.
    const StoredDiveResult stored = ReadStoredDiveFile(path, ProfileDetail::WithEntries);
    view_.shown.reset();
    view_.readoutSample.reset();
    try {
        const DiveProfile profile = ReadProfileFile(path);
        const auto* dive = std::get_if<StoredDive>(&stored);
        std::vector<PlotMarker> markers = dive ? PlotMarkersOf(profile, dive->record) : std::vector<PlotMarker>{};
        const Plot plot = PlotDive(profile, markers, ShownHeightTwips(), ShownWidthTwips(), CurrentView());
        profile_ = profile;
        markers_ = std::move(markers);
        Draw(plot);
        lblInfo->SetCaption(InfoCaption(profile));
    } catch (const RuntimeFailure& failure) {
        source_.boxes->Show(QStringLiteral("Fehler: ") + failure.Description(), style::Critical | style::OkOnly,
                            kMessageTitle);
        return false;
    }
    lblFacts->SetCaption(DiveFactsLine(stored));
    return true;
}

void frmShowDive::cmdClose_Click() { Unload(); }
void frmShowDive::cmdPrevious_Click() { Step(-1); }
void frmShowDive::cmdNext_Click() { Step(+1); }

void frmShowDive::Step(int step) {
    const std::optional<QString> next = NeighbourInOrder(order_, shownFile_, step);
    if (!next) return;
    // The window shows the new place before the file is read, so that a file that cannot be
    // plotted does not block the way past it.
    profile_.reset();
    markers_.clear();
    lblInfo->SetCaption({});
    lblFacts->SetCaption({});
    Draw(AxesPlot(ShownHeightTwips(), ShownWidthTwips()));
    shownFile_ = *next;
    setWindowTitle(QStringLiteral("Tauchgang ansehen – ") + *next);
    UpdateNavigation();
    ShowFile(*next);
    UpdateNavigation();
}

void frmShowDive::UpdateNavigation() {
    cmdPrevious->setEnabled(NeighbourInOrder(order_, shownFile_, -1).has_value());
    cmdNext->setEnabled(NeighbourInOrder(order_, shownFile_, +1).has_value());
    lblPosition->SetCaption(PositionText(order_, shownFile_));
    cmdSavePicture->setEnabled(profile_.has_value());
}

void frmShowDive::Redraw() {
    if (activations_ == 0) return;
    const int h = ShownHeightTwips();
    const int w = ShownWidthTwips();
    if (!profile_) {
        Draw(AxesPlot(h, w));
        return;
    }
    try {
        Draw(PlotDive(*profile_, markers_, h, w, CurrentView()));
    } catch (const RuntimeFailure&) {
        // The file plotted at the designed size; a size that still computes in 16 bits can
        // fail where the designed one did not (a scale that overflows).
        Draw(AxesPlot(h, w));
    }
}

ViewOptions frmShowDive::CurrentView() const {
    ViewOptions view = view_;
    view.text = picDive->TextSizesAt(ShownWidthTwips());
    return view;
}

int frmShowDive::TwipsAtPixel(double x) const {
    return picDive->width() > 0 ? static_cast<int>(std::lround(x * ShownWidthTwips() / picDive->width())) : 0;
}

void frmShowDive::ReadoutAt(double x) {
    if (!profile_ || profile_->sampleCount < 2) return;
    const int sample = NearestSample(*profile_, TwipsAtPixel(x), ShownHeightTwips(), ShownWidthTwips(), CurrentView());
    if (sample < 1 || view_.readoutSample == sample) return;
    view_.readoutSample = sample;
    Redraw();
}

void frmShowDive::MoveReadout(int step) {
    if (!profile_ || profile_->sampleCount < 2) return;
    const int last = profile_->sampleCount - 1;
    const TimeSpan whole = WholeDive(*profile_);
    const TimeSpan shown = view_.shown.value_or(whole);
    int sample;
    if (view_.readoutSample) {
        sample = std::clamp(*view_.readoutSample + step, 1, last);
    } else {
        // The first key puts the readout at the first (→) or last (←) sample shown.
        sample = step > 0 ? 1 : last;
        while (step > 0 && sample < last && profile_->time[sample] < shown.first) ++sample;
        while (step < 0 && sample > 1 && profile_->time[sample] > shown.last) --sample;
    }
    view_.readoutSample = sample;
    // The part shown follows the readout.
    const int at = profile_->time[sample];
    if (at < shown.first) Show(Pan(shown, at - shown.first, whole));
    else if (at > shown.last) Show(Pan(shown, at - shown.last, whole));
    Redraw();
}

void frmShowDive::Zoom(double factor, std::optional<double> x) {
    if (!profile_) return;
    const TimeSpan whole = WholeDive(*profile_);
    const TimeSpan shown = view_.shown.value_or(whole);
    int around = shown.first + shown.Length() / 2;
    if (x) {
        around = TimeAtX(*profile_, TwipsAtPixel(*x), ShownHeightTwips(), ShownWidthTwips(), CurrentView());
    } else if (view_.readoutSample) {
        around = profile_->time[*view_.readoutSample];
    }
    Show(ZoomAround(shown, factor, around, whole));
    Redraw();
}

void frmShowDive::Show(std::optional<TimeSpan> shown) {
    // The whole dive is drawn as with nothing touched.
    if (shown && profile_ && *shown == WholeDive(*profile_)) shown.reset();
    view_.shown = shown;
}

bool frmShowDive::PlotKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    switch (key) {
    case Qt::Key_Left: MoveReadout(-1); return true;
    case Qt::Key_Right: MoveReadout(+1); return true;
    case Qt::Key_Plus: Zoom(kZoomStep, std::nullopt); return true;
    case Qt::Key_Minus: Zoom(1 / kZoomStep, std::nullopt); return true;
    case Qt::Key_Home:
        Show(std::nullopt);
        Redraw();
        return true;
    default: return false;
    }
}

bool frmShowDive::eventFilter(QObject* watched, QEvent* event) {
    if (watched != picDive) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const double x = mouse->position().x();
        if (dragX_ && profile_ && (mouse->buttons() & Qt::LeftButton)) {
            // Dragging moves the dive with the mouse: the second under the mouse at the
            // drag's start stays under it.
            ViewOptions atStart = CurrentView();
            atStart.shown = dragSpan_;
            const int h = ShownHeightTwips(), w = ShownWidthTwips();
            const int from = TimeAtX(*profile_, TwipsAtPixel(*dragX_), h, w, atStart);
            const int to = TimeAtX(*profile_, TwipsAtPixel(x), h, w, atStart);
            const std::optional<TimeSpan> before = view_.shown;
            Show(Pan(dragSpan_, from - to, WholeDive(*profile_)));
            if (view_.shown != before) Redraw();
        }
        ReadoutAt(x);
        return false;
    }
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && profile_) {
            dragX_ = mouse->position().x();
            dragSpan_ = view_.shown.value_or(WholeDive(*profile_));
        }
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) dragX_.reset();
        return false;
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier) || wheel->angleDelta().y() == 0) return false;
        // One notch (120) zooms by one step; a touchpad's smaller deltas by part of one.
        Zoom(std::pow(kZoomStep, wheel->angleDelta().y() / 120.0), wheel->position().x());
        return true;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        return PlotKey(key->key(), key->modifiers() & ~Qt::KeypadModifier);
    }
    default: return QDialog::eventFilter(watched, event);
    }
}

void frmShowDive::Draw(const Plot& plot) {
    drawing_ = plot;
    picDive->Draw(plot, ShownWidthTwips(), ShownHeightTwips());
}

void frmShowDive::cmdSavePicture_Click() {
    if (!profile_) return;
    const QString folder = pictureFolder_.isEmpty() ? QDir::homePath() : pictureFolder_;
    const QString proposed = JoinPath(folder, QFileInfo(shownFile_).completeBaseName() + QStringLiteral(".png"));
    const auto choice = source_.pictureChooser->ChoosePictureFile(this, proposed);
    if (!choice) return;
    const PictureRequest request = PictureRequestFor(choice->path, choice->filter);
    pictureFolder_ = QFileInfo(request.path).absolutePath();
    // The picture as shown, the zoom included, without the mouse's readout.
    const int w = ShownWidthTwips(), h = ShownHeightTwips();
    ViewOptions view = CurrentView();
    view.readoutSample.reset();
    Plot plot = drawing_;
    try {
        plot = PlotDive(*profile_, markers_, h, w, view);
    } catch (const RuntimeFailure&) {
        // Drawn before, so it draws again; should it not, the picture shown is saved.
    }
    const QSize shown = picDive->size();
    const QColor text = picDive->palette().color(QPalette::Text);
    const QColor background = picDive->palette().color(QPalette::Base);
    const QFont font = picDive->font();
    const QByteArray bytes =
        PictureBytes(request.kind, shown, devicePixelRatioF(), background, [&](QPainter& painter) {
            painter.setFont(font);
            PaintPlot(painter, plot, w, h, shown.width(), shown.height(), text, background);
        });
    try {
        source_.files->WriteWhole(request.path, bytes);
    } catch (const RuntimeFailure& failure) {
        source_.boxes->Show(QStringLiteral("Fehler: ") + failure.Description(), style::Critical | style::OkOnly,
                            kMessageTitle);
    }
}

void frmShowDive::reject() {
    unloaded_ = true;
    QDialog::reject();
}

void frmShowDive::Unload() { reject(); }

void ShowDiveModal(const ViewerSource& source, QWidget* owner) {
    frmShowDive viewer(source, owner);
    viewer.exec();
}

}  // namespace vyper
