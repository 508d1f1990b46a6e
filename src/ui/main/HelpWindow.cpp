#include "ui/main/HelpWindow.h"

#include <QHBoxLayout>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace vyper {

namespace {

QTextBrowser* Page(const QString& html, QWidget* parent) {
    auto* page = new QTextBrowser(parent);
    page->setHtml(html);
    // Links would lead out of the program; the pages hold none to follow.
    page->setOpenLinks(false);
    return page;
}

}  // namespace

HelpWindow::HelpWindow(const HelpFacts& facts, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Hilfe – Vyper-Grundelnetz"));
    resize(560, 520);
    tabPages = new QTabWidget(this);
    txtHelp = Page(HelpPageText(facts), tabPages);
    txtAbout = Page(AboutPageText(facts), tabPages);
    tabPages->addTab(txtHelp, QStringLiteral("&Hilfe"));
    tabPages->addTab(txtAbout, QStringLiteral("Ü&ber"));
    cmdClose = new CommandButton(QStringLiteral("&Schließen"), this);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabPages, 1);
    layout->addLayout(buttons);
}

}  // namespace vyper
