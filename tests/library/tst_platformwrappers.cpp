#include "MessageBoxRecorder.h"
#include "ProcessState.h"
#include "platform_widgets.h"
#include "platform_wrappers.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

#ifdef Q_OS_LINUX
#include <csignal>
#endif

namespace {

bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 3000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

} // namespace

class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class tst_PlatformWrappers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void errorBox();
    void yesNo_data();
    void yesNo();
    void unattendedAnswer_data();
    void unattendedAnswer();
    void shellOpenCode_data();
    void shellOpenCode();
    void shellOpenShowsFailure();
    void shellResultText_data();
    void shellResultText();
    void openProcess_data();
    void openProcess();
    void terminateProcess_data();
    void terminateProcess();
    void terminateIgnoresBadIds();
    void windowCommand_data();
    void windowCommand();
    void topMostKeepsGeometry();
    void messageBoxDialog();

private:
    const QList<RecordedBox> &boxes() const { return m_recorder->boxes(); }

    std::optional<MessageBoxRecorder> m_recorder;
    UrlRecorder m_urls;
    QTemporaryDir m_dir;
    QList<qint64> m_started;
};

void tst_PlatformWrappers::init()
{
    m_recorder.emplace();
    m_urls.opened.clear();
    QDesktopServices::setUrlHandler("file", &m_urls, "open");
    QDesktopServices::setUrlHandler("https", &m_urls, "open");
    // A handler without the slot makes the open fail, as a refused open does.
    QDesktopServices::setUrlHandler("quorvelrefused", &m_urls, "noSuchSlot");
}

void tst_PlatformWrappers::cleanup()
{
    m_recorder.reset();
    for (const char *scheme : {"file", "https", "quorvelrefused"})
        QDesktopServices::unsetUrlHandler(scheme);
    for (const qint64 pid : std::as_const(m_started)) {
#ifdef Q_OS_LINUX
        if (processRuns(pid))
            ::kill(pid_t(pid), SIGKILL);
#endif
    }
    m_started.clear();
}

void tst_PlatformWrappers::errorBox()
{
    const VbError error{53, QStringLiteral("File not found"), QStringLiteral("Tools")};
    QCOMPARE(FncStr_ErrorText(error), QStringLiteral("53 File not found\rTools"));
    Sub_ShowError(error);
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(boxes()[0].title, QStringLiteral("VB Error"));
    QCOMPARE(boxes()[0].style, MsgBox::Critical | MsgBox::OkOnly);
    QCOMPARE(boxes()[0].prompt, FncStr_ErrorText(error));
}

void tst_PlatformWrappers::yesNo_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("ok") << int(MsgBox::Ok) << true;
    QTest::newRow("yes") << int(MsgBox::Yes) << true;
    QTest::newRow("cancel") << int(MsgBox::Cancel) << false;
    QTest::newRow("no") << int(MsgBox::No) << false;
    QTest::newRow("retry") << 4 << false;
}

void tst_PlatformWrappers::yesNo()
{
    QFETCH(int, answer);
    QFETCH(bool, confirmed);
    m_recorder->queueAnswer(answer);
    QCOMPARE(FncBln_MessageBoxYesNo(MsgBox::Question | MsgBox::YesNo, "sure?", "title"), confirmed);
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(boxes()[0].style, MsgBox::Question | MsgBox::YesNo);
}

void tst_PlatformWrappers::unattendedAnswer_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("answer");
    QTest::newRow("ok only") << int(MsgBox::Exclamation) << int(MsgBox::Ok);
    QTest::newRow("ok cancel") << int(MsgBox::OkCancel | MsgBox::Question) << int(MsgBox::Ok);
    QTest::newRow("yes no") << int(MsgBox::YesNo) << int(MsgBox::Yes);
    QTest::newRow("yes no cancel") << 3 << int(MsgBox::Yes);
    QTest::newRow("retry cancel") << 5 << 4;
}

void tst_PlatformWrappers::unattendedAnswer()
{
    QFETCH(int, style);
    QFETCH(int, answer);
    SetMessageBoxHandler({});
    QCOMPARE(FncInt_MessageBox(style, "unattended", "box"), answer);
}

