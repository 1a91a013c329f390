#include "DialogLook.h"

#include "actions/JpegImage.h"
#include "ui/ThemePaint.h"

#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

void ApplyDialogLook(QDialog& dialog)
{
    dialog.setFont(QFont(theme::ResolveFontFamily(QStringLiteral("MS Sans Serif")), 8));
    dialog.setFixedSize(dialog.size());
    dialog.setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
}

void CentreOnScreen(QDialog& dialog)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), dialog.frameGeometry().size());
        frame.moveCenter(screen->availableGeometry().center());
        dialog.move(frame.topLeft());
    }
}

QPixmap StoredJpegPicture(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QPixmap::fromImage(DecodeJpeg(file.readAll()));
}
