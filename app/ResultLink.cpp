#include "VarneMain.h"

#include "ui/ReportListView.h"

#include <QLabel>

int TMainForm::TResultLink::SelectedRow() const
{
    return m_form.AdvListView1->SelectedIndex();
}

uint8_t TMainForm::TResultLink::SortDirection() const
{
    return uint8_t(m_form.AdvListView1->sortDirection());
}

void TMainForm::TResultLink::BeginRowUpdate()
{
    m_form.AdvListView1->BeginUpdate();
}

void TMainForm::TResultLink::EndRowUpdate()
{
    m_form.AdvListView1->EndUpdate();
}

void TMainForm::TResultLink::SetRowCount(int rows)
{
    m_form.AdvListView1->SetRowCount(rows);
}

void TMainForm::TResultLink::SelectAndFocusRow(int row)
{
    m_form.AdvListView1->SelectAndFocus(row);
}

void TMainForm::TResultLink::RepaintRows()
{
    m_form.AdvListView1->RepaintRows();
}

void TMainForm::TResultLink::SetSelectedText(const QString& text)
{
    m_form.SelectedTextout->setText(text);
}

void TMainForm::TResultLink::DeleteThisFile()
{
    // The Delete key acts on the selected row, not on a row the menu was once opened for.
    m_form.m_menuRow.reset();
    m_form.Deletethisfile1Click();
}