void tst_PlatformWrappers::shellOpenCode_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("openedFile"); // relative to the temporary folder

    QTest::newRow("existing file") << "doc.txt" << 42 << "doc.txt";
    QTest::newRow("existing folder") << "folder" << 42 << "folder";
    QTest::newRow("missing file") << "missing.txt" << 2 << "";
    QTest::newRow("missing folder part") << "nowhere/missing.txt" << 3 << "";
    QTest::newRow("empty") << "" << 2 << "";
    QTest::newRow("blank") << "   " << 2 << "";
    QTest::newRow("refused") << "quorvelrefused:thing" << 31 << "";
}

void tst_PlatformWrappers::shellOpenCode()
{
    QFETCH(QString, path);
    QFETCH(int, code);
    QFETCH(QString, openedFile);
    QVERIFY(QDir(m_dir.path()).mkpath("folder"));
    QFile doc(m_dir.filePath("doc.txt"));
    QVERIFY(doc.open(QIODevice::WriteOnly));
    doc.close();

    if (code == 31)
        QTest::ignoreMessage(
            QtWarningMsg,
            "QMetaObject::invokeMethod: No such method UrlRecorder::noSuchSlot(QUrl)");
    // Relative paths resolve against the working folder, absolute ones stand alone.
    QCOMPARE(FncInt_ShellOpenCode(path, m_dir.path()), code);
    if (!path.trimmed().isEmpty() && !path.contains(':'))
        QCOMPARE(FncInt_ShellOpenCode(m_dir.filePath(path)), code);
    if (openedFile.isEmpty()) {
        QVERIFY(m_urls.opened.isEmpty());
    } else {
        QCOMPARE(m_urls.opened.size(), 2);
        QCOMPARE(m_urls.opened[0], QUrl::fromLocalFile(m_dir.filePath(openedFile)));
    }
}

void tst_PlatformWrappers::shellOpenShowsFailure()
{
    QGuiApplication::setApplicationDisplayName("Quorvel");
    QVERIFY(!FncBln_ShellOpen(nullptr, m_dir.filePath("missing.xml")));
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(boxes()[0].prompt, QStringLiteral("File not found"));
    QCOMPARE(boxes()[0].title, QStringLiteral("Quorvel"));
    QCOMPARE(boxes()[0].style, int(MsgBox::OkOnly));

    QVERIFY(FncBln_ShellOpen(nullptr, "https://example.org/x"));
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(m_urls.opened, QList<QUrl>{QUrl("https://example.org/x")});
}

void tst_PlatformWrappers::shellResultText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("2") << 2 << "File not found";
    QTest::newRow("3") << 3 << "Path not found";
    QTest::newRow("11") << 11 << "Invalid EXE file or error in EXE image";
    QTest::newRow("31") << 31 << "No association for file extension";
    QTest::newRow("32") << 32 << "DLL not found";
    QTest::newRow("0") << 0 << "Unknown error";
    QTest::newRow("12") << 12 << "Unknown error";
    QTest::newRow("25") << 25 << "Unknown error";
}

void tst_PlatformWrappers::shellResultText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(FncStr_ShellResultText(code), text);
}

void tst_PlatformWrappers::openProcess_data()
{
    QTest::addColumn<qint64>("pid");
    QTest::newRow("zero") << qint64(0);
    QTest::newRow("negative") << qint64(-1);
    QTest::newRow("beyond pid range") << (qint64(1) << 40);
    QTest::newRow("no such process") << qint64(0x7ffffff0);
}

void tst_PlatformWrappers::openProcess()
{
    QFETCH(qint64, pid);
    QCOMPARE(FncLng_OpenProcess(pid), qint64(0));
    QCOMPARE(FncLng_OpenProcess(QCoreApplication::applicationPid()),
             QCoreApplication::applicationPid());
}

void tst_PlatformWrappers::terminateProcess_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("openFirst");
    QTest::newRow("ends on request") << "exec sleep 30" << true;
    QTest::newRow("not opened before") << "exec sleep 30" << false;
    QTest::newRow("ignores the request") << "trap '' TERM; exec sleep 30" << true;
}

