// Quorvel --run against the real palette on a real X display (with a window manager and
// the clipboard through xclip): items run as a click runs them, undo takes runs back,
// and the exit status tells the caller what happened.
#include "setting_model.h"
#include "single_instance.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kProgram = QStringLiteral(QUORVEL_BINARY_DIR "/programs/Quorvel");

QString element(const QString &key, const QString &value)
{
    return u"<%1>%2</%1>"_s.arg(key, value);
}

QString item(int number, const QString &name, const QString &key, const QString &value,
             const QString &replacement = {})
{
    QString text = element(u"Name"_s, name) + element(key, value);
    if (!replacement.isEmpty())
        text += element(u"Replace"_s, replacement);
    return element(u"Item%1"_s.arg(number), text);
}

// Frame "F": tab, bad, slow, then c1 ... c11 (copy items putting "v1" ... "v11").
QString settingText()
{
    QString items = item(1, u"tab"_s, u"Reg"_s, u"\t"_s, u","_s) +
                    item(2, u"bad"_s, u"Reg"_s, u"("_s, u"x"_s) +
                    item(3, u"slow"_s, u"Reg"_s, u"(?:\\s|\\t)+$"_s, u"-"_s);
    for (int i = 1; i <= 11; ++i)
        items += item(3 + i, u"c%1"_s.arg(i), u"Data"_s, u"v%1"_s.arg(i));
    const QString frame = element(u"Frame1"_s, element(u"Title"_s, u"F"_s) + items);
    return u"<myItem>"_s + element(u"CommonSetting"_s, {}) + element(u"DataSetting"_s, frame) +
           u"</myItem>"_s;
}

QByteArray readClipboard(const QString &target = {})
{
    QStringList arguments{"-o", "-selection", "clipboard"};
    if (!target.isEmpty())
        arguments << "-t" << target;
    QProcess xclip;
    xclip.start(u"xclip"_s, arguments);
    if (!xclip.waitForFinished(10000)) {
        xclip.kill();
        xclip.waitForFinished();
        return {};
    }
    return xclip.readAllStandardOutput();
}

bool setClipboard(const QByteArray &bytes, const QString &target = {})
{
    QStringList arguments{"-i", "-selection", "clipboard"};
    if (!target.isEmpty())
        arguments << "-t" << target;
    // xclip leaves a child behind that owns the clipboard until someone else takes it.
    QProcess xclip;
    xclip.start(u"xclip"_s, arguments);
    if (!xclip.waitForStarted(5000))
        return false;
    xclip.write(bytes);
    xclip.closeWriteChannel();
    return xclip.waitForFinished(10000) && xclip.exitCode() == 0;
}

struct Run
{
    int exitCode = -1;
    QString error;
};

} // namespace

class tst_PaletteRemote : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void noPaletteRuns();
    void run_data();
    void run();
    void undoElevenRuns();
    void imageRestoredByteForByte();
    void busyPaletteRefusesAndEscCancels();

private:
    QProcessEnvironment environment() const;
    void startPalette();
    Run quorvel(const QStringList &arguments, int timeoutMs = 30000) const;
    QProcess *startQuorvel(const QStringList &arguments) const;

    QTemporaryDir m_settings;
    QTemporaryDir m_runtime; // a private XDG_RUNTIME_DIR keeps Qt from warning about it
    QProcess m_windowManager;
    QProcess m_palette;
};

void tst_PaletteRemote::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display (run under tools/with-xvfb.sh)");
    for (const QString &tool : {u"xclip"_s, u"openbox"_s, u"xdotool"_s}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(u"needs "_s + tool));
    }
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
    if (SingleInstance::sendRequest(kProgram, {}, 300))
        QSKIP("a palette of this build is already running");
    QVERIFY(m_settings.isValid());
    QVERIFY(m_runtime.isValid());
    Cls_MySettingFile file;
    file.Path(m_settings.path());
    file.Name(u"Quorvel.xml"_s);
    QVERIFY(file.SaveFile(settingText()));

    m_windowManager.setProcessEnvironment(environment());
    m_windowManager.start(u"openbox"_s, {});
    QVERIFY(m_windowManager.waitForStarted(5000));
}

void tst_PaletteRemote::cleanupTestCase()
{
    for (QProcess *process : {&m_palette, &m_windowManager}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
}

QProcessEnvironment tst_PaletteRemote::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"QT_QPA_PLATFORM"_s);
    environment.remove(u"QUORVEL_TEST_CLICK"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_runtime.path());
    return environment;
}

void tst_PaletteRemote::startPalette()
{
    if (m_palette.state() == QProcess::Running)
        return;
    m_palette.setProcessEnvironment(environment());
    m_palette.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_palette.start(kProgram, {"--settings-dir", m_settings.path()});
    QVERIFY(m_palette.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(SingleInstance::sendRequest(kProgram, {}, 300), 15000);
}

QProcess *tst_PaletteRemote::startQuorvel(const QStringList &arguments) const
{
    auto *process = new QProcess(const_cast<tst_PaletteRemote *>(this));
    process->setProcessEnvironment(environment());
    process->start(kProgram, arguments);
    return process;
}

Run tst_PaletteRemote::quorvel(const QStringList &arguments, int timeoutMs) const
{
    QProcess *process = startQuorvel(arguments);
    Run run;
    if (process->waitForFinished(timeoutMs) && process->exitStatus() == QProcess::NormalExit) {
        run.exitCode = process->exitCode();
        run.error = QString::fromUtf8(process->readAllStandardError());
    }
    process->deleteLater();
    return run;
}

void tst_PaletteRemote::noPaletteRuns()
{
    const Run run = quorvel({"--run", "F/tab"});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.error.contains(u"no palette is running"_s), qPrintable(run.error));
}

