#pragma once

#include "ui_VarneMain.h"

#include "actions/FileActions.h"
#include "app/HandlerPolicy.h"
#include "app/MessageBoxes.h"
#include "results/ResultWindow.h"
#include "search/SearchDisplay.h"
#include "search/SearchSettings.h"

#include <QChar>
#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QCloseEvent;
class QKeyEvent;
class QLabel;
class QMenu;
class QShortcut;
class QTimer;
class QTreeWidgetItem;
class TAsyncTimer;
struct TReportRowData;
struct TReportRowPaint;

// The main window. Constructing it builds the stored layout, runs FormCreate and wires every
// handler; destroying it stops the timer's worker first. A search shows its figures through it.
class TMainForm : public QMainWindow, private Ui::TMainForm, public TSearchDisplay
{
    Q_OBJECT

public:
    static constexpr int StatusPanelCount = 3;

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The status bar's panels: 0 version, 1 elapsed time, 2 status text.
    void SetStatusPanelText(int index, const QString& text);
    QString StatusPanelText(int index) const;

    // The search list and the options as they stand now.
    TSearchSettings ReadSearchSettings() const;
    // Appends a folder path (ending with '/') to the search list, as a reference folder when
    // `reference` is set; an empty path adds nothing.
    void AddSearchFolder(const QString& folderPath, bool reference = false);

    void BuildDriveTree();

    // Operations of the window.
    // Runs through StartButtonClick, whose policy holds the lists for the search.
    void SearchStart();
    void PrepareToStart();
    void PrepareToStop();
    void SortByColumn(int column, uint8_t direction);
    void UpdateSelectionStats();

    // Handlers, named after their control and event.
    void FormCreate();
    void FormCloseQuery(bool& canClose);
    void StartButtonClick();
    void AsyncTimerTimer();
    void AdvListView1Data(int row, TReportRowData& data);
    void AdvListView1DrawItemProp(int row, TReportRowPaint& paint);
    void AdvListView1ColumnClick(int column);
    void AdvListView1SortStart(int column, bool& allow);
    void AdvListView1Resize();
    void AdvListView1LeftClickCell(int row, int column, Qt::KeyboardModifiers modifiers);
    void AdvListView1KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void DeselectAllButtonClick();
    void MoveSelectedButtonClick();
    void DeleteSelectedButtonClick();
    void HelpButtonClick();
    void UpdateButtonClick();
    void ReelgrabButtonClick();
    void HTMLabel5Click();
    void PopupMenu1Popup();
    void FileProperties1Click();
    void Opencontainedfolder1Click();
    void Deletethisfile1Click();
    void SelectAllinFolder1Click();
    void LeaveonlyoldestversionineachDupGroup1Click();
    void LeaveonlynewestversionineachDupGroup1Click();
    void ExportResults1Click();
    void TreeView1Expanding(QTreeWidgetItem* node);
    void AddDirButtonClick();
    void RemoveDirButtonClick();
    void RemoveAllButtonClick();
    void DirectoriesListBoxKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void MinSizeCheckClick();
    void MinSizeCheckKeyPress(QChar& key);
    // Sets `key` to the null character to drop it.
    void MinSizeEditKeyPress(QChar& key);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the .ui file cannot hold: images, glyphs, colours, the status panels, the timer.
    void BuildLayout();
    // "Export results..." at the end of the list's menu, and Ctrl+S on the list.
    void BuildExportCommand();
    void ConnectHandlers();
    // Slots that run `handler` under `policy` in the handler guard, taking exactly the handler's
    // arguments. GuardedInPaint is for handlers that run while the result list paints (they always
    // run): their errors are shown once the paint is over.
    template <typename... TArgs> auto Guarded(THandlerPolicy policy, void (TMainForm::*handler)(TArgs...));
    template <typename... TArgs> auto GuardedInPaint(void (TMainForm::*handler)(TArgs...));
    // Runs `body` in the handler guard when `policy` lets it run now, holding the lists when the
    // policy says so; returns whether it ran.
    bool RunUnderPolicy(THandlerPolicy policy, const std::function<void()>& body);
    // Runs MinSizeEditKeyPress for a key event; returns whether the event is used up.
    bool FilterMinSizeEditKey(QKeyEvent* event);

