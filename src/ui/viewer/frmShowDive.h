#pragma once
#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "platform/FileWriter.h"
#include "platform/MessageBoxes.h"
#include "ui/toolkit/Controls.h"
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
// steps to the folder's previous and next dive in date order, and saves the plot as a
// picture.
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
    // What the last activation or step drew into the picture box.
    const Plot& Drawing() const { return drawing_; }
    // The file shown ("" before the first activation), and the folder's files in date order.
    const QString& ShownFile() const { return shownFile_; }
    const QStringList& DiveOrder() const { return order_; }
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

private:
    // Reads `name` and plots it with its summary and facts; on a failure shows the box
    // "Fehler: …" and returns false, leaving the axes alone.
    bool ShowFile(const QString& name);
    void Step(int step);
    void Redraw();
    void Draw(const Plot& plot);
    void LayOut();
    void UpdateNavigation();
    void Unload();

    ViewerSource source_;
    std::unique_ptr<FileWriter> ownFiles_;
    std::unique_ptr<PictureFileChooser> ownChooser_;
    Plot drawing_;
    std::optional<DiveProfile> profile_;
    QString shownFile_;
    QStringList order_;
    QString pictureFolder_;  // where the last picture was saved
    int activations_ = 0;
    bool unloaded_ = false;
};

// Opens the viewer modally for the entry selected in the main window's file list;
// returns when the viewer is closed.
void ShowDiveModal(const ViewerSource& source, QWidget* owner);

}  // namespace vyper
