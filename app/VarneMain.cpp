#include "VarneMain.h"

#include "actions/ShellCommands.h"
#include "app/AsyncTimer.h"
#include "app/FolderTree.h"
#include "app/ImageLists.h"
#include "app/ReferenceFolders.h"
#include "core/DuplicateTypes.h"
#include "core/FileLists.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/KeyState.h"
#include "platform/LocaleText.h"
#include "platform/SystemFolders.h"
#include "results/ResultView.h"
#include "results/Selection.h"
#include "search/SearchRun.h"
#include "search/StatusText.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScopeGuard>
#include <QShortcut>

#include <utility>

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent), ImageList1(::ImageList1()), CheckboxImageList(::CheckboxImageList()),
      SortImageList(::SortImageList())
{
    setupUi(this);
    BuildLayout();
    BuildExportCommand();
    InstallReferenceFolders(DirectoriesListBox);
    RunHandler([this] { FormCreate(); });
    ConnectHandlers();
}

TMainForm::~TMainForm()
{
    // The worker hands its ticks to this window: it must be gone while the window is still whole.
    delete AsyncTimer;
    AsyncTimer = nullptr;
}

void TMainForm::FormCreate()
{
    FileCount = -1;
    PathCount = -1;
    ResultCount = -1;
    OriginalBytes = 0;
    DuplicateBytes = 0;
    WindowsFolderPrefix = plat::WindowsFolder();
    ProgramFilesPrefix = plat::ProgramFilesFolder();
    BuildDriveTree();
    LocaleFormat = plat::UserLocale();
    StopFlag = 1;
}

template <typename... TArgs>
auto TMainForm::Guarded(THandlerPolicy policy, void (TMainForm::*handler)(TArgs...))
{
    return [this, policy, handler](TArgs... args) {
        RunUnderPolicy(policy, [&] { (this->*handler)(args...); });
    };
}

template <typename... TArgs> auto TMainForm::GuardedInPaint(void (TMainForm::*handler)(TArgs...))
{
    return [this, handler](TArgs... args) {
        RunHandler([&] { (this->*handler)(args...); }, &ReportHandlerErrorLater);
    };
}

bool TMainForm::RunUnderPolicy(THandlerPolicy policy, const std::function<void()>& body)
{
    if (!m_listWork.Admits(policy, m_searching))
        return false;
    const bool holds = TListWork::Holds(policy, m_searching);
    RunHandler([&] {
        if (holds)
            m_listWork.Begin();
        const auto end = qScopeGuard([&] {
            if (holds)
                ListWorkEnded();
        });
        body();
    });
    return true;
}

