#include "actions/DeleteUnit.h"
#include "actions/MoveUnit.h"
#include "app/CommandLine.h"
#include "app/DesktopIdentity.h"
#include "app/EventPump.h"
#include "app/FindCommand.h"
#include "app/MessageBoxes.h"
#include "app/VarneMain.h"
#include "platform/FolderHandles.h"

#include <QApplication>

#include <cstdio>
#include <exception>
#include <memory>

int main(int argc, char** argv)
{
    // Help, the version and a search for scripts are answered before the window system is reached:
    // they need no display.
    const QList<QByteArray> arguments = CommandLineArguments(argc, argv);
    if (const TCommandLine early = ParseCommandLine(arguments);
        early.Request == TCommandLine::TRequest::Help || early.Request == TCommandLine::TRequest::Version)
        return AnswerCommandLine(early, stdout, stderr);
    else if (early.Request == TCommandLine::TRequest::Find)
        return RunFindCommand(arguments, stdout, stderr);

    QApplication app(argc, argv);
    SetDesktopIdentity();
    // Read again now that Qt has taken its own options (-style, -platform, ...) out of argv.
    const TCommandLine commandLine = ParseCommandLine(CommandLineArguments(argc, argv));
    if (commandLine.Request != TCommandLine::TRequest::Run)
        return AnswerCommandLine(commandLine, stdout, stderr);
    // The comparison keeps a handle of every folder it reads from.
    plat::RaiseOpenFileLimit();

    std::unique_ptr<TMainForm> mainForm;
    std::unique_ptr<TDeleteForm> deleteForm;
    std::unique_ptr<TMoveForm> moveForm;
    try {
        mainForm = std::make_unique<TMainForm>();
        // The two dialogs stay hidden until an action shows them, and are reused for every one.
        deleteForm = std::make_unique<TDeleteForm>();
        DeleteForm = deleteForm.get();
        moveForm = std::make_unique<TMoveForm>();
        MoveForm = moveForm.get();
    } catch (const std::exception& error) {
        ShowMessageBox(TMessageKind::Error, QString::fromLocal8Bit(error.what()));
        return 1;
    }
    AddCommandLineFolders(*mainForm, commandLine.Folders, stderr, commandLine.ReferenceFolders);
    InstallEventPump();
    mainForm->show();
    const int exitCode = QApplication::exec();

    RemoveEventPump();
    MoveForm = nullptr;
    DeleteForm = nullptr;
    moveForm.reset();
    deleteForm.reset();
    mainForm.reset();
    return exitCode;
}