void tst_PlatformWrappers::terminateProcess()
{
#ifndef Q_OS_LINUX
    QSKIP("Watches the processes through /proc");
#endif
    QFETCH(QString, script);
    QFETCH(bool, openFirst);
    qint64 pid = 0;
    QVERIFY(QProcess::startDetached("sh", {"-c", script}, {}, &pid));
    m_started.append(pid);
    // Wait for the exec, so that the trap is in place before the signal.
    QVERIFY(waitUntil([pid] {
        QFile cmd(QStringLiteral("/proc/%1/cmdline").arg(pid));
        return cmd.open(QIODevice::ReadOnly) && cmd.readAll().startsWith("sleep");
    }));
    if (openFirst)
        QCOMPARE(FncLng_OpenProcess(pid), pid);
    Sub_TerminateProcess(pid);
    QVERIFY(waitUntil([pid] { return !processRuns(pid); }));
    QCOMPARE(FncLng_OpenProcess(pid) == 0, !QFile::exists(QStringLiteral("/proc/%1").arg(pid)));
}

void tst_PlatformWrappers::terminateIgnoresBadIds()
{
#ifndef Q_OS_LINUX
    QSKIP("Watches the processes through /proc");
#endif
    qint64 pid = 0;
    QVERIFY(QProcess::startDetached("sleep", {"30"}, {}, &pid));
    m_started.append(pid);
    QVERIFY(waitUntil([pid] { return processRuns(pid); }));
    // kill(0) and kill(-1) would reach the whole group or every process of the user.
    Sub_TerminateProcess(0);
    Sub_TerminateProcess(-1);
    Sub_TerminateProcess(qint64(1) << 40);
    Sub_TerminateProcess(QCoreApplication::applicationPid());
    QTest::qWait(50);
    QVERIFY(processRuns(pid));
}

void tst_PlatformWrappers::windowCommand_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("minimized");
    QTest::newRow("close") << 0 << false << false;
    QTest::newRow("activate") << 1 << true << false;
    QTest::newRow("restore") << 2 << true << false;
    QTest::newRow("raise") << 3 << true << false;
    QTest::newRow("minimise") << 4 << true << true;
    QTest::newRow("unknown") << 9 << true << false;
    QTest::newRow("negative") << -1 << true << false;
}

void tst_PlatformWrappers::windowCommand()
{
    QFETCH(int, command);
    QFETCH(bool, visible);
    QFETCH(bool, minimized);
    QWidget window;
    window.setGeometry(120, 140, 200, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (command == 2)
        window.showMinimized();
    const QRect before = window.geometry();

    QVERIFY(FncBln_WindowCommand(&window, command));
    QCOMPARE(window.isVisible(), visible);
    QCOMPARE(window.isMinimized(), minimized);
    if (visible)
        QCOMPARE(window.geometry(), before);
    QVERIFY(!FncBln_WindowCommand(nullptr, command));
}

void tst_PlatformWrappers::topMostKeepsGeometry()
{
    QWidget window;
    window.setGeometry(150, 160, 220, 330);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.geometry();

    Sub_SetTopMost(&window, true);
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window.isVisible());
    QCOMPARE(window.geometry(), before);

    Sub_SetTopMost(&window, false);
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window.isVisible());
    QCOMPARE(window.geometry(), before);

    QWidget hidden;
    Sub_SetTopMost(&hidden, true);
    QVERIFY(hidden.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!hidden.isVisible());
    Sub_SetTopMost(nullptr, true);
}

void tst_PlatformWrappers::messageBoxDialog()
{
    InstallMessageBoxDialogs();
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        answerer.stop();
        title = box->windowTitle();
        icon = box->icon();
        buttonCount = int(box->buttons().size());
        box->button(QMessageBox::No)->click();
    });
    answerer.start(10);
    QCOMPARE(FncInt_MessageBox(MsgBox::Question | MsgBox::YesNo, "Delete?", "Confirm"),
             int(MsgBox::No));
    QCOMPARE(title, QStringLiteral("Confirm"));
    QCOMPARE(icon, QMessageBox::Question);
    QCOMPARE(buttonCount, 2);
}

QTEST_MAIN(tst_PlatformWrappers)
#include "tst_platformwrappers.moc"
