#pragma once

#include "results/ResultExport.h"

#include <QString>

#include <functional>

class QWidget;

// "Export results..." of the result list's menu: the results written to a file the user picks.

// The save dialog: returns the path chosen, or an empty text when none was; `selectedFilter` starts
// as the filter offered first and ends as the one chosen.
using TSaveDialogFunction = std::function<QString(QWidget* parent, const QString& title, const QString& start,
                                                  const QString& filters, QString* selectedFilter)>;
// Replaces the dialog (tests); an empty function restores the real one. Returns the previous.
TSaveDialogFunction SetSaveDialogFunction(TSaveDialogFunction dialog);

// The format of the file: that of its extension when it is .csv or .json, else that of the filter.
TExportFormat ExportFormatOf(const QString& path, const QString& filter);

// Asks for a file with the save dialog and writes the results there; a failure is shown in the
// "Error" box with the system's error text. `searched` is what the search ran with.
void ExportResults(QWidget* parent, const TSearchSettings& searched);
