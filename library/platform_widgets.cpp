#include "platform_widgets.h"

#include "platform_wrappers.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <QWidget>
#include <QWindow>

#include <exception>

namespace {

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0x70) {
    case MsgBox::Critical:
        return QMessageBox::Critical;
    case MsgBox::Question:
        return QMessageBox::Question;
    case MsgBox::Exclamation:
        return QMessageBox::Warning;
    case MsgBox::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QList<QMessageBox::StandardButton> buttonsFor(int style)
{
    switch (style & 0x7) {
    case MsgBox::OkCancel:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case 2:
        return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case 3:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case MsgBox::YesNo:
        return {QMessageBox::Yes, QMessageBox::No};
    case 5:
        return {QMessageBox::Retry, QMessageBox::Cancel};
    default:
        return {QMessageBox::Ok};
    }
}

int answerFor(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok:
        return MsgBox::Ok;
    case QMessageBox::Cancel:
        return MsgBox::Cancel;
    case QMessageBox::Abort:
        return 3;
    case QMessageBox::Retry:
        return 4;
    case QMessageBox::Ignore:
        return 5;
    case QMessageBox::Yes:
        return MsgBox::Yes;
    case QMessageBox::No:
        return MsgBox::No;
    default:
        return 0;
    }
}

int showMessageBox(int style, const QString &prompt, const QString &title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setIcon(iconFor(style));
    box.setWindowTitle(title.isEmpty() ? QGuiApplication::applicationDisplayName() : title);
    box.setText(prompt);
    const QList<QMessageBox::StandardButton> buttons = buttonsFor(style);
    for (const QMessageBox::StandardButton button : buttons)
        box.addButton(button);
    // Default-button flags 256 and 512 pick the second and third button.
    const qsizetype defaultIndex = (style >> 8) & 0x3;
    box.setDefaultButton(buttons.value(defaultIndex, buttons.first()));
    if (buttons.contains(QMessageBox::Cancel))
        box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    const int answer = answerFor(box.standardButton(box.clickedButton()));
    if (answer != 0)
        return answer;
    // Closed without a button (Escape where there is no Cancel): the gentlest answer.
    return buttons.contains(QMessageBox::Cancel) ? int(MsgBox::Cancel) : answerFor(buttons.last());
}

} // namespace

void InstallMessageBoxDialogs()
{
    SetMessageBoxHandler(showMessageBox);
}

bool FncBln_WindowCommand(QWidget *window, int command)
{
    if (!window)
        return false;
    try {
        switch (command) {
        case 0:
            window->close();
            break;
        case 1:
            window->raise();
            window->activateWindow();
            break;
        case 2:
            // Restores the state before minimising (a maximised window stays maximised).
            if (window->isMinimized()) {
                window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
                window->show();
            }
            break;
        case 3:
            window->raise();
            break;
        case 4:
            window->showMinimized();
            break;
        default:
            break;
        }
        return true;
    } catch (const std::exception &e) {
        Sub_ShowError({VbErrorNo::InternalError, QString::fromLocal8Bit(e.what()),
                       QGuiApplication::applicationDisplayName()});
        return false;
    }
}

void Sub_SetTopMost(QWidget *window, bool on)
{
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (QWindow *handle = window->windowHandle()) {
        // The live window takes the hint as it is (the window manager's "above" state).
        // Re-creating it would place its client area where its frame was and lose its
        // tooltips.
        window->overrideWindowFlags(flags);
        handle->setFlags(flags);
        return;
    }
    // Nothing native yet: the flag goes with the window when it is first shown, at the
    // frame position that move() gave it.
    const bool moved = window->testAttribute(Qt::WA_Moved);
    const QPoint position = window->pos();
    window->setWindowFlags(flags);
    if (moved)
        window->move(position);
}

bool InstallQtTranslation()
{
    // Lives as long as the program: the application keeps only a pointer to it.
    static QTranslator translator;
    if (!translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    return QCoreApplication::installTranslator(&translator);
}