    // Ends one piece of list work; a close request that came meanwhile releases the lists once the
    // last piece has ended.
    void ListWorkEnded();
    TListWork m_listWork;

    // Search run.
    void SetTotalFilesText(const QString& text) override;
    void SetDuplicateText(const QString& text) override;
    void SetDiskUsingText(const QString& text) override;
    void SetProgress(int position) override;
    void SetStatusText(const QString& text) override;
    // The setup controls a search disables, in the order it disables them.
    QList<QWidget*> SetupControls() const;
    // Ends a search step by step where it ends early: timer off, idle state.
    void EndSearch();
    // Empties the result view, then releases the lists it shows.
    void ClearResults();
    // The figures a search reports reach their controls ten times a second: a comparison reports
    // them for every run of equal sizes, thousands of times a second, and setting and painting the
    // labels each time cost a tenth of a search.
    struct TPendingFigures
    {
        std::optional<QString> TotalFiles, Duplicates, DiskUsing;
        std::optional<int> Progress;
    };
    void ShowFiguresSoon();
    void ShowPendingFigures();
    TPendingFigures m_pendingFigures;
    QTimer* m_figuresTimer = nullptr;   // owned through the QObject tree; fires ShowPendingFigures
    bool m_searching = false;           // SearchStart is on the call stack
    bool m_closeRequested = false;      // the lists go once the handlers using them have unwound
    TSearchSettings m_searchedSettings; // what the search that left the results ran with

    // Result list and marking.

    // The list and the "Selected:" figure as the result commands see them.
    class TResultLink final : public TResultWindow
    {
    public:
        explicit TResultLink(TMainForm& form) : m_form(form) {}
        int SelectedRow() const override;
        uint8_t SortDirection() const override;
        void BeginRowUpdate() override;
        void EndRowUpdate() override;
        void SetRowCount(int rows) override;
        void SelectAndFocusRow(int row) override;
        void RepaintRows() override;
        void SetSelectedText(const QString& text) override;
        void DeleteThisFile() override;

    private:
        TMainForm& m_form;
    };
    TResultLink m_resultLink{*this};

    // The row the list's menu was last opened for, and the lists' generation then.
    struct TMenuRow
    {
        int Row = -1;
        uint64_t Generation = 0;
    };
    std::optional<TMenuRow> m_menuRow;
    // The row a command of the list's menu acts on: the row the menu was opened for, or nullopt when
    // the lists changed since; the selected row for a command reached without the menu. One opening
    // of the menu serves one command.
    std::optional<int> MenuRow();

    // File actions.

    // The window as the delete and move commands see it: the two dialogs, the message boxes and
    // the result list.
    class TFileActionWindow : public TActionWindow
    {
    public:
        explicit TFileActionWindow(TMainForm& form) : m_form(form) {}
        void ShowDeleteForm() override;
        void ShowMoveForm() override;
        bool ShowError(const QString& text, bool offerAbort) override;
        void ShowInformation(const QString& text) override;
        bool Confirm(const QString& text) override;
        void RepaintList() override;
        void UpdateSelectionStats() override;

    private:
        TMainForm& m_form;
    };
    TFileActionWindow m_fileActionWindow{*this};

    TAsyncTimer* AsyncTimer = nullptr;   // owned; deleted before anything else in the destructor
    QMenu* PopupMenu1 = nullptr;         // owned through the QObject tree
    QAction* ExportResults1 = nullptr;   // owned through the QObject tree
    QShortcut* ExportShortcut = nullptr; // owned by AdvListView1
    QList<QPixmap> ImageList1;
    QList<QPixmap> CheckboxImageList;
    QList<QPixmap> SortImageList;
    std::array<QLabel*, StatusPanelCount> m_statusPanels{}; // owned by StatusBar
};

// The character a key press types, as the edit controls see it: the null character for keys that
// type none (arrows, Home, End, Delete, Tab, function keys), the control character for Ctrl+letter
// (Ctrl+V types 22).
QChar TypedCharacter(const QKeyEvent& event);
