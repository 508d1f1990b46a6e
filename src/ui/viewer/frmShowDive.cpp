#include "ui/viewer/frmShowDive.h"

#include <QShowEvent>
#include <QTimer>

#include "platform/Failure.h"
#include "platform/MessageBoxes.h"
#include "ui/toolkit/WindowFonts.h"

namespace vyper {

namespace {

// Client area and controls in twips.
constexpr int kClientWidthTwips = 7440;
constexpr int kClientHeightTwips = 4815;
constexpr int kPictureLeft = 60, kPictureTop = 60, kPictureWidth = 7275, kPictureHeight = 4395;
constexpr int kInfoColour = 0 | (64 << 8) | (64 << 16);  // RGB(0, 64, 64)

}  // namespace

frmShowDive::frmShowDive(ViewerSource source, QWidget* parent) : QDialog(parent), source_(std::move(source)) {
    setWindowTitle(QStringLiteral("Tauchgang ansehen"));
    // A dialog does not take its owner's font; it is laid out for the same one.
    setFont(WindowFont());
    picDive = new PictureBox(this);
    lblInfo = new Label(this);
    lblInfo->setTextFormat(Qt::PlainText);
    lblInfo->SetForeColor(kInfoColour);
    cmdClose = new CommandButton(QStringLiteral("Schließen"), this);
    cmdClose->setAutoDefault(false);

    const double dpi = logicalDpiY();
    setFixedSize(TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi));
    PlaceInTwips(picDive, kPictureLeft, kPictureTop, kPictureWidth, kPictureHeight, dpi);
    PlaceInTwips(lblInfo, 60, 4560, 6375, 255, dpi);
    PlaceInTwips(cmdClose, 6480, 4500, 915, 315, dpi);

    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
}

int frmShowDive::PictureHeightTwips() { return kPictureHeight; }
int frmShowDive::PictureWidthTwips() { return kPictureWidth; }

void frmShowDive::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Activate after the window is up, so that a message box it shows stands over it
    // and closing it cannot happen while it is still being shown.
    if (!event->spontaneous()) QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

void frmShowDive::Form_Activate() {
    ++activations_;
    const int h = PictureHeightTwips();
    const int w = PictureWidthTwips();
    Draw(AxesPlot(h, w));

    const QString selected = source_.selectedFile ? source_.selectedFile() : QString();
    if (selected.isEmpty()) {
        source_.boxes->Show(QStringLiteral("Kein Tauchgang ausgewählt."), style::Information | style::OkOnly,
                               kMessageTitle);
        Unload();
        return;
    }

    try {
        const DiveProfile profile = ReadProfileFile(ProfilePath(source_.programFolder, selected));
        const Plot plot = PlotProfile(profile, h, w);
        Draw(plot);
        lblInfo->SetCaption(InfoCaption(profile));
    } catch (const RuntimeFailure& failure) {
        source_.boxes->Show(QStringLiteral("Fehler: ") + failure.Description(), style::Critical | style::OkOnly,
                               kMessageTitle);
        Unload();
    }
}

void frmShowDive::cmdClose_Click() { Unload(); }

void frmShowDive::Draw(const Plot& plot) {
    drawing_ = plot;
    picDive->Draw(plot, PictureWidthTwips(), PictureHeightTwips());
}

void frmShowDive::Unload() {
    unloaded_ = true;
    reject();
}

void ShowDiveModal(const ViewerSource& source, QWidget* owner) {
    frmShowDive viewer(source, owner);
    viewer.exec();
}

}  // namespace vyper
