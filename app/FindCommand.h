#pragma once

#include "results/ResultExport.h"
#include "search/SearchDisplay.h"
#include "search/SearchSettings.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdio>
#include <exception>

// `pairwick --find [OPTION]... FOLDER...`: the window's search run for scripts, with no window and
// no display, its groups printed on standard output.

// What the command line of a search without a window asks for.
struct TFindRequest
{
    struct TFolder
    {
        QByteArray Path; // as given, byte for byte
        bool Reference = false;
    };
    // The options; Folders and ReferenceFolders are filled once the folders are found.
    TSearchSettings Settings;
    QList<TFolder> Folders; // in the order given
    TExportFormat Format = TExportFormat::Text;
    QByteArray Error; // a usage error, as one line
};

// Reads the options and folders; "--find" itself and a "--" that ends the options are passed over.
TFindRequest ParseFindArguments(const QList<QByteArray>& arguments);

// Sets the minimum-size options from "N", "NB", "NKB" or "NMB" (N with a '.' fraction allowed, the
// unit in any case). Returns false when the text is no such size.
bool ParseMinSize(const QByteArray& text, TSearchSettings& settings);

// A whole search of `settings` without a window: the protected prefixes and the minimum size are
// set as the window sets them, StopFlag is 0 while it runs and 1 afterwards. Throws what
// RunSearchLists throws and returns what it returns.
std::exception_ptr RunSearchWithoutWindow(const TSearchSettings& settings, TSearchDisplay& display);

// Writes the results on `out` (see WriteResults); returns an empty text or the error that stopped
// the output.
QString PrintResults(std::FILE* out, TExportFormat format, const TSearchSettings& searched);

// Runs the command: the groups on `out` in the format asked for, a progress line on `errors` when
// it is a terminal. Ctrl+C stops the search as the Stop button does. Returns the exit status: 0 when
// the search finished, 130 when it was stopped (what was found until then is printed), 2 on a usage
// error or when no folder can be searched, 1 when the search or the output failed.
int RunFindCommand(const QList<QByteArray>& arguments, std::FILE* out, std::FILE* errors);
