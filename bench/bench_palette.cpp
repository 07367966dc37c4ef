// The palette's start-up, pointer, filter and preview figures, each against its target,
// measured in one run beside a bare Qt window started the same way.
// Usage: tools/with-xvfb.sh build/bench/bench_palette [--runs N] [--starts-only]
//                                                    [--compare OTHER_PALETTE]...
//        (--compare starts another build's palette on the default file in the same turns:
//        before and after figures of a change)
//        bench_palette --write-largest FOLDER   (the 99 x 100 file, for profiling)
// Needs an X display; starts openbox when no window manager runs.
#include "Cls_ItemButton.h"
#include "Frm_Item_FromIniFile.h"
#include "PaletteModule.h"
#include "program_state.h"
#include "setting_model.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

const QString kBinaryDir = QStringLiteral(QUORVEL_BINARY_DIR);
// The default palette's client area, 2760 x 1925 twips, at 96 dots per inch.
constexpr int kDefaultWidth = 184;
constexpr int kDefaultHeight = 128;

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// --- Setting files --------------------------------------------------------------------

QString element(const QString &key, const QString &value)
{
    return QStringLiteral("<%1>%2</%1>").arg(key, value);
}

// 99 frames of 100 items, ten to a row, padded to about one megabyte of text.
QString largestSettingText()
{
    const QString colours = element(QStringLiteral("Base"), QStringLiteral("C0C0FF")) +
                            element(QStringLiteral("Title"), QStringLiteral("000080")) +
                            element(QStringLiteral("Label"), QStringLiteral("0000C0")) +
                            element(QStringLiteral("Back"), QStringLiteral("9090FF")) +
                            element(QStringLiteral("Fore"), QStringLiteral("FFFFFF"));
    const QString common = element(QStringLiteral("Title"), QStringLiteral("Largest")) +
                           element(QStringLiteral("FontSize"), QStringLiteral("9")) +
                           element(QStringLiteral("ItemWidth"), QStringLiteral("4500")) +
                           element(QStringLiteral("Align"), QStringLiteral("Left")) +
                           element(QStringLiteral("Valign"), QStringLiteral("Top"));
    const QString padding(52, u'x');
    QString frames;
    for (int frame = 1; frame <= 99; ++frame) {
        QString text = QStringLiteral("\r\n\t\t") +
                       element(QStringLiteral("Title"), QStringLiteral("枠 %1").arg(frame)) +
                       element(QStringLiteral("LineCount"), QStringLiteral("10")) +
                       QStringLiteral("\r\n");
        for (int item = 1; item <= 100; ++item) {
            const QString name = QStringLiteral("項目%1-%2").arg(frame).arg(item);
            text += QStringLiteral("\t\t\t") +
                    element(QStringLiteral("Item%1").arg(item),
                            element(QStringLiteral("Name"), name) +
                                element(QStringLiteral("Data"), name + padding)) +
                    QStringLiteral("\r\n");
        }
        frames += QStringLiteral("\t") + element(QStringLiteral("Frame%1").arg(frame), text) +
                  QStringLiteral("\r\n");
    }
    return QStringLiteral("<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n<myItem>\r\n\t") +
           element(QStringLiteral("ColorSetting"), colours) + QStringLiteral("\r\n\t") +
           element(QStringLiteral("CommonSetting"), common) + QStringLiteral("\r\n\t") +
           element(QStringLiteral("DataSetting"), QStringLiteral("\r\n") + frames) +
           QStringLiteral("\r\n</myItem>\r\n");
}

bool writeSetting(const QString &folder, const QString &text)
{
    Cls_MySettingFile file;
    file.Path(folder);
    file.Name(QStringLiteral("Quorvel.xml"));
    return file.SaveFile(text);
}

// --- Processes ------------------------------------------------------------------------

