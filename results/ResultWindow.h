#pragma once

#include <QString>

#include <cstdint>

// What the result list's handlers and the marking commands need of the window: the list
// control's selection, sort direction, rows and repaint, the "Selected:" figure, and the
// "Delete this file" command. The main window implements it; tests record it.
class TResultWindow
{
public:
    virtual ~TResultWindow() = default;
    virtual int SelectedRow() const = 0;       // -1 when no row is selected
    virtual uint8_t SortDirection() const = 0; // of the list's sort state: 0 ascending, 1 descending
    // Around a change of the row count: the list paints nothing in between.
    virtual void BeginRowUpdate() = 0;
    virtual void EndRowUpdate() = 0;
    virtual void SetRowCount(int rows) = 0;
    // Selects and focuses the row and scrolls it fully into view.
    virtual void SelectAndFocusRow(int row) = 0;
    virtual void RepaintRows() = 0;
    virtual void SetSelectedText(const QString& text) = 0; // beside "Selected:"
    virtual void DeleteThisFile() = 0;                     // the file of the selected row
};

// Keeps the list from painting while its rows change, also when the change fails.
class TRowUpdate
{
public:
    explicit TRowUpdate(TResultWindow& window) : m_window(window) { m_window.BeginRowUpdate(); }
    ~TRowUpdate() { m_window.EndRowUpdate(); }
    TRowUpdate(const TRowUpdate&) = delete;
    TRowUpdate& operator=(const TRowUpdate&) = delete;

private:
    TResultWindow& m_window;
};
