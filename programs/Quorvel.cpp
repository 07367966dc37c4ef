// The palette program: the window, or the command-line filter when asked for one.
#include "Cls_ItemButton.h"
#include "PaletteCommandLine.h"
#include "PaletteModule.h"
#include "PaletteRemote.h"
#include "ProgramIcon.h"
#include "cp932_codec.h"
#include "platform_widgets.h"
#include "platform_wrappers.h"
#include "program_state.h"
#include "setting_model.h"
#include "settings_location.h"
#include "single_instance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCursor>
#include <QDir>
#include <QEnterEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#if QUORVEL_HAS_QT_DBUS
#include <QDBusConnection>
#endif

#include <cstdio>
#include <memory>

using namespace PaletteCommandLine;

namespace {

void setApplicationInfo()
{
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(QUORVEL_VERSION_MAJOR)
                                                .arg(QUORVEL_VERSION_MINOR)
                                                .arg(QUORVEL_VERSION_PATCH));
}

void printLine(FILE *stream, const QString &text)
{
    const QByteArray bytes = (text + QChar(u'\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

QWidget *paletteWindow()
{
    QWidget *fallback = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible()) {
            continue;
        }
        if (widget->inherits("Frm_Item_FromIniFile")) {
            return widget;
        }
        fallback = widget;
    }
    return fallback;
}

int saveScreenshot(const QString &path)
{
    QWidget *window = paletteWindow();
    if (window == nullptr) {
        printLine(stderr, QStringLiteral("Quorvel: no palette window to capture"));
        return ExitBadArgument;
    }
    const QString target = QFileInfo(path).absoluteFilePath();
    if (!window->grab().toImage().save(target, "PNG")) {
        printLine(
            stderr,
            QStringLiteral("Quorvel: cannot write \"%1\"").arg(QDir::toNativeSeparators(target)));
        return ExitBadArgument;
    }
    printLine(stdout, QDir::toNativeSeparators(target));
    return ExitOk;
}

void sendMouse(QWidget *widget, QPointF local, QEvent::Type type, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, buttons,
                      QGuiApplication::keyboardModifiers());
    QCoreApplication::sendEvent(widget, &event);
}

