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
    try {
        mainForm = std::make_unique<TMainForm>();
    } catch (const std::exception& error) {
        ShowMessageBox(TMessageKind::Error, QString::fromLocal8Bit(error.what()));
        return 1;
    }
    InstallEventPump();
    mainForm->show();
    const int exitCode = QApplication::exec();

    RemoveEventPump();
    mainForm.reset();
    return exitCode;
}
