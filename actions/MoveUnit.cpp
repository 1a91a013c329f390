#include "MoveUnit.h"

#include "actions/DialogLook.h"
#include "core/DuplicateTypes.h"
#include "platform/FileAccess.h"

#include <QFileDialog>
#include <QShowEvent>
#include <QStandardPaths>

#include <exception>
#include <utility>

TMoveForm* MoveForm = nullptr;

namespace {

TMoveForm::TBrowseFunction& BrowseFunction()
{
    static TMoveForm::TBrowseFunction browse;
    return browse;
}

QString BrowseForFolder(QWidget* parent, const QString& title, const QString& start)
{
    if (const TMoveForm::TBrowseFunction browse = BrowseFunction())
        return browse(parent, title, start);
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}

} // namespace

TMoveForm::TMoveForm(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    ApplyDialogLook(*this);
    FormCreate();
    ConnectHandlers();
}

void TMoveForm::ConnectHandlers()
{
    connect(SelectDirectoryButton, &QAbstractButton::clicked, this, &TMoveForm::SelectDirectoryButtonClick);
    connect(OKButton, &QAbstractButton::clicked, this, &TMoveForm::OKButtonClick);
    connect(CancelButton, &QAbstractButton::clicked, this, &TMoveForm::CancelButtonClick);
}

void TMoveForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        CentreOnScreen(*this);
        FormShow();
    }
}

void TMoveForm::FormCreate()
{
    // Taken as it is, even when the folder does not exist yet: the move checks the folder.
    DirectoryEdit->setText(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

void TMoveForm::FormShow()
{
    DelCountLabel->setText(QStringLiteral("Do you really want to move ") + QString::number(ActionCount) +
                           (ActionCount == 1 ? QStringLiteral(" file?") : QStringLiteral(" files?")));
}

QString TMoveForm::BrowseCallback() const
{
    QString start = DirectoryEdit->text();
    if (start.isEmpty())
        return plat::CurrentDirectory();
    if (start.size() > 1 && start.endsWith(QLatin1Char('/')))
        start.chop(1);
    return start;
}

void TMoveForm::SelectDirectoryButtonClick()
{
    QString chosen;
    try {
        chosen = BrowseForFolder(this, QStringLiteral("Select directory to move files"), BrowseCallback());
    } catch (const std::exception&) {
        chosen.clear();
    }
    if (!chosen.isEmpty() && chosen != DirectoryEdit->text())
        DirectoryEdit->setText(chosen);
}

void TMoveForm::OKButtonClick()
{
    ActionMode = 1;
    MoveDirectory = DirectoryEdit->text();
    accept();
}

void TMoveForm::CancelButtonClick()
{
    ActionMode = 0;
    reject();
}

TMoveForm::TBrowseFunction TMoveForm::SetBrowseFunction(TBrowseFunction browse)
{
    return std::exchange(BrowseFunction(), std::move(browse));
}
