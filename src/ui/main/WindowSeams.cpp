#include "ui/main/WindowSeams.h"

#include "ui/main/frmVyper.h"

namespace vyper {

void WindowSeams::ShowBytes(int32_t total) {
    w_.lblCnt->SetCaption(QString::number(total));
    w_.lblCnt->Refresh();
}

void WindowSeams::ShowDives(int32_t number) { w_.lblDiveCnt->SetCaption(QString::number(number)); }

void WindowSeams::ShowErrors(int16_t count) { w_.lblErr->SetCaption(QString::number(count)); }

void WindowSeams::MarkErrors(bool failed) {
    const int colour = failed ? kColourRed : kColourGrey;
    w_.lblErr->SetForeColor(colour);
    w_.lblErr2->SetForeColor(colour);
}

void WindowSeams::RefreshErrors() { w_.lblErr->Refresh(); }

QString WindowSeams::InterfaceText() const { return w_.lstInterfaceType->Text(); }
QString WindowSeams::PortText() const { return w_.cmbCommPort->Text(); }
QString WindowSeams::DelayText() const { return w_.txtComDelay->Text(); }

QString WindowSeams::DiveCountText() const { return w_.cmbNDives->Text(); }
QString WindowSeams::ErrorLimitText() const { return w_.txtErrMax->Text(); }
void WindowSeams::FocusClose() { w_.cmdClose->SetFocus(); }

bool WindowSeams::OnlyNewDives() const { return w_.chkAbortWhenOldDive->Value() == 1; }

OverwritePolicy WindowSeams::Overwrite() const {
    if (w_.optNever->Value()) return OverwritePolicy::Never;
    if (w_.optAsk->Value()) return OverwritePolicy::Ask;
    return OverwritePolicy::Always;
}

}  // namespace vyper
