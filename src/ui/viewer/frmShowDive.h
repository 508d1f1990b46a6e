#pragma once
#include <QDialog>

#include <functional>

#include "ui/toolkit/Controls.h"
#include "platform/MessageBoxes.h"
#include "ui/viewer/PictureBox.h"
#include "ui/viewer/ProfilePlot.h"

namespace vyper {

// Where the viewer finds its dive: the name selected in the main window's file list, read at
// every activation, the folder that holds "Tauchprofile", and the boxes for its messages.
struct ViewerSource {
    std::function<QString()> selectedFile;
    QString programFolder;
    MessageBoxes* boxes = nullptr;  // must be set
};

// The viewer: plots the profile file selected in the main window's file list as depth
// over time, with a one-line summary below. Reads the file afresh at every activation.
class frmShowDive : public QDialog {
public:
    explicit frmShowDive(ViewerSource source, QWidget* parent = nullptr);

    // Reads the selected profile and plots it; on no selection or a failure it shows a
    // message box and unloads the window. Runs once each time the window is shown.
    void Form_Activate();
    // Unloads the window.
    void cmdClose_Click();

    // The picture box's outer size in twips, from the window's design.
    static int PictureHeightTwips();
    static int PictureWidthTwips();
    // What the last activation drew into the picture box.
    const Plot& Drawing() const { return drawing_; }
    // How often the window was activated, and whether it has been unloaded.
    int Activations() const { return activations_; }
    bool Unloaded() const { return unloaded_; }

    PictureBox* picDive;
    Label* lblInfo;
    CommandButton* cmdClose;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Draw(const Plot& plot);
    void Unload();

    ViewerSource source_;
    Plot drawing_;
    int activations_ = 0;
    bool unloaded_ = false;
};

// Opens the viewer modally for the entry selected in the main window's file list;
// returns when the viewer is closed.
void ShowDiveModal(const ViewerSource& source, QWidget* owner);

}  // namespace vyper