pid_t spawn(const QString &program, const QStringList &arguments, bool quiet = false)
{
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &value : storage)
        argv.push_back(value.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    if (posix_spawn(&pid, argv.front(), &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// User plus system time of a process so far, in clock ticks.
long long cpuTicks(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields.at(11).toLongLong() + fields.at(12).toLongLong() : -1;
}

// Peak resident memory of a running process, in kilobytes.
double peakKilobytes(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble();
    }
    return 0;
}

// Waits until the process has used no processor time for a while.
void waitIdle(pid_t pid)
{
    QElapsedTimer timer;
    timer.start();
    long long last = cpuTicks(pid);
    int quiet = 0;
    while (quiet < 2 && timer.elapsed() < 30000) {
        QThread::msleep(150);
        const long long now = cpuTicks(pid);
        quiet = now == last ? quiet + 1 : 0;
        last = now;
    }
}

void stop(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 50; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return;
        QThread::msleep(100);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
}

// --- The X display --------------------------------------------------------------------

class XDisplay final
{
public:
    XDisplay()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~XDisplay()
    {
        if (m_connection)
            xcb_disconnect(m_connection);
    }
    XDisplay(const XDisplay &) = delete;
    XDisplay &operator=(const XDisplay &) = delete;

    bool ok() const { return m_connection && !xcb_connection_has_error(m_connection); }

    bool hasWindowManager()
    {
        const QByteArray name("_NET_SUPPORTING_WM_CHECK");
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(name.size()), name.data()),
            nullptr);
        if (!atom)
            return false;
        xcb_get_property_reply_t *property = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, m_root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
        const bool found = property && xcb_get_property_value_length(property) > 0;
        free(property);
        free(atom);
        return found;
    }

    void drain()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            free(event);
    }

    // Waits for a top-level window to be mapped; false when none came in time.
    bool waitForMap(int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                const bool mapped =
                    (event->response_type & 0x7F) == XCB_MAP_NOTIFY &&
                    reinterpret_cast<xcb_map_notify_event_t *>(event)->event == m_root &&
                    !reinterpret_cast<xcb_map_notify_event_t *>(event)->override_redirect;
                free(event);
                if (mapped)
                    return true;
            }
            pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&descriptor, 1, int(std::max<qint64>(1, timeoutMs - timer.elapsed())));
        }
        return false;
    }

private:
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
};

// --- Figures --------------------------------------------------------------------------

struct StartFigures
{
    double mapMs = 0;
    double peakMb = 0;
};

struct Start
{
    QString program;
    QStringList arguments;
};

// The starts take turns, run by run: the machine's state drifts over a few seconds (caches,
// other work), and taking turns lets the drift touch each of them alike.
std::vector<StartFigures> measureStarts(XDisplay &display, const std::vector<Start> &starts,
                                        int runs)
{
    std::vector<std::vector<double>> maps(starts.size());
    std::vector<std::vector<double>> peaks(starts.size());
    for (int run = 0; run < runs; ++run) {
        for (size_t i = 0; i < starts.size(); ++i) {
            display.drain();
            QElapsedTimer timer;
            timer.start();
            const pid_t pid = spawn(starts[i].program, starts[i].arguments);
            if (pid <= 0 || !display.waitForMap(60000)) {
                std::fprintf(stderr, "bench_palette: %s did not map a window\n",
                             qPrintable(starts[i].program));
                stop(pid);
                continue;
            }
            maps[i].push_back(timer.nsecsElapsed() / 1e6);
            waitIdle(pid);
            peaks[i].push_back(peakKilobytes(pid) / 1024.0);
            stop(pid);
        }
    }
    std::vector<StartFigures> figures;
    for (size_t i = 0; i < starts.size(); ++i)
        figures.push_back({median(maps[i]), median(peaks[i])});
    return figures;
}

