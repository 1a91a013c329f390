#pragma once

#include <QStringList>

class QListWidget;
class QListWidgetItem;
struct TReportRowData;

// Reference folders in the search list. An entry keeps its path as its text, so Add, Remove,
// Clear, the nesting rules and the command line treat it like any other, and carries its reference
// state beside the text, shown by a padlock. The list's context menu entry "Reference folder (never
// mark its files)" and Ctrl+R switch the selected entry. Nothing is stored: every start begins with
// plain folders.

// Gives the list its menu and its key; both belong to the list.
void InstallReferenceFolders(QListWidget* list);
bool IsReferenceFolder(const QListWidgetItem* entry);
void SetReferenceFolder(QListWidgetItem* entry, bool reference);
// The texts of the list's reference folders, in list order.
QStringList ReferenceFolderTexts(const QListWidget* list);

// A result row whose file is a reference file shows the padlock in the place of its check box.
void ShowReferenceEmblem(int row, TReportRowData& data);
