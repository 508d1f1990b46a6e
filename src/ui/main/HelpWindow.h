#pragma once
#include <QDialog>

#include "ui/main/HelpTexts.h"
#include "ui/toolkit/Controls.h"

class QTabWidget;
class QTextBrowser;

namespace vyper {

// The help: a window with the pages "Hilfe" and "Über", opened with F1 beside the program's
// windows (not modal, so the help stays open while the user follows it).
class HelpWindow : public QDialog {
public:
    explicit HelpWindow(const HelpFacts& facts, QWidget* parent = nullptr);

    QTabWidget* tabPages;
    QTextBrowser* txtHelp;   // the page "Hilfe"
    QTextBrowser* txtAbout;  // the page "Über"
    CommandButton* cmdClose;
};

}  // namespace vyper