// Processor time (user + system) of one filter run, in milliseconds.
double measureList(const QString &folder, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const pid_t pid =
            spawn(kBinaryDir + QStringLiteral("/programs/Quorvel"),
                  {QStringLiteral("--list"), QStringLiteral("--settings-dir"), folder}, true);
        int status = 0;
        rusage usage{};
        if (pid <= 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "bench_palette: --list failed\n");
            continue;
        }
        times.push_back((usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                        (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
    }
    return median(times);
}

double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

void closePalette()
{
    if (Frm_Item_FromIniFile *window = mdl_Palette::CurrentWindow()) {
        window->SetMode(true);
        window->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::qWait(200);
}

// Processor time of one pointer move from an item to its neighbour, the repaint included:
// the pointer is warped on the X display and the palette handles the real motion events;
// the cost of the warp request is measured apart and not counted.
double measurePointerMove(const QString &folder)
{
    gStr_SettingFolder = folder;
    mdl_Palette::Open(false, false);
    Frm_Item_FromIniFile *window = mdl_Palette::CurrentWindow();
    if (!window || !QTest::qWaitForWindowExposed(window, 60000))
        return -1;
    QTest::qWait(500);
    const auto *first = window->findChild<Cls_ItemButton *>(QStringLiteral("Txt_Button_0"));
    const auto *second = window->findChild<Cls_ItemButton *>(QStringLiteral("Txt_Button_1"));
    if (!first || !second)
        return -1;
    const QPoint at[] = {first->mapToGlobal(QRect(QPoint(), first->geometry().size()).center()),
                         second->mapToGlobal(QRect(QPoint(), second->geometry().size()).center())};
    constexpr int moves = 100;
    constexpr int pauseMs = 20;
    QCursor::setPos(at[1]);
    QTest::qWait(300);

    double start = processCpuMs();
    for (int i = 0; i < moves; ++i)
        QTest::qWait(pauseMs);
    const double idle = processCpuMs() - start;

    // The warp itself is a round trip to the X server made by this process: timed over
    // two points of the bare desktop, where the palette gets no events, and taken off.
    const QRect screen = window->screen()->geometry();
    const QPoint off[] = {screen.topRight() + QPoint(-5, 5), screen.topRight() + QPoint(-5, 25)};
    if (window->frameGeometry().contains(off[0]) || window->frameGeometry().contains(off[1]))
        return -1;
    QCursor::setPos(off[1]);
    QTest::qWait(300);
    start = processCpuMs();
    for (int i = 0; i < moves; ++i) {
        QCursor::setPos(off[i % 2]);
        QTest::qWait(pauseMs);
    }
    const double warping = processCpuMs() - start;

    QCursor::setPos(at[1]);
    QTest::qWait(300);
    start = processCpuMs();
    for (int i = 0; i < moves; ++i) {
        QCursor::setPos(at[i % 2]);
        QTest::qWait(pauseMs);
    }
    const double moving = processCpuMs() - start;
    closePalette();
    std::printf("pointer: idle %.2f ms, warps over the desktop %.2f ms, over the items %.2f ms "
                "(%d moves)\n",
                idle, warping, moving, moves);
    return std::max(0.0, moving - std::max(idle, warping)) / moves;
}

// The editor's preview: load the file, build the palette window in preview mode and
// show it; then the repeated preview, which reloads through the palette.
std::pair<double, double> measurePreview(const QString &folder, int runs)
{
    gStr_SettingFolder = folder;
    std::vector<double> firsts;
    std::vector<double> repeats;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        OpenSettingFile(true);
        auto *preview = new Frm_Item_FromIniFile;
        mdl_Palette::SetCurrentWindow(preview);
        preview->show();
        preview->SetMode(true);
        if (!QTest::qWaitForWindowExposed(preview, 60000))
            return {-1, -1};
        firsts.push_back(timer.nsecsElapsed() / 1e6);
        QTest::qWait(300);

        timer.restart();
        preview->Lbl_Reload_Click();
        preview = mdl_Palette::CurrentWindow();
        if (!preview)
            return {-1, -1};
        preview->show();
        preview->SetMode(true);
        if (!QTest::qWaitForWindowExposed(preview, 60000))
            return {-1, -1};
        repeats.push_back(timer.nsecsElapsed() / 1e6);
        QTest::qWait(300);
        closePalette();
    }
    return {median(firsts), median(repeats)};
}

void printRow(const char *name, double value, const char *unit, const QString &target,
              const QString &ratio, bool met)
{
    std::printf("%-46s %10.2f %-3s  %-22s %-10s %s\n", name, value, unit, qPrintable(target),
                qPrintable(ratio), target.isEmpty() ? "" : (met ? "met" : "NOT MET"));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--write-largest") == 0) {
        QCoreApplication app(argc, argv);
        return writeSetting(QString::fromLocal8Bit(argv[2]), largestSettingText()) ? 0 : 1;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "bench_palette: needs an X display; run it under "
                             "tools/with-xvfb.sh\n");
        return 2;
    }
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    qunsetenv("QT_QPA_PLATFORM");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype runsAt = arguments.indexOf(QStringLiteral("--runs"));
    const bool runsGiven = runsAt > 0 && runsAt + 1 < arguments.size();
    const int runs = runsGiven ? std::max(1, arguments.at(runsAt + 1).toInt()) : 9;
    // A start differs from the next by more than the palette's margin over the bare window:
    // the ratio of two medians needs more of them than the other figures.
    const int startRuns = runsGiven ? runs : 21;

    XDisplay display;
    if (!display.ok()) {
        std::fprintf(stderr, "bench_palette: cannot connect to the X display\n");
        return 2;
    }
    pid_t windowManager = -1;
    if (!display.hasWindowManager()) {
        windowManager = spawn(QStringLiteral("/usr/bin/openbox"), {}, true);
        QElapsedTimer timer;
        timer.start();
        while (!display.hasWindowManager() && timer.elapsed() < 10000)
            QThread::msleep(50);
        if (!display.hasWindowManager())
            std::fprintf(stderr, "bench_palette: no window manager; figures without one\n");
        QThread::msleep(300);
    }

    QTemporaryDir work;
    const QString defaultFolder = work.filePath(QStringLiteral("default"));
    const QString largestFolder = work.filePath(QStringLiteral("largest"));
    QDir().mkpath(defaultFolder);
    QDir().mkpath(largestFolder);
    const QString largest = largestSettingText();
    if (!writeSetting(defaultFolder, DefaultSettingFileText()) ||
        !writeSetting(largestFolder, largest)) {
        std::fprintf(stderr, "bench_palette: cannot write the setting files\n");
        return 2;
    }
    const double largestMb =
        QFileInfo(QDir(largestFolder).filePath(QStringLiteral("Quorvel.xml"))).size() / 1048576.0;
    gStr_ProgramName = QStringLiteral("Quorvel");
    gStr_SettingFile = QStringLiteral("Quorvel.xml");
    mdl_Palette::SetQuitHandler([] {});

    std::printf("Palette figures, median of %d runs (starts: %d); largest file: 99 frames x "
                "100 items, %.2f MB\n\n",
                runs, startRuns, largestMb);
    std::printf("%-46s %14s  %-22s %-10s\n", "figure", "measured", "target", "ratio");

    const QString palette = kBinaryDir + QStringLiteral("/programs/Quorvel");
    std::vector<Start> starts{{kBinaryDir + QStringLiteral("/bench/bench_bare_window"),
                               {QString::number(kDefaultWidth), QString::number(kDefaultHeight)}},
                              {palette, {QStringLiteral("--settings-dir"), defaultFolder}},
                              {palette, {QStringLiteral("--settings-dir"), largestFolder}}};
    QStringList others;
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--compare"))
            others.append(QFileInfo(arguments.at(i + 1)).absoluteFilePath());
    }
    for (const QString &other : std::as_const(others))
        starts.push_back({other, {QStringLiteral("--settings-dir"), defaultFolder}});
    const std::vector<StartFigures> started = measureStarts(display, starts, startRuns);
    const StartFigures &bare = started[0];
    const StartFigures &standard = started[1];
    const StartFigures &big = started[2];
    printRow("bare window: first map", bare.mapMs, "ms", {}, {}, true);
    printRow("bare window: peak memory", bare.peakMb, "MB", {}, {}, true);

    const double standardRatio = standard.mapMs / bare.mapMs;
    printRow("default file: first map", standard.mapMs, "ms", QStringLiteral("<= 1.3 x bare"),
             QStringLiteral("%1 x").arg(standardRatio, 0, 'f', 2), standardRatio <= 1.3);
    printRow("default file: peak memory", standard.peakMb, "MB", {},
             QStringLiteral("%1 x").arg(standard.peakMb / bare.peakMb, 0, 'f', 2), true);

    const double bigRatio = big.mapMs / bare.mapMs;
    printRow("99 x 100 file: first map", big.mapMs, "ms", QStringLiteral("<= 3 x bare"),
             QStringLiteral("%1 x").arg(bigRatio, 0, 'f', 2), bigRatio <= 3);
    const double memoryRatio = big.peakMb / standard.peakMb;
    printRow("99 x 100 file: peak memory", big.peakMb, "MB", QStringLiteral("<= 2 x default's"),
             QStringLiteral("%1 x").arg(memoryRatio, 0, 'f', 2), memoryRatio <= 2);

    for (qsizetype i = 0; i < others.size(); ++i) {
        const StartFigures &figures = started[3 + size_t(i)];
        std::printf("%s\n", qPrintable(others.at(i)));
        printRow("  compared palette, default file: first map", figures.mapMs, "ms", {},
                 QStringLiteral("%1 x").arg(figures.mapMs / bare.mapMs, 0, 'f', 2), true);
    }
    if (arguments.contains(QStringLiteral("--starts-only"))) {
        stop(windowManager);
        return 0;
    }

    const double listSmall = measureList(defaultFolder, runs + 2);
    const double listLarge = measureList(largestFolder, runs + 2);
    printRow("--list, default file (processor time)", listSmall, "ms", {}, {}, true);
    printRow("--list, 1 MB file (processor time)", listLarge, "ms", {}, {}, true);
    printRow("--list: added by the 1 MB file", listLarge - listSmall, "ms",
             QStringLiteral("<= 20 ms"), {}, listLarge - listSmall <= 20);

    std::vector<double> moveRuns;
    for (int run = 0; run < 3; ++run)
        moveRuns.push_back(measurePointerMove(largestFolder));
    const bool moveMeasured = std::ranges::none_of(moveRuns, [](double v) { return v < 0; });
    const double move = moveMeasured ? median(moveRuns) : -1;
    printRow("99 x 100 palette: pointer move (processor)", move, "ms", QStringLiteral("<= 1 ms"),
             {}, move >= 0 && move <= 1);

    const auto [preview, repeated] = measurePreview(largestFolder, std::max(1, runs / 2));
    printRow("editor preview of the 99 x 100 file", preview, "ms", QStringLiteral("<= 300 ms"), {},
             preview >= 0 && preview <= 300);
    printRow("editor preview again (reload)", repeated, "ms", QStringLiteral("<= 300 ms"), {},
             repeated >= 0 && repeated <= 300);

    stop(windowManager);
    return 0;
}
