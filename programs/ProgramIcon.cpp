#include "ProgramIcon.h"

#include "first_exposure.h"

#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

namespace {

QPixmap picture(int size)
{
    // The format is named and never guessed: guessing loads every image plugin first.
    QImageReader reader(QStringLiteral(":/icons/%1x%1/" QUORVEL_APP_ID ".png").arg(size), "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace

void SetProgramIcon(const QString &desktopEntryId)
{
    // Pictures of the icon built into the program: a portable copy has no icon theme. They
    // are handed over once the first window is on screen: any picture read first makes Qt
    // look through every image plugin, which holds that window up by more than the icon is
    // worth in its first milliseconds.
    QGuiApplication::setDesktopFileName(desktopEntryId);
    RunAfterFirstExposure(QCoreApplication::instance(), [] {
        QIcon icon;
        icon.addPixmap(picture(48));
        icon.addPixmap(picture(256));
        QGuiApplication::setWindowIcon(icon);
    });
}