// The handler table: each handler with what it does when it arrives through the pump of other work
// on the lists (THandlerPolicy).
void TMainForm::ConnectHandlers()
{
    using enum THandlerPolicy;
    connect(StartButton, &QAbstractButton::clicked, this, Guarded(StartStop, &TMainForm::StartButtonClick));
    // Not guarded: an error escaping a tick ends the timer's worker quietly, as the timer intends. It
    // only shows the clock and the status.
    AsyncTimer->SetOnTimer([this](TAsyncTimer*) { AsyncTimerTimer(); });
    AdvListView1->SetDataHandler(GuardedInPaint(&TMainForm::AdvListView1Data));
    AdvListView1->SetPaintHandler(GuardedInPaint(&TMainForm::AdvListView1DrawItemProp));
    connect(AdvListView1, &TReportListView::columnClicked, this,
            Guarded(HoldsLists, &TMainForm::AdvListView1ColumnClick));
    // A sort the policy ignores is refused, so the header keeps its sort state.
    AdvListView1->SetSortStartHandler([this](int column) {
        bool allow = true;
        return RunUnderPolicy(WhenIdle, [&] { AdvListView1SortStart(column, allow); }) && allow;
    });
    connect(AdvListView1, &TReportListView::resized, this, Guarded(Always, &TMainForm::AdvListView1Resize));
    connect(AdvListView1, &TReportListView::leftClickCell, this,
            Guarded(WhenIdle, &TMainForm::AdvListView1LeftClickCell));
    // Holds the lists: the Delete key deletes a file and asks first.
    connect(AdvListView1, &TReportListView::keyDown, this,
            Guarded(HoldsLists, &TMainForm::AdvListView1KeyDown));
    connect(DeselectAllButton, &QAbstractButton::clicked, this,
            Guarded(WhenIdle, &TMainForm::DeselectAllButtonClick));
    connect(MoveSelectedButton, &QAbstractButton::clicked, this,
            Guarded(HoldsLists, &TMainForm::MoveSelectedButtonClick));
    connect(DeleteSelectedButton, &QAbstractButton::clicked, this,
            Guarded(HoldsLists, &TMainForm::DeleteSelectedButtonClick));
    connect(HelpButton, &QAbstractButton::clicked, this, Guarded(Always, &TMainForm::HelpButtonClick));
    connect(UpdateButton, &QAbstractButton::clicked, this, Guarded(Always, &TMainForm::UpdateButtonClick));
    connect(ReelgrabButton, &QAbstractButton::clicked, this,
            Guarded(Always, &TMainForm::ReelgrabButtonClick));
    connect(HTMLabel5, &THtmlLabel::clicked, this, Guarded(Always, &TMainForm::HTMLabel5Click));
    // The menu notes its row and the lists' generation whenever it opens; its row commands act on
    // that row only while the lists are as they were then.
    connect(PopupMenu1, &QMenu::aboutToShow, this, Guarded(Always, &TMainForm::PopupMenu1Popup));
    connect(FileProperties1, &QAction::triggered, this, Guarded(WhenIdle, &TMainForm::FileProperties1Click));
    connect(Opencontainedfolder1, &QAction::triggered, this,
            Guarded(WhenIdle, &TMainForm::Opencontainedfolder1Click));
    connect(Deletethisfile1, &QAction::triggered, this,
            Guarded(HoldsLists, &TMainForm::Deletethisfile1Click));
    connect(SelectAllinFolder1, &QAction::triggered, this,
            Guarded(WhenIdle, &TMainForm::SelectAllinFolder1Click));
    connect(LeaveonlyoldestversionineachDupGroup1, &QAction::triggered, this,
            Guarded(HoldsLists, &TMainForm::LeaveonlyoldestversionineachDupGroup1Click));
    connect(LeaveonlynewestversionineachDupGroup1, &QAction::triggered, this,
            Guarded(HoldsLists, &TMainForm::LeaveonlynewestversionineachDupGroup1Click));
    // Holds the lists while its dialog is open and it writes them out.
    connect(ExportResults1, &QAction::triggered, this, Guarded(HoldsLists, &TMainForm::ExportResults1Click));
    connect(ExportShortcut, &QShortcut::activated, this,
            Guarded(HoldsLists, &TMainForm::ExportResults1Click));
    // The folder tree, the search list and the options are not the lists; a search disables what it
    // reads.
    connect(TreeView1, &QTreeWidget::itemExpanded, this, Guarded(Always, &TMainForm::TreeView1Expanding));
    connect(AddDirButton, &QAbstractButton::clicked, this, Guarded(Always, &TMainForm::AddDirButtonClick));
    connect(RemoveDirButton, &QAbstractButton::clicked, this,
            Guarded(Always, &TMainForm::RemoveDirButtonClick));
    connect(RemoveAllButton, &QAbstractButton::clicked, this,
            Guarded(Always, &TMainForm::RemoveAllButtonClick));
    // Key events have no signal: DirectoriesListBoxKeyDown, MinSizeCheckKeyPress and
    // MinSizeEditKeyPress run from eventFilter, FormCloseQuery from closeEvent, always.
    DirectoriesListBox->installEventFilter(this);
    // Toggled rather than clicked, so the edit and the unit list follow every change of the check.
    connect(MinSizeCheck, &QAbstractButton::toggled, this, Guarded(Always, &TMainForm::MinSizeCheckClick));
    MinSizeCheck->installEventFilter(this);
    MinSizeEdit->installEventFilter(this);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    bool canClose = true;
    RunHandler([&] { FormCloseQuery(canClose); });
    event->setAccepted(canClose);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    if (watched == DirectoriesListBox) {
        RunHandler([&] { DirectoriesListBoxKeyDown(keyEvent->key(), keyEvent->modifiers()); });
        return false;
    }
    if (watched == MinSizeCheck) {
        QChar key = TypedCharacter(*keyEvent);
        if (key.isNull())
            return false;
        RunHandler([&] { MinSizeCheckKeyPress(key); });
        return key.isNull();
    }
    if (watched == MinSizeEdit)
        return FilterMinSizeEditKey(keyEvent);
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::BuildDriveTree()
{
    ::BuildDriveTree(TreeView1, plat::ListDrives());
}

void TMainForm::TreeView1Expanding(QTreeWidgetItem* node)
{
    ::TreeView1Expanding(TreeView1, node);
}

// Search run.

void TMainForm::StartButtonClick()
{
    const auto resetView = qScopeGuard([this] {
        AdvListView1->RepaintRows();
        AdvListView1->ResetSortState();
    });
    if (m_searching) {
        StopFlag = 1;
    } else {
        StopFlag = 0;
        SearchStart();
    }
}

void TMainForm::AsyncTimerTimer()
{
    SetStatusPanelText(1, ElapsedText(plat::TickCount32() - StartTick));
    SetStatusPanelText(2, LiveStatusText());
}

void TMainForm::FormCloseQuery(bool& canClose)
{
    StopFlag = 1;
    canClose = true;
    // Handlers below a pump still use the lists; the last of them to unwind releases them.
    if (m_listWork.Busy())
        m_closeRequested = true;
    else
        ClearResults();
}

// Result list and marking.

void TMainForm::SortByColumn(int column, uint8_t direction)
{
    ::SortByColumn(column, direction);
}

void TMainForm::UpdateSelectionStats()
{
    ::UpdateSelectionStats(m_resultLink);
}

void TMainForm::AdvListView1Data(int row, TReportRowData& rowData)
{
    ResultRowData(row, rowData);
    ShowReferenceEmblem(row, rowData);
}

void TMainForm::AdvListView1DrawItemProp(int row, TReportRowPaint& paint)
{
    ResultRowPaint(row, paint);
}

void TMainForm::AdvListView1ColumnClick(int column)
{
    ResultColumnClick(m_resultLink, column);
}

void TMainForm::AdvListView1SortStart(int, bool&)
{
    // Every column may be sorted.
}

void TMainForm::AdvListView1Resize()
{
    // The list fits its columns itself.
}

void TMainForm::AdvListView1LeftClickCell(int row, int column, Qt::KeyboardModifiers)
{
    ResultLeftClickCell(m_resultLink, row, column, plat::ShiftHeld());
}

void TMainForm::AdvListView1KeyDown(int key, Qt::KeyboardModifiers)
{
    ResultKeyDown(m_resultLink, key, plat::ShiftHeld());
}

void TMainForm::DeselectAllButtonClick()
{
    DeselectAll(m_resultLink);
}

void TMainForm::SelectAllinFolder1Click()
{
    if (const std::optional<int> row = MenuRow())
        SelectAllInFolder(m_resultLink, *row);
}

void TMainForm::LeaveonlyoldestversionineachDupGroup1Click()
{
    LeaveOnlyOneVersion(m_resultLink, TKeptVersion::Oldest);
}

void TMainForm::LeaveonlynewestversionineachDupGroup1Click()
{
    LeaveOnlyOneVersion(m_resultLink, TKeptVersion::Newest);
}

// File actions, the list's menu and the web links.

void TMainForm::MoveSelectedButtonClick()
{
    MoveSelected(m_fileActionWindow);
}

void TMainForm::DeleteSelectedButtonClick()
{
    DeleteSelected(m_fileActionWindow);
}

void TMainForm::PopupMenu1Popup()
{
    m_menuRow = TMenuRow{AdvListView1->SelectedIndex(), m_listWork.Generation()};
    const TPopupMenuState state = PopupMenuState(m_menuRow->Row);
    for (QAction* rowCommand : {FileProperties1, Opencontainedfolder1, SelectAllinFolder1,
                                LeaveonlyoldestversionineachDupGroup1, LeaveonlynewestversionineachDupGroup1})
        rowCommand->setEnabled(state.RowCommands);
    Deletethisfile1->setEnabled(state.DeleteThisFile);
    ExportResults1->setEnabled(AdvListView1->RowCount() > 0);
}

std::optional<int> TMainForm::MenuRow()
{
    if (!m_menuRow)
        return AdvListView1->SelectedIndex();
    const TMenuRow menu = *std::exchange(m_menuRow, std::nullopt);
    if (menu.Generation != m_listWork.Generation())
        return std::nullopt;
    return menu.Row;
}

void TMainForm::FileProperties1Click()
{
    const std::optional<int> row = MenuRow();
    if (const TFileInfoType* record = row ? RecordAtRow(*row) : nullptr)
        ShowFileProperties(FullPath(*record));
}

void TMainForm::Opencontainedfolder1Click()
{
    const std::optional<int> row = MenuRow();
    if (const TFileInfoType* record = row ? RecordAtRow(*row) : nullptr)
        ExploreFolder(PathList[record->PathIndex], FullPath(*record));
}

void TMainForm::Deletethisfile1Click()
{
    if (const std::optional<int> row = MenuRow())
        DeleteThisFile(*row, m_fileActionWindow);
}

void TMainForm::HelpButtonClick()
{
    OpenWebPage(TWebPage::Help);
}

void TMainForm::UpdateButtonClick()
{
    OpenWebPage(TWebPage::Home);
}

void TMainForm::ReelgrabButtonClick()
{
    OpenWebPage(TWebPage::Reelgrab);
}

void TMainForm::HTMLabel5Click()
{
    OpenWebPage(TWebPage::Donation);
}
