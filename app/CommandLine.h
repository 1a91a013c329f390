#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdio>

class TMainForm;

// What the program is asked on its command line: "-h"/"--help", "--version" and "--find" anywhere
// before a "--", and folders for the search list, each plain or after "--reference" (or
// "--reference="). Help wins over the version, the version over a search without a window, all
// three over an unknown option (the search reads its own options).
struct TCommandLine
{
    enum class TRequest
    {
        Run,
        Help,
        Version,
        Find, // a search without a window: see RunFindCommand
        BadOption
    };

    TRequest Request = TRequest::Run;
    // The arguments that are not options and the reference folders, byte for byte, in the order given.
    QList<QByteArray> Folders;
    // Those of Folders given as reference folders.
    QList<QByteArray> ReferenceFolders;
    // For BadOption: the first option the program does not know, or "--reference" without a folder.
    QByteArray BadOption;
};

// The arguments after the program's name.
QList<QByteArray> CommandLineArguments(int argc, const char* const* argv);

TCommandLine ParseCommandLine(const QList<QByteArray>& arguments);

// Answers a request other than Run and Find: help, or "pairwick" and the version the status bar shows, on
// `out` with exit code 0; an unknown option on `errors` with exit code 2. Returns the exit code.
int AnswerCommandLine(const TCommandLine& commandLine, std::FILE* out, std::FILE* errors);

// The folder a path of the command line leads to, written as the folder tree writes it; empty when
// there is none, with `problem` saying why ("not a folder", "name is not valid UTF-8").
QString CommandLineFolder(const QByteArray& path, QByteArray& problem);

// Adds each path to the window's search list in order, written as the folder tree writes it, as
// the Add button adds a folder; a path that is one of `referencePaths` as a reference folder. A
// path that leads to no folder is left out with one line on `errors`.
void AddCommandLineFolders(TMainForm& window, const QList<QByteArray>& paths, std::FILE* errors,
                           const QList<QByteArray>& referencePaths = {});
