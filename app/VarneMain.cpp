#include "VarneMain.h"

#include "actions/ShellCommands.h"
#include "app/AsyncTimer.h"
#include "app/ButtonGlyphs.h"
#include "app/FolderTree.h"
#include "app/ImageLists.h"
#include "app/ProgramInfo.h"
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
#include "ui/ThemePaint.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {

// Every entry of the folder list is one line of this height, whatever the font asks for.
class TFixedHeightDelegate : public QStyledItemDelegate
{
public:
    TFixedHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), m_height(height) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), m_height};
    }

private:
    int m_height;
};

struct TStatusPanelLayout
{
    int Width;
    Qt::Alignment Alignment;
    const char* Text;
};

constexpr TStatusPanelLayout StatusPanelLayout[TMainForm::StatusPanelCount] = {
    {100, Qt::AlignLeft, " Version: " PW_VERSION},
    {80, Qt::AlignHCenter, "00:00:00"},
    {500, Qt::AlignLeft, " Status: Waiting"},
};

} // namespace

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

void TMainForm::BuildLayout()
{
    setFont(QFont(theme::ResolveFontFamily(QStringLiteral("MS Sans Serif")), 8));

    DirectoriesListBox->setItemDelegate(new TFixedHeightDelegate(13, DirectoriesListBox));

    const std::pair<TGradientButton*, TFolderButtonGlyph> folderButtons[] = {
        {AddDirButton, TFolderButtonGlyph::ArrowRight},
        {RemoveDirButton, TFolderButtonGlyph::ArrowLeft},
        {RemoveAllButton, TFolderButtonGlyph::Cross},
    };
    for (const auto& [button, glyph] : folderButtons) {
        button->UseGreyColors();
        SetFolderButtonGlyphs(button, glyph);
    }

    MinSizeEdit->setAttribute(Qt::WA_InputMethodEnabled, false);

    QPalette donation = HTMLabel5->palette();
    donation.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    HTMLabel5->setPalette(donation);

    for (QLabel* value : {TotalFilesTextout, DuplicateTextout, SelectedTextout, DiskUsingTextout}) {
        QFont valueFont = value->font();
        valueFont.setFamilies({theme::ResolveFontFamily(QStringLiteral("Tahoma"))});
        valueFont.setBold(true);
        value->setFont(valueFont);
        QPalette colours = value->palette();
        colours.setColor(QPalette::Window, QColor(0x0A, 0x23, 0x6A));
        colours.setColor(QPalette::WindowText, Qt::white);
        value->setPalette(colours);
    }

    for (int i = 0; i < StatusPanelCount; ++i) {
        const TStatusPanelLayout& layout = StatusPanelLayout[i];
        auto* panel = new QLabel(QString::fromLatin1(layout.Text), StatusBar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setTextFormat(Qt::PlainText);
        panel->setFixedWidth(layout.Width);
        panel->setAlignment(layout.Alignment | Qt::AlignVCenter);
        StatusBar->addWidget(panel);
        m_statusPanels[static_cast<std::size_t>(i)] = panel;
    }

    FileProperties1->setIcon(ImageList1.at(ImgDocument));
    Opencontainedfolder1->setIcon(ImageList1.at(ImgOpenFolder));
    Deletethisfile1->setIcon(ImageList1.at(ImgRedCross));
    SelectAllinFolder1->setIcon(ImageList1.at(ImgFolderTick));
    LeaveonlyoldestversionineachDupGroup1->setIcon(ImageList1.at(ImgRedTick));
    LeaveonlynewestversionineachDupGroup1->setIcon(ImageList1.at(ImgRedTick));
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addActions({FileProperties1, Opencontainedfolder1, Deletethisfile1, N1231, SelectAllinFolder1,
                            LeaveonlyoldestversionineachDupGroup1, LeaveonlynewestversionineachDupGroup1});

    AdvListView1->SetCheckImages(CheckboxImageList.at(0), CheckboxImageList.at(1));
    AdvListView1->SetSortGlyphs(SortImageList.at(0), SortImageList.at(1));
    AdvListView1->SetPopupMenu(PopupMenu1);
    // The empty list shows the order a search leaves its results in.
    AdvListView1->ResetSortState();

    m_figuresTimer = new QTimer(this);
    m_figuresTimer->setSingleShot(true);
    m_figuresTimer->setInterval(100);
    connect(m_figuresTimer, &QTimer::timeout, this, &TMainForm::ShowPendingFigures);

    AsyncTimer = new TAsyncTimer(this);
    AsyncTimer->setObjectName(QStringLiteral("AsyncTimer"));
    AsyncTimer->SetInterval(500);
    AsyncTimer->SetThreadPriority(TAsyncTimer::TThreadPriority::Lower);
    AsyncTimer->SetEnabled(false);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
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

template <typename... TArgs> auto TMainForm::Guarded(void (TMainForm::*handler)(TArgs...))
{
    return [this, handler](TArgs... args) { RunHandler([&] { (this->*handler)(args...); }); };
}

template <typename... TArgs> auto TMainForm::GuardedInPaint(void (TMainForm::*handler)(TArgs...))
{
    return [this, handler](TArgs... args) {
        RunHandler([&] { (this->*handler)(args...); }, &ReportHandlerErrorLater);
    };
}

void TMainForm::ConnectHandlers()
{
    connect(StartButton, &QAbstractButton::clicked, this, Guarded(&TMainForm::StartButtonClick));
    // Not guarded: an error escaping a tick ends the timer's worker quietly, as the timer intends.
    AsyncTimer->SetOnTimer([this](TAsyncTimer*) { AsyncTimerTimer(); });
    AdvListView1->SetDataHandler(GuardedInPaint(&TMainForm::AdvListView1Data));
    AdvListView1->SetPaintHandler(GuardedInPaint(&TMainForm::AdvListView1DrawItemProp));
    connect(AdvListView1, &TReportListView::columnClicked, this,
            Guarded(&TMainForm::AdvListView1ColumnClick));
    AdvListView1->SetSortStartHandler([sortStart = Guarded(&TMainForm::AdvListView1SortStart)](int column) {
        bool allow = true;
        sortStart(column, allow);
        return allow;
    });
    connect(AdvListView1, &TReportListView::resized, this, Guarded(&TMainForm::AdvListView1Resize));
    connect(AdvListView1, &TReportListView::leftClickCell, this,
            Guarded(&TMainForm::AdvListView1LeftClickCell));
    connect(AdvListView1, &TReportListView::keyDown, this, Guarded(&TMainForm::AdvListView1KeyDown));
    connect(DeselectAllButton, &QAbstractButton::clicked, this, Guarded(&TMainForm::DeselectAllButtonClick));
    connect(MoveSelectedButton, &QAbstractButton::clicked, this,
            Guarded(&TMainForm::MoveSelectedButtonClick));
    connect(DeleteSelectedButton, &QAbstractButton::clicked, this,
            Guarded(&TMainForm::DeleteSelectedButtonClick));
    connect(HelpButton, &QAbstractButton::clicked, this, Guarded(&TMainForm::HelpButtonClick));
    connect(UpdateButton, &QAbstractButton::clicked, this, Guarded(&TMainForm::UpdateButtonClick));
    connect(ReelgrabButton, &QAbstractButton::clicked, this, Guarded(&TMainForm::ReelgrabButtonClick));
    connect(HTMLabel5, &THtmlLabel::clicked, this, Guarded(&TMainForm::HTMLabel5Click));
    connect(PopupMenu1, &QMenu::aboutToShow, this, Guarded(&TMainForm::PopupMenu1Popup));
    connect(FileProperties1, &QAction::triggered, this, Guarded(&TMainForm::FileProperties1Click));
    connect(Opencontainedfolder1, &QAction::triggered, this, Guarded(&TMainForm::Opencontainedfolder1Click));
    connect(Deletethisfile1, &QAction::triggered, this, Guarded(&TMainForm::Deletethisfile1Click));
    connect(SelectAllinFolder1, &QAction::triggered, this, Guarded(&TMainForm::SelectAllinFolder1Click));
    connect(LeaveonlyoldestversionineachDupGroup1, &QAction::triggered, this,
            Guarded(&TMainForm::LeaveonlyoldestversionineachDupGroup1Click));
    connect(LeaveonlynewestversionineachDupGroup1, &QAction::triggered, this,
            Guarded(&TMainForm::LeaveonlynewestversionineachDupGroup1Click));
    connect(ExportResults1, &QAction::triggered, this, Guarded(&TMainForm::ExportResults1Click));
    connect(ExportShortcut, &QShortcut::activated, this, Guarded(&TMainForm::ExportResults1Click));
    connect(TreeView1, &QTreeWidget::itemExpanded, this, Guarded(&TMainForm::TreeView1Expanding));
    connect(AddDirButton, &QAbstractButton::clicked, this, Guarded(&TMainForm::AddDirButtonClick));
    connect(RemoveDirButton, &QAbstractButton::clicked, this, Guarded(&TMainForm::RemoveDirButtonClick));
    connect(RemoveAllButton, &QAbstractButton::clicked, this, Guarded(&TMainForm::RemoveAllButtonClick));
    // Key events have no signal: DirectoriesListBoxKeyDown, MinSizeCheckKeyPress and
    // MinSizeEditKeyPress run from eventFilter, FormCloseQuery from closeEvent.
    DirectoriesListBox->installEventFilter(this);
    // Toggled rather than clicked, so the edit and the unit list follow every change of the check.
    connect(MinSizeCheck, &QAbstractButton::toggled, this, Guarded(&TMainForm::MinSizeCheckClick));
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

void TMainForm::SetStatusPanelText(int index, const QString& text)
{
    if (index >= 0 && index < StatusPanelCount)
        m_statusPanels[static_cast<std::size_t>(index)]->setText(text);
}

QString TMainForm::StatusPanelText(int index) const
{
    if (index < 0 || index >= StatusPanelCount)
        return {};
    return m_statusPanels[static_cast<std::size_t>(index)]->text();
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
    // A click that reaches the window through the pump of a column sort or a file action: the lists
    // are in use, and a search would release them.
    if (!m_searching && ListsBusy())
        return;
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
    if (ListsBusy())
        m_closeRequested = true;
    else
        ClearResults();
}

// Result list and marking.

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
    m_form.Deletethisfile1Click();
}

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
    // The sort lets messages through once; the list ignores header clicks until it returns.
    const TListWork work(*this);
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

// The marking handlers do nothing while other work on the lists lets messages through: a mark
// must not change under a sort that is reordering the rows or a run that is acting on the marks.

void TMainForm::AdvListView1LeftClickCell(int row, int column, Qt::KeyboardModifiers)
{
    if (!ListsBusy())
        ResultLeftClickCell(m_resultLink, row, column, plat::ShiftHeld());
}

void TMainForm::AdvListView1KeyDown(int key, Qt::KeyboardModifiers)
{
    if (!ListsBusy())
        ResultKeyDown(m_resultLink, key, plat::ShiftHeld());
}

void TMainForm::DeselectAllButtonClick()
{
    if (!ListsBusy())
        DeselectAll(m_resultLink);
}

void TMainForm::SelectAllinFolder1Click()
{
    if (!ListsBusy())
        SelectAllInFolder(m_resultLink);
}

void TMainForm::LeaveonlyoldestversionineachDupGroup1Click()
{
    if (ListsBusy())
        return;
    const TListWork work(*this);
    LeaveOnlyOneVersion(m_resultLink, TKeptVersion::Oldest);
}

void TMainForm::LeaveonlynewestversionineachDupGroup1Click()
{
    if (ListsBusy())
        return;
    const TListWork work(*this);
    LeaveOnlyOneVersion(m_resultLink, TKeptVersion::Newest);
}

// File actions, the list's menu and the web links.

void TMainForm::MoveSelectedButtonClick()
{
    TListWork work(*this);
    MoveSelected(m_fileActionWindow);
}

void TMainForm::DeleteSelectedButtonClick()
{
    TListWork work(*this);
    DeleteSelected(m_fileActionWindow);
}

void TMainForm::PopupMenu1Popup()
{
    const TPopupMenuState state = PopupMenuState(AdvListView1->SelectedIndex());
    for (QAction* rowCommand : {FileProperties1, Opencontainedfolder1, SelectAllinFolder1,
                                LeaveonlyoldestversionineachDupGroup1, LeaveonlynewestversionineachDupGroup1})
        rowCommand->setEnabled(state.RowCommands);
    Deletethisfile1->setEnabled(state.DeleteThisFile);
    ExportResults1->setEnabled(AdvListView1->RowCount() > 0);
}

void TMainForm::FileProperties1Click()
{
    if (const int32_t index = RecordOfRow(AdvListView1->SelectedIndex()); index >= 0)
        ShowFileProperties(FullPath(ResultList[index]));
}

void TMainForm::Opencontainedfolder1Click()
{
    if (const int32_t index = RecordOfRow(AdvListView1->SelectedIndex()); index >= 0)
        ExploreFolder(PathList[ResultList[index].PathIndex], FullPath(ResultList[index]));
}

void TMainForm::Deletethisfile1Click()
{
    TListWork work(*this);
    DeleteThisFile(AdvListView1->SelectedIndex(), m_fileActionWindow);
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
