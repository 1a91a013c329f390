#pragma once

#include <QString>

#include <cstdint>

// What the file actions need of the main window: the two dialogs, the message boxes, and the
// refresh of the result list. The window implements it; tests answer it themselves.
class TActionWindow
{
public:
    virtual ~TActionWindow() = default;
    // Modal; the choice is left in ActionMode.
    virtual void ShowDeleteForm() = 0;
    // Modal; the choice is left in ActionMode and MoveDirectory.
    virtual void ShowMoveForm() = 0;
    // An error box with "OK", and "&Abort" when `offerAbort` is set; true when Abort was pressed.
    virtual bool ShowError(const QString& text, bool offerAbort) = 0;
    virtual void ShowInformation(const QString& text) = 0;
    // A "Confirm" box; true for "&Yes".
    virtual bool Confirm(const QString& text) = 0;
    virtual void RepaintList() = 0;
    virtual void UpdateSelectionStats() = 0;
};

// The "Delete Selected" command: asks through the delete dialog, then sends every marked file to
// the trash or deletes it for good, reporting each failure (OK goes on, Abort stops), and ends
// with a summary, a repaint and the selection figure. A handled record stays in ResultList,
// unmarked and flagged Removed.
void DeleteSelected(TActionWindow& window);

// The "Move to Folder" command: the same walk through the move dialog, moving each marked file
// into MoveDirectory.
void MoveSelected(TActionWindow& window);

// "Delete this file" of the list's menu, for the record shown on list row `row` (-1: none).
void DeleteThisFile(int row, TActionWindow& window);

// Which entries of the list's menu are enabled for the selected row (-1: none).
struct TPopupMenuState
{
    bool RowCommands = false;    // properties, open folder, and the three marking commands
    bool DeleteThisFile = false; // only for a record that is still there and no reference file
};
TPopupMenuState PopupMenuState(int selectedRow);
