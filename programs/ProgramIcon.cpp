#include "ProgramIcon.h"

#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QTimer>

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
    // Pictures of the icon built into the program: a portable copy has no icon theme. The
    // large picture joins once the event loop runs, so that the first window is not held
    // up decoding it and handing it to the window system.
    QIcon icon;
    icon.addPixmap(picture(48));
    QGuiApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(desktopEntryId);
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        QIcon whole = QGuiApplication::windowIcon();
        whole.addPixmap(picture(256));
        QGuiApplication::setWindowIcon(whole);
    });
}
