#include "actions/DeleteUnit.h"
#include "actions/MoveUnit.h"
#include "app/EventPump.h"
#include "app/MessageBoxes.h"
#include "app/VarneMain.h"
#include "platform/FolderHandles.h"

#include <QApplication>

#include <exception>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pairwick"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pairwick"));
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
