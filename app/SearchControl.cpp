#include "VarneMain.h"

#include "app/AsyncTimer.h"
#include "core/DuplicateTypes.h"
#include "core/FileLists.h"
#include "platform/Clock.h"
#include "results/Selection.h"
#include "search/FolderScan.h"
#include "search/SearchRun.h"
#include "search/StatusText.h"

#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTimer>

#include <utility>

void TMainForm::SearchStart()
{
    const QScopedValueRollback searching(m_searching, true);
    const TSearchSettings settings = ReadSearchSettings();
    m_searchedSettings = settings;
    MinFileSize = ComputeMinFileSize(settings);
    // However the search ends, it ends in the idle state.
    const auto end = qScopeGuard([this] { EndSearch(); });
    PrepareToStart();
    SearchPhase = 0;
    StartTick = plat::TickCount32();
    AsyncTimer->SetEnabled(true);
    // No row can be clicked while the lists are released and refilled; the rows come back at once
    // at the end.
    {
        const TRowUpdate update(m_resultLink);
        AdvListView1->SetRowCount(0);
    }
    std::exception_ptr compareError;
    {
        const TRowUpdate update(m_resultLink);
        try {
            SetStatusText(StatusText(TSearchStatus::CleaningPreviousResults));
            ClearResults();
            if (DirectoriesListBox->count() == 0) {
                ShowMessageBox(TMessageKind::Error,
                               QStringLiteral("Please, add one or more directories to search."));
                PrepareToStop();
                AdvListView1->SetRowCount(ResultCount + 1);
                AsyncTimer->SetEnabled(false);
                SetStatusText(StatusText(TSearchStatus::Waiting));
                return;
            }
            compareError = RunSearchLists(settings, *this);
        } catch (...) {
            // Nothing is shown of a search that failed before its comparison.
            AdvListView1->SetRowCount(0);
            throw;
        }

        ShowPendingFigures();
        DuplicateTextout->setText(DuplicateCountText());
        DiskUsingTextout->setText(DiskUsingText());
        AdvListView1->SetRowCount(ResultCount + 1);
    }

    // The search is over: the clock stops at its length, and no tick while the report is open puts
    // the live status back over the final one.
    AsyncTimer->SetEnabled(false);
    SetStatusPanelText(1, ElapsedText(plat::TickCount32() - StartTick));
    const bool interrupted = StopFlag == 1;
    SetStatusText(StatusText(interrupted ? TSearchStatus::SearchInterrupted : TSearchStatus::SearchFinished));
    // A search that unwinds because the window closes has nobody left to tell.
    if (m_closeRequested)
        return;
    ShowMessageBox(TMessageKind::Information, SearchReportText(interrupted, TotalFilesTextout->text()));
    if (compareError)
        std::rethrow_exception(compareError);
}

QList<QWidget*> TMainForm::SetupControls() const
{
    return {IncludeTypeLabel,       DirectoriesListBox,     AddDirButton,      RemoveDirButton,
            RemoveAllButton,        SelectDuplicatesButton, DeselectAllButton, DeleteSelectedButton,
            MoveSelectedButton,     FileTypesEdit,          ExcludeZeroCheck,  ProtectSysFilesCheck,
            ProtectSysFoldersCheck, MinSizeCheck,           MinSizeEdit,       MinSizeBox};
}

void TMainForm::PrepareToStart()
{
    ProgressBar->setPosition(0);
    TotalFilesTextout->setText(QStringLiteral("0"));
    DuplicateTextout->setText(QStringLiteral("0 + 0"));
    DiskUsingTextout->setText(QStringLiteral("0 MB + 0 MB"));
    SelectedTextout->setText(QStringLiteral("0 / 0 MB"));
    for (QWidget* control : SetupControls())
        control->setEnabled(false);
    StartButton->setText(QStringLiteral("Stop"));
    SleepMs(100);
}

void TMainForm::PrepareToStop()
{
    SleepMs(100);
    for (QWidget* control : SetupControls())
        control->setEnabled(true);
    MinSizeEdit->setEnabled(MinSizeCheck->isChecked());
    MinSizeBox->setEnabled(MinSizeCheck->isChecked());
    StopFlag = 1;
    StartButton->setText(QStringLiteral("Start"));
}

void TMainForm::EndSearch()
{
    AsyncTimer->SetEnabled(false);
    PrepareToStop();
}

void TMainForm::ClearResults()
{
    AdvListView1->SetRowCount(0);
    AnchorRow = -1;
    ReleaseSearchLists();
    m_listWork.ListsReleased();
}

void TMainForm::ListWorkEnded()
{
    if (m_listWork.End() && m_closeRequested)
        ClearResults();
}

void TMainForm::SetTotalFilesText(const QString& text)
{
    m_pendingFigures.TotalFiles = text;
    ShowFiguresSoon();
}

void TMainForm::SetDuplicateText(const QString& text)
{
    m_pendingFigures.Duplicates = text;
    ShowFiguresSoon();
}

void TMainForm::SetDiskUsingText(const QString& text)
{
    m_pendingFigures.DiskUsing = text;
    ShowFiguresSoon();
}

void TMainForm::SetProgress(int position)
{
    m_pendingFigures.Progress = position;
    ShowFiguresSoon();
}

void TMainForm::ShowFiguresSoon()
{
    if (!m_figuresTimer->isActive())
        m_figuresTimer->start();
}

void TMainForm::ShowPendingFigures()
{
    m_figuresTimer->stop();
    TPendingFigures figures = std::exchange(m_pendingFigures, {});
    if (figures.TotalFiles)
        TotalFilesTextout->setText(*figures.TotalFiles);
    if (figures.Duplicates)
        DuplicateTextout->setText(*figures.Duplicates);
    if (figures.DiskUsing)
        DiskUsingTextout->setText(*figures.DiskUsing);
    if (figures.Progress)
        ProgressBar->setPosition(*figures.Progress);
}

void TMainForm::SetStatusText(const QString& text)
{
    SetStatusPanelText(2, text);
}
