#include "ProgramIcon.h"

#include <QGuiApplication>
#include <QIcon>
#include <QSize>

void SetProgramIcon(const QString &desktopEntryId)
{
    // Pictures of the icon built into the program: a portable copy has no icon theme.
    QIcon icon;
    for (const int size : {48, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1x%1/" QUORVEL_APP_ID ".png").arg(size),
                     QSize(size, size));
    }
    QGuiApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(desktopEntryId);
}
