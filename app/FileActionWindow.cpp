#include "app/VarneMain.h"

#include "actions/DeleteUnit.h"
#include "actions/ModalDialog.h"
#include "actions/MoveUnit.h"

// A dialog that was never created (a window built alone, in tests) counts as cancelled.

void TMainForm::TFileActionWindow::ShowDeleteForm()
{
    if (DeleteForm != nullptr)
        ShowModal(*DeleteForm);
}

void TMainForm::TFileActionWindow::ShowMoveForm()
{
    if (MoveForm != nullptr)
        ShowModal(*MoveForm);
}

bool TMainForm::TFileActionWindow::ShowError(const QString& text, bool offerAbort)
{
    return ShowMessageBox(TMessageKind::Error, text, offerAbort) == TMessageButton::Abort;
}

void TMainForm::TFileActionWindow::ShowInformation(const QString& text)
{
    ShowMessageBox(TMessageKind::Information, text);
}

bool TMainForm::TFileActionWindow::Confirm(const QString& text)
{
    return ShowMessageBox(TMessageKind::Confirm, text) == TMessageButton::Yes;
}

void TMainForm::TFileActionWindow::RepaintList()
{
    m_form.AdvListView1->RepaintRows();
}

void TMainForm::TFileActionWindow::UpdateSelectionStats()
{
    m_form.UpdateSelectionStats();
}
