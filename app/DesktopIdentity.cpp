#include "DesktopIdentity.h"

#include "app/ProgramInfo.h"

#include <QApplication>
#include <QDir>

void SetDesktopIdentity()
{
    QApplication::setApplicationName(QStringLiteral("Pairwick"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pairwick"));
    QApplication::setApplicationVersion(QStringLiteral(PW_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(PW_APP_ID));
    QApplication::setWindowIcon(ProgramIcon());
}

QIcon ProgramIcon()
{
    // The PNG renderings rather than the drawing: Qt reads SVG only through an extra plugin. Each
    // file's size is read from the file.
    QIcon icon;
    const QDir renderings(QStringLiteral(":/icons"));
    for (const QString& name : renderings.entryList({QStringLiteral("pairwick-*.png")}, QDir::Files))
        icon.addFile(renderings.filePath(name));
    return icon;
}
