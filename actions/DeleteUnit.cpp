#include "DeleteUnit.h"

#include "actions/DialogLook.h"
#include "core/DuplicateTypes.h"
#include "core/MessageText.h"

#include <QMouseEvent>
#include <QShowEvent>

TDeleteForm* DeleteForm = nullptr;

TDeleteForm::TDeleteForm(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    BuildLayout();
    FormCreate();
    ConnectHandlers();
}

void TDeleteForm::BuildLayout()
{
    ApplyDialogLook(*this);
    Image1->setPixmap(StoredJpegPicture(QStringLiteral(":/actions/RecycleBin.jpg")));
    Image2->setPixmap(StoredJpegPicture(QStringLiteral(":/actions/RedCross.jpg")));
}

void TDeleteForm::ConnectHandlers()
{
    // The pictures have no click signal: Image1Click and Image2Click run from eventFilter.
    Image1->installEventFilter(this);
    Image2->installEventFilter(this);
    connect(OKButton, &QAbstractButton::clicked, this, &TDeleteForm::OKButtonClick);
    connect(CancelButton, &QAbstractButton::clicked, this, &TDeleteForm::CancelButtonClick);
}

void TDeleteForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        CentreOnScreen(*this);
        FormShow();
    }
}

bool TDeleteForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Image1)
            Image1Click();
        else if (watched == Image2)
            Image2Click();
    }
    return QDialog::eventFilter(watched, event);
}

void TDeleteForm::FormCreate()
{
    RecyclerRadio->setText(QStringLiteral("Move files to Recycle Bin ") + NewLine +
                           QStringLiteral("(If this option is set for this drive)"));
}

void TDeleteForm::FormShow()
{
    DelCountLabel->setText(QStringLiteral("Do you really want to delete ") + QString::number(ActionCount) +
                           (ActionCount == 1 ? QStringLiteral(" file?") : QStringLiteral(" files?")));
}

void TDeleteForm::Image1Click()
{
    RecyclerRadio->setChecked(true);
}

void TDeleteForm::Image2Click()
{
    DeleteRadio->setChecked(true);
}

void TDeleteForm::OKButtonClick()
{
    ActionMode = DeleteRadio->isChecked() ? 2 : 1;
    accept();
}

void TDeleteForm::CancelButtonClick()
{
    ActionMode = 0;
    reject();
}
