// The real palette on a real X display: a click on an item edits the clipboard, and a
// second start ends at once.
#include "single_instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kProgram = QStringLiteral(QUORVEL_BINARY_DIR "/programs/Quorvel");

QByteArray readClipboard()
{
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"});
    if (!xclip.waitForFinished(5000)) {
        xclip.kill();
        xclip.waitForFinished();
        return {};
    }
    return xclip.readAllStandardOutput();
}

bool setClipboard(const QByteArray &text)
{
    // xclip leaves a child behind that owns the clipboard until someone else takes it.
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {"-i", "-selection", "clipboard"});
    if (!xclip.waitForStarted(5000)) {
        return false;
    }
    xclip.write(text);
    xclip.closeWriteChannel();
    return xclip.waitForFinished(5000) && xclip.exitCode() == 0;
}

} // namespace

class tst_PaletteE2E : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void clickEditsClipboardAndSecondStartEnds();

private:
    QProcessEnvironment environment() const;
    void startPalette(const QString &click = {});
    void stopPalette();

    QTemporaryDir m_settings;
    QTemporaryDir m_runtime; // a private XDG_RUNTIME_DIR keeps Qt from warning about it
    QProcess m_palette;
};

void tst_PaletteE2E::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        QSKIP("needs an X display (run under tools/with-xvfb.sh)");
    }
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty()) {
        QSKIP("needs xclip");
    }
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
    if (SingleInstance::sendRequest(kProgram, {}, 300)) {
        QSKIP("a palette of this build is already running");
    }
    QVERIFY(m_settings.isValid());
    QVERIFY(m_runtime.isValid());
}

void tst_PaletteE2E::cleanup()
{
    stopPalette();
}

QProcessEnvironment tst_PaletteE2E::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("QUORVEL_TEST_CLICK"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    return environment;
}

void tst_PaletteE2E::startPalette(const QString &click)
{
    QProcessEnvironment environment = this->environment();
    if (!click.isEmpty()) {
        environment.insert(QStringLiteral("QUORVEL_TEST_CLICK"), click);
    }
    m_palette.setProcessEnvironment(environment);
    m_palette.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_palette.start(kProgram, {"--settings-dir", m_settings.path()});
    QVERIFY(m_palette.waitForStarted(10000));
}

void tst_PaletteE2E::stopPalette()
{
    if (m_palette.state() != QProcess::NotRunning) {
        m_palette.terminate();
        if (!m_palette.waitForFinished(5000)) {
            m_palette.kill();
            m_palette.waitForFinished(5000);
        }
    }
}

void tst_PaletteE2E::clickEditsClipboardAndSecondStartEnds()
{
    QVERIFY(setClipboard("a\tb"));
    QTRY_COMPARE_WITH_TIMEOUT(readClipboard(), QByteArray("a\tb"), 5000);

    startPalette(QStringLiteral("for Edit/TABをカンマに置換"));
    if (QTest::currentTestFailed()) {
        return;
    }
    // The first start writes the default setting file into its settings folder.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_settings.filePath(QStringLiteral("Quorvel.xml"))),
                             10000);
    QTRY_COMPARE_WITH_TIMEOUT(readClipboard(), QByteArray("a,b"), 15000);
    QCOMPARE(m_palette.state(), QProcess::Running);

    // A second start ends at once, silently, and leaves the first one running.
    QProcess second;
    second.setProcessEnvironment(environment());
    second.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer timer;
    timer.start();
    second.start(kProgram, {"--settings-dir", m_settings.path()});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(second.readAll(), QByteArray());
    QCOMPARE(m_palette.state(), QProcess::Running);
    // The palette still owns and serves the clipboard.
    QCOMPARE(readClipboard(), QByteArray("a,b"));

    // A palette that was killed leaves its socket behind; the next start still runs.
    m_palette.kill();
    QVERIFY(m_palette.waitForFinished(5000));
    startPalette();
    QTest::qWait(1500);
    QCOMPARE(m_palette.state(), QProcess::Running);
    QVERIFY(SingleInstance::sendRequest(kProgram, {}, 2000));
}

QTEST_GUILESS_MAIN(tst_PaletteE2E)
#include "tst_palette_e2e.moc"
