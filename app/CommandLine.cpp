#include "CommandLine.h"

#include "app/ProgramInfo.h"
#include "app/VarneMain.h"
#include "platform/FolderProbe.h"

#include <utility>

namespace {

void Print(std::FILE* stream, const QByteArray& text)
{
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stream);
    std::fflush(stream);
}

constexpr char HelpText[] =
    "Usage: pairwick [FOLDER]...\n"
    "  or:  pairwick --find [OPTION]... FOLDER...\n"
    "Find duplicate files and remove the copies you do not need.\n"
    "Each FOLDER is added to the search list; the search starts when you press Start.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "      --reference FOLDER\n"
    "                 add FOLDER as a reference folder, whose files are never marked,\n"
    "                 moved or deleted; may be given more than once\n"
    "\n"
    "With --find the FOLDERs are searched at once, without a window, and the groups of\n"
    "duplicate files are printed on standard output. Its options mirror the window's:\n"
    "      --mask MASK           take only files whose names match MASK (default *.*)\n"
    "      --min-size N[B|KB|MB] take only files of at least N bytes (KB: 1024, MB: 1048576)\n"
    "      --include-empty       take empty files too\n"
    "      --no-protect-folders  search system folders (/usr, /opt, /etc, /var, ...) too\n"
    "      --no-protect-files    take *.sys, *.ocx, *.drv and *.dll files too\n"
    "      --reference FOLDER    search FOLDER too, as a reference folder: a group that lies\n"
    "                            wholly inside reference folders is not listed\n"
    "      --format FORMAT       text (default): one path a line, the original first, an\n"
    "                            empty line after each group; csv or json: as the export\n"
    "A progress line is shown on standard error when it is a terminal. Ctrl+C stops the\n"
    "search and prints what was found so far.\n"
    "Exit status: 0 when the search finished, 130 when it was stopped, 2 on a usage error\n"
    "or when no folder could be searched.\n";

constexpr char VersionText[] = "pairwick " PW_VERSION "\n";

} // namespace

QList<QByteArray> CommandLineArguments(int argc, const char* const* argv)
{
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    return arguments;
}

TCommandLine ParseCommandLine(const QList<QByteArray>& arguments)
{
    TCommandLine commandLine;
    bool help = false;
    bool version = false;
    bool find = false;
    bool optionsEnded = false;
    bool referenceNext = false;
    const auto addReference = [&commandLine](const QByteArray& folder) {
        commandLine.Folders.append(folder);
        commandLine.ReferenceFolders.append(folder);
    };
    for (const QByteArray& argument : arguments) {
        if (std::exchange(referenceNext, false)) {
            addReference(argument);
        } else if (optionsEnded || !argument.startsWith('-') || argument == "-") {
            // "-" alone is no option: like any other name, it is a folder or nothing.
            commandLine.Folders.append(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else if (argument == "--find") {
            find = true;
        } else if (argument == "--reference") {
            referenceNext = true;
        } else if (argument.startsWith("--reference=")) {
            addReference(argument.mid(int(sizeof "--reference=") - 1));
        } else if (commandLine.BadOption.isNull()) {
            commandLine.BadOption = argument;
        }
    }
    if (referenceNext && commandLine.BadOption.isNull())
        commandLine.BadOption = "--reference";
    if (help)
        commandLine.Request = TCommandLine::TRequest::Help;
    else if (version)
        commandLine.Request = TCommandLine::TRequest::Version;
    else if (find)
        commandLine.Request = TCommandLine::TRequest::Find;
    else if (!commandLine.BadOption.isNull())
        commandLine.Request = TCommandLine::TRequest::BadOption;
    return commandLine;
}

int AnswerCommandLine(const TCommandLine& commandLine, std::FILE* out, std::FILE* errors)
{
    switch (commandLine.Request) {
    case TCommandLine::TRequest::Help:
        Print(out, HelpText);
        return 0;
    case TCommandLine::TRequest::Version:
        Print(out, VersionText);
        return 0;
    case TCommandLine::TRequest::BadOption:
        Print(errors, "pairwick: " +
                          (commandLine.BadOption == "--reference"
                               ? QByteArray("option '--reference' needs a folder")
                               : "unknown option '" + commandLine.BadOption + "'") +
                          "\nTry 'pairwick --help' for more information.\n");
        return 2;
    case TCommandLine::TRequest::Run:
    case TCommandLine::TRequest::Find:
        break;
    }
    return 0;
}

QString CommandLineFolder(const QByteArray& path, QByteArray& problem)
{
    const QString folder = plat::RealFolderPath(path);
    if (folder.isEmpty())
        problem = QString::fromUtf8(path).toUtf8() != path ? "name is not valid UTF-8" : "not a folder";
    return folder;
}

void AddCommandLineFolders(TMainForm& window, const QList<QByteArray>& paths, std::FILE* errors,
                           const QList<QByteArray>& referencePaths)
{
    for (const QByteArray& path : paths) {
        QByteArray problem;
        const QString folder = CommandLineFolder(path, problem);
        if (!folder.isEmpty())
            window.AddSearchFolder(folder, referencePaths.contains(path));
        else
            Print(errors, "pairwick: " + path + ": " + problem + ", ignored\n");
    }
}