void tst_PaletteRemote::run_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("error");

    QTest::newRow("edit") << QStringList{"--run", "F/tab"} << QByteArray("a\tb") << 0
                          << QByteArray("a,b") << QString();
    QTest::newRow("by number") << QStringList{"--run", "1/1"} << QByteArray("c\td") << 0
                               << QByteArray("c,d") << QString();
    QTest::newRow("append") << QStringList{"--run", "F/c1", "--append"} << QByteArray("in") << 0
                            << QByteArray("inv1") << QString();
    QTest::newRow("pattern error") << QStringList{"--run", "F/bad"} << QByteArray("keep") << 3
                                   << QByteArray("keep") << u"pattern error in \"F/bad\""_s;
    QTest::newRow("unknown item") << QStringList{"--run", "F/nope"} << QByteArray("keep") << 2
                                  << QByteArray("keep") << u"no item \"F/nope\""_s;
    QTest::newRow("no item") << QStringList{"--run"} << QByteArray("keep") << 2
                             << QByteArray("keep") << u"needs one item"_s;
    QTest::newRow("not with --apply")
        << QStringList{"--run", "--apply", "F/tab"} << QByteArray("keep") << 2 << QByteArray("keep")
        << u"--apply does not go with --run"_s;
}

void tst_PaletteRemote::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, before);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, after);
    QFETCH(QString, error);
    startPalette();
    QVERIFY(setClipboard(before));
    QTRY_COMPARE_WITH_TIMEOUT(readClipboard(), before, 5000);

    const Run run = quorvel(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(error.isEmpty() ? run.error.isEmpty() : run.error.contains(error),
             qPrintable(run.error));
    QCOMPARE(readClipboard(), after);
}

void tst_PaletteRemote::undoElevenRuns()
{
    startPalette();
    QVERIFY(setClipboard("start"));
    QTRY_COMPARE_WITH_TIMEOUT(readClipboard(), QByteArray("start"), 5000);
    for (int i = 1; i <= 11; ++i) {
        QCOMPARE(quorvel({"--run", u"F/c%1"_s.arg(i)}).exitCode, 0);
        QCOMPARE(readClipboard(), u"v%1"_s.arg(i).toUtf8());
    }
    // The last ten runs come back, newest first; what the first one replaced is gone.
    for (int i = 10; i >= 1; --i) {
        QCOMPARE(quorvel({"--run", "--undo"}).exitCode, 0);
        QCOMPARE(readClipboard(), u"v%1"_s.arg(i).toUtf8());
    }
    const Run nothing = quorvel({"--undo", "--run"});
    QCOMPARE(nothing.exitCode, 5);
    QVERIFY2(nothing.error.contains(u"nothing to undo"_s), qPrintable(nothing.error));
    QCOMPARE(readClipboard(), QByteArray("v1"));
}

void tst_PaletteRemote::imageRestoredByteForByte()
{
    startPalette();
    QImage image(37, 23, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 7, y * 11, (x * y) % 256, 128 + x));
    }
    QByteArray png;
    QBuffer buffer(&png);
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(image.save(&buffer, "PNG"));
    QVERIFY(setClipboard(png, u"image/png"_s));
    QTRY_COMPARE_WITH_TIMEOUT(readClipboard(u"image/png"_s), png, 5000);

    // An edit item leaves an image alone; a copy item replaces it with text.
    QCOMPARE(quorvel({"--run", "F/tab"}).exitCode, 0);
    QCOMPARE(readClipboard(u"image/png"_s), png);
    QCOMPARE(quorvel({"--run", "F/c2"}).exitCode, 0);
    QCOMPARE(readClipboard(), QByteArray("v2"));

    QCOMPARE(quorvel({"--run", "--undo"}).exitCode, 0);
    QCOMPARE(readClipboard(u"image/png"_s), png);
    QVERIFY(readClipboard(u"TARGETS"_s).contains("image/png"));
}

void tst_PaletteRemote::busyPaletteRefusesAndEscCancels()
{
    startPalette();
    // 30 MB that the pattern backtracks over until its time limit of about 5 s.
    const QByteArray big = (QByteArray(1000, ' ') + 'x').repeated(30'000);
    QVERIFY(setClipboard(big));
    QTRY_VERIFY_WITH_TIMEOUT(readClipboard().size() == big.size(), 10000);

    QProcess *slow = startQuorvel({"--run", "F/slow"});
    QVERIFY(slow->waitForStarted(5000));
    QTest::qWait(1500);
    QCOMPARE(slow->state(), QProcess::Running);

    // Refused while the first one runs, not queued.
    const Run refused = quorvel({"--run", "F/c3"});
    QCOMPARE(refused.exitCode, 5);
    QVERIFY2(refused.error.contains(u"still running"_s), qPrintable(refused.error));

    // Esc in the palette window, as the user presses it.
    QProcess xdotool;
    xdotool.setProcessEnvironment(environment());
    xdotool.start(u"xdotool"_s,
                  {"search", "--sync", "--pid", QString::number(m_palette.processId()), "--name",
                   "Tarnwick", "windowactivate", "--sync", "key", "Escape"});
    QVERIFY(xdotool.waitForFinished(10000));
    QCOMPARE(xdotool.exitCode(), 0);

    QVERIFY(slow->waitForFinished(10000));
    QCOMPARE(slow->exitCode(), 5);
    QVERIFY(QString::fromUtf8(slow->readAllStandardError()).contains(u"cancelled"_s));
    const QByteArray after = readClipboard();
    QCOMPARE(after.size(), big.size());
    QVERIFY(after == big);
}

QTEST_GUILESS_MAIN(tst_PaletteRemote)
#include "tst_palette_remote.moc"
