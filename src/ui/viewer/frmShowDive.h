#pragma once
#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "platform/FileWriter.h"
#include "platform/MessageBoxes.h"
#include "ui/toolkit/Controls.h"
#include "ui/viewer/DivePlot.h"
#include "ui/viewer/DiveOrderReader.h"
#include "ui/viewer/PictureBox.h"
#include "ui/viewer/PictureExport.h"
#include "ui/viewer/ProfilePlot.h"

namespace vyper {

// Where the viewer finds its dive: the name selected in the main window's file list, read at
// every activation, the folder that holds "Tauchprofile", and the boxes for its messages.
struct ViewerSource {
    std::function<QString()> selectedFile;
    QString programFolder;
    MessageBoxes* boxes = nullptr;                 // must be set
    FileWriter* files = nullptr;                   // null: the viewer's own whole-file writer
    PictureFileChooser* pictureChooser = nullptr;  // null: the window toolkit's save dialog
};

// The viewer: plots the profile file selected in the main window's file list as depth
// over time, with a one-line summary and the dive's facts below. Reads the file afresh at
// every activation. It can be enlarged (the plot is drawn for the picture box's new size),
// shows a readout at the sample under the mouse (← and → move it), zooms the time axis
// (Ctrl + mouse wheel, + and −; dragging pans, Pos1 shows the whole dive), steps to the
// folder's previous and next dive in date order (Bild↑, Bild↓) and saves the plot as a
// picture (Strg+S).
class frmShowDive : public QDialog {
public:
    explicit frmShowDive(ViewerSource source, QWidget* parent = nullptr);
    ~frmShowDive() override;

    // Reads the selected profile and plots it; on no selection or a failure it shows a
    // message box and unloads the window. Runs once each time the window is shown.
    void Form_Activate();
    // Unloads the window.
    void cmdClose_Click();
    // Shows the dive before (after) the one shown in the folder's date order; nothing at
    // the ends. A file that cannot be plotted is named in a box and shown as the axes alone.
    void cmdPrevious_Click();
    void cmdNext_Click();
    // Asks where to save the plot as a picture, and in which form, and writes it whole.
    void cmdSavePicture_Click();

    // The picture box's outer size in twips, from the window's design.
    static int PictureHeightTwips();
    static int PictureWidthTwips();
    // The window's designed client size in pixels at `dpi`: its smallest size.
    static QSize DesignedClientSize(double dpi);
    // The picture box's outer size in twips as it is now (the designed size until the
    // window is enlarged).
    int ShownHeightTwips() const;
    int ShownWidthTwips() const;
    // What the last activation, step or view change drew into the picture box.
    const Plot& Drawing() const { return drawing_; }
    // The seconds shown (none: the whole dive) and the readout's sample (none: no readout).
    const ViewOptions& View() const { return view_; }
    // The file shown ("" before the first activation), and the folder's files in date order.
    const QString& ShownFile() const { return shownFile_; }
    const QStringList& DiveOrder() const { return order_; }
    // Whether the folder's date order has arrived (it is read on a thread of its own after
    // the activation; until then the previous and next buttons rest).
    bool DiveOrderKnown() const { return orderKnown_; }
    // How often the window was activated, and whether it has been unloaded.
    int Activations() const { return activations_; }
    bool Unloaded() const { return unloaded_; }

    PictureBox* picDive;
    Label* lblInfo;
    CommandButton* cmdClose;
    Label* lblFacts;
    CommandButton* cmdPrevious;
    CommandButton* cmdNext;
    Label* lblPosition;
    CommandButton* cmdSavePicture;

public:
    // Esc, the window's close button and every unloading come here.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The plot's mouse and keys.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Reads `name` and plots it with its summary and facts; on a failure shows the box
    // "Fehler: …" and returns false, leaving the axes alone.
    bool ShowFile(const QString& name);
    void Step(int step);
    void Redraw();
    // The plot's size and text sizes in `view_`, for the drawing and its geometry.
    ViewOptions CurrentView() const;
    int TwipsAtPixel(double x) const;
    // The readout at the sample nearest to the mouse; moved by `step` samples, the span
    // following it where it leaves the part shown.
    void ReadoutAt(double x);
    void MoveReadout(int step);
    // Zooms by `factor` around the second at `x` pixels (none: the readout, else the middle).
    void Zoom(double factor, std::optional<double> x);
    void Show(std::optional<TimeSpan> shown);
    bool PlotKey(int key, Qt::KeyboardModifiers modifiers);
    void Draw(const Plot& plot);
    void LayOut();
    void UpdateNavigation();
    void Unload();

    ViewerSource source_;
    std::unique_ptr<FileWriter> ownFiles_;
    std::unique_ptr<PictureFileChooser> ownChooser_;
    Plot drawing_;
    std::optional<DiveProfile> profile_;
    std::vector<PlotMarker> markers_;
    ViewOptions view_;
    // A drag: where it began and the span shown then.
    std::optional<double> dragX_;
    TimeSpan dragSpan_;
    QString shownFile_;
    QStringList order_;
    bool orderKnown_ = false;
    // Declared last: destroyed first, so that its thread has ended before anything it
    // reports to goes.
    std::unique_ptr<DiveOrderReader> orderReader_;
    QString pictureFolder_;  // where the last picture was saved
    int activations_ = 0;
    bool unloaded_ = false;
};

// Opens the viewer modally for the entry selected in the main window's file list;
// returns when the viewer is closed.
void ShowDiveModal(const ViewerSource& source, QWidget* owner);

}  // namespace vyper