// WORKAROUND for end-to-end tests without an input robot: a pointer visit to the
// item's frame area (which makes it the current frame) and a click on its button, as
// a user does it. Acts only when QUORVEL_TEST_CLICK names an item.
void runTestClick(const QString &itemPath)
{
    const auto fail = [](const QString &why) {
        printLine(stderr, QStringLiteral("Quorvel: test click: ") + why);
        QCoreApplication::exit(ExitBadArgument);
    };
    QWidget *window = paletteWindow();
    if (window == nullptr || gObj_Setting == nullptr) {
        fail(QStringLiteral("no palette window"));
        return;
    }
    const QList<PaletteItem> items = ListPaletteItems(*gObj_Setting);
    const ItemLookup lookup = FindPaletteItem(items, itemPath);
    if (lookup.item == nullptr) {
        fail(QStringLiteral("no single item \"%1\"").arg(itemPath));
        return;
    }
    const PaletteItem item = *lookup.item;
    auto *frame = window->findChild<QWidget *>(QStringLiteral("Fra_Items_%1").arg(item.frameIndex));
    auto *button =
        window->findChild<Cls_ItemButton *>(QStringLiteral("Txt_Button_%1").arg(item.buttonIndex));
    if (frame == nullptr || button == nullptr || button->area() == nullptr) {
        fail(QStringLiteral("no frame area or button for \"%1\"").arg(itemPath));
        return;
    }

    // A point of the frame area above its first row of buttons.
    const QPoint overFrame(frame->width() / 2, 2);
    QCursor::setPos(frame->mapToGlobal(overFrame));
    QEnterEvent enter(overFrame, overFrame, frame->mapToGlobal(QPointF(overFrame)));
    QCoreApplication::sendEvent(frame, &enter);
    QMouseEvent move(QEvent::MouseMove, QPointF(overFrame), frame->mapToGlobal(QPointF(overFrame)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &move);

    // The button's frame area paints it and takes the pointer over it.
    QTimer::singleShot(200, button, [button] {
        QWidget *area = button->area();
        const QPoint centre = button->geometry().center();
        QCursor::setPos(area->mapToGlobal(centre));
        sendMouse(area, centre, QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
        sendMouse(area, centre, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
        sendMouse(area, centre, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
        printLine(stderr, QStringLiteral("Quorvel: test click done"));
    });
}

bool lacksDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
           qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return false;
#endif
}

// Runs that need no user at a screen still work without a display.
void useOffscreenWithoutDisplay()
{
    if (lacksDisplay()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

// The window's first accessibility update connects to the session bus and waits for the
// answer (where no bus runs, for a failed attempt to start one). Begun on a worker now,
// that wait overlaps the reading of the setting instead of holding up the window.
void connectSessionBusEarly()
{
#if QUORVEL_HAS_QT_DBUS
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland")))
        return;
    QThreadPool::globalInstance()->start([] { QDBusConnection::sessionBus(); });
#endif
}

int runWindow(int argc, char **argv)
{
    // The code page tables take the converter's time: built beside the application's
    // start instead of holding up the reading of the setting.
    QThreadPool::globalInstance()->start(&Cp932Codec::prepare);
    QApplication app(argc, argv);
    connectSessionBusEarly();
    setApplicationInfo();
    SetProgramIcon(QStringLiteral(QUORVEL_APP_ID));

    QCommandLineParser parser;
    AddOptions(parser);
    if (const QString problem = CheckWindowArguments(QCoreApplication::arguments());
        !problem.isEmpty() || !parser.parse(QCoreApplication::arguments())) {
        printLine(stderr, QStringLiteral("Quorvel: ") + problem);
        return ExitBadArgument;
    }
    const QString screenshot = parser.value(QStringLiteral("screenshot"));

    // A screenshot run is a one-off picture, not a second palette.
    std::unique_ptr<SingleInstance> instance;
    if (screenshot.isEmpty()) {
        instance = std::make_unique<SingleInstance>(QCoreApplication::applicationFilePath());
        if (!instance->tryClaim()) {
            return ExitOk;
        }
        PaletteRemote::Serve(*instance);
        // Setting up the channel waits until the window is on its way: later starts and
        // requests wait for it meanwhile. A box shown while opening runs this as well.
        QTimer::singleShot(0, instance.get(), &SingleInstance::listen);
    }

    gStr_SettingFolder = FncStr_SettingFolder(parser.value(QStringLiteral("settings-dir")));
    gStr_ProgramName = ProgramName();
    gStr_SettingFile = gStr_ProgramName + QStringLiteral(".xml");

    InstallQtTranslation();
    // Without a user to answer them, boxes of a screenshot run go to standard error.
    if (screenshot.isEmpty()) {
        InstallMessageBoxDialogs();
    }
    // A folder the palette can neither read nor write its setting into would only give an
    // empty window: say what is wrong instead.
    if (const QString problem = SettingFolderProblem(gStr_SettingFolder, gStr_SettingFile);
        !problem.isEmpty()) {
        printLine(stderr, QStringLiteral("Quorvel: ") + problem);
        if (!parser.isSet(QStringLiteral("settings-dir")) && screenshot.isEmpty())
            FncInt_MessageBox(MsgBox::Critical, QStringLiteral("Quorvel: ") + problem,
                              QStringLiteral("Quorvel"));
        return ExitBadArgument;
    }
    mdl_Palette::Open(false, false);

    if (!screenshot.isEmpty()) {
        QTimer::singleShot(0, &app,
                           [screenshot] { QCoreApplication::exit(saveScreenshot(screenshot)); });
    } else if (const QString click = qEnvironmentVariable("QUORVEL_TEST_CLICK"); !click.isEmpty()) {
        QTimer::singleShot(300, &app, [click] { runTestClick(click); });
    }
    const int status = QApplication::exec();
    gObj_Setting.reset();
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    switch (DetectRunMode(argc, argv)) {
    case RunMode::Filter: {
        QCoreApplication app(argc, argv);
        setApplicationInfo();
        return RunFilter(QCoreApplication::arguments());
    }
    case RunMode::FilterWithShell: {
        useOffscreenWithoutDisplay();
        QGuiApplication app(argc, argv);
        setApplicationInfo();
        return RunFilter(QCoreApplication::arguments());
    }
    case RunMode::Remote: {
        QCoreApplication app(argc, argv);
        setApplicationInfo();
        return PaletteRemote::RunClient(QCoreApplication::arguments());
    }
    case RunMode::Screenshot:
        useOffscreenWithoutDisplay();
        break;
    case RunMode::Window:
        if (lacksDisplay()) {
            // A wrong argument is named first; then the missing display is said plainly
            // instead of the platform plugin's abort.
            QStringList arguments;
            for (int i = 0; i < argc; ++i)
                arguments.append(QString::fromLocal8Bit(argv[i]));
            if (const QString problem = CheckWindowArguments(arguments); !problem.isEmpty()) {
                printLine(stderr, QStringLiteral("Quorvel: ") + problem);
                return ExitBadArgument;
            }
            printLine(stderr, QStringLiteral("Quorvel: no display to show the palette on; "
                                             "--screenshot FILE saves a picture of it instead"));
            return ExitBadArgument;
        }
        break;
    }
    return runWindow(argc, argv);
}
