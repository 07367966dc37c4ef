// The real editor on a real X display with a window manager, driven by the keyboard alone:
// open a file through the menu, preview it twice, add a frame and an item, save, and compare
// the saved file byte for byte.
#include "DesktopPrograms.h"
#include "TestFiles.h"
#include "cp932_codec.h"
#include "single_instance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kProgram = QStringLiteral(QUORVEL_BINARY_DIR "/programs/QuorvelMate");

QByteArray settingBytes(const QString &title, const QString &frames)
{
    const QString text =
        QStringLiteral("<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n<myItem>\r\n"
                       "<ColorSetting><Base>C0C0FF</Base></ColorSetting>\r\n"
                       "<CommonSetting><Title>%1</Title></CommonSetting>\r\n"
                       "<DataSetting>%2</DataSetting>\r\n</myItem>\r\n")
            .arg(title, frames);
    return *Cp932Codec::encode(text);
}

// What the save writes for the opened file with the new frame and item.
QByteArray expectedBytes()
{
    QString text = QStringLiteral(
        "<?xml version = '1.0' encoding = 'Shift_JIS'?>\n<myItem>\n"
        "\t<ColorSetting><Base>C0C0FF</Base>\n<Title></Title>\n<Label></Label>\n"
        "<Back></Back>\n<Fore></Fore>\n</ColorSetting>\n"
        "\t<CommonSetting><Title>テスト</Title>\n<Version>False</Version>\n"
        "<TopMost>False</TopMost>\n<ModeSelecter>False</ModeSelecter>\n"
        "<PictureName></PictureName>\n<Align></Align>\n<Valign></Valign>\n"
        "<PositioningTop>0</PositioningTop>\n<PositioningLeft>0</PositioningLeft>\n"
        "<Font>ＭＳ ゴシック</Font>\n<FontSize>9</FontSize>\n<ItemHeight>225</ItemHeight>\n"
        "<ItemWidth>2445</ItemWidth>\n<MarginTop>270</MarginTop>\n"
        "<MarginBottom>70</MarginBottom>\n</CommonSetting>\n"
        "\t<DataSetting><Frame1><Title>Target</Title><Item1><Name>one</Name><Data>1</Data>"
        "</Item1></Frame1>\n<Frame2><Title>Fresh</Title>\n<Font>ＭＳ ゴシック</Font>\n"
        "<ItemFont>ＭＳ ゴシック</ItemFont>\n<LineCount>1</LineCount>\n"
        "<Item1><Name>Item A</Name>\n<Data></Data>\n</Item1>\n</Frame2>\n</DataSetting>\n\n"
        "</myItem>");
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return *Cp932Codec::encode(text);
}

// Keys as the user types them, a moment apart so that each lands where the last one led.
void keys(const QStringList &sequence)
{
    for (const QString &key : sequence) {
        QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("key"), key}));
        QTest::qWait(400);
    }
}

void type(const QString &text)
{
    QVERIFY(run(QStringLiteral("xdotool"), {"type", "--delay", "20", text}));
    QTest::qWait(300);
}

void activateEditor()
{
    const QStringList editors = windowsNamed(QStringLiteral("^QuorvelMate ver"));
    QCOMPARE(editors.size(), 1);
    QVERIFY(run(QStringLiteral("xdotool"), {"windowactivate", "--sync", editors.first()}));
    QTest::qWait(300);
}

} // namespace

class tst_EditorE2E : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void keyboardOnlySession();

private:
    QTemporaryDir m_start;
    QTemporaryDir m_other;
    QTemporaryDir m_runtime;
    QProcess m_windowManager;
    QProcess m_editor;
};

void tst_EditorE2E::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        QSKIP("needs an X display (run under tools/with-xvfb.sh)");
    }
    for (const char *tool : {"xdotool", "openbox"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            QSKIP(qPrintable(QStringLiteral("needs %1").arg(QLatin1String(tool))));
        }
    }
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
    if (SingleInstance::sendRequest(kProgram, {}, 300)) {
        QSKIP("an editor of this build is already running");
    }
    QVERIFY(m_start.isValid() && m_other.isValid() && m_runtime.isValid());
    m_windowManager.start(QStringLiteral("openbox"), {});
    QVERIFY(m_windowManager.waitForStarted(10000));
    QTest::qWait(1000);
}

void tst_EditorE2E::cleanupTestCase()
{
    endProgram(m_editor);
    endProgram(m_windowManager);
}

void tst_EditorE2E::keyboardOnlySession()
{
    const QString startFile = QDir(m_start.path()).filePath("first.xml");
    const QString target = QDir(m_other.path()).filePath("target.xml");
    QVERIFY(writeBytes(startFile,
                       settingBytes(QStringLiteral("最初"),
                                    QStringLiteral("<Frame1><Title>for Edit</Title><Item1><Name>a"
                                                   "</Name><Data>x</Data></Item1></Frame1>"))));
    QVERIFY(writeBytes(target,
                       settingBytes(QStringLiteral("テスト"),
                                    QStringLiteral("<Frame1><Title>Target</Title><Item1><Name>one"
                                                   "</Name><Data>1</Data></Item1></Frame1>"))));

    prepareProgram(m_editor, m_runtime.path());
    m_editor.start(kProgram, {"--settings-dir", m_start.path(), "first"});
    QVERIFY(m_editor.waitForStarted(10000));
    QTRY_COMPARE_WITH_TIMEOUT(windowsNamed(QStringLiteral("^QuorvelMate ver")).size(), 1, 15000);
    activateEditor();

    // ファイル → 開く, the file name typed into the dialog.
    keys({"alt+f", "o"});
    QTRY_COMPARE_WITH_TIMEOUT(windowsNamed(QStringLiteral("設定ファイルを選択")).size(), 1, 10000);
    type(target);
    keys({"Return"});
    QTRY_COMPARE_WITH_TIMEOUT(windowsNamed(QStringLiteral("設定ファイルを選択")).size(), 0, 10000);
    QTest::qWait(1000);
    QCOMPARE(m_editor.state(), QProcess::Running);

    // Two previews in a row: the editor keeps running.
    for (int k = 0; k < 2; ++k) {
        activateEditor();
        keys({"alt+f", "r"});
        QTRY_COMPARE_WITH_TIMEOUT(windowsNamed(QStringLiteral("^テスト$")).size(), 1, 10000);
        QTest::qWait(500);
        QCOMPARE(m_editor.state(), QProcess::Running);
    }

    // A new frame and a new item in it, from the tree with the keyboard, then Ctrl+S.
    activateEditor();
    keys({"Tab", "alt+e", "n"});
    type(QStringLiteral("Fresh"));
    keys({"Return", "End", "alt+e", "i"});
    type(QStringLiteral("Item A"));
    keys({"Return", "End", "ctrl+s"});

    const QByteArray expected = expectedBytes();
    QFile saved(target);
    QTRY_VERIFY_WITH_TIMEOUT(saved.open(QIODevice::ReadOnly) && saved.readAll() == expected &&
                                 (saved.close(), true),
                             10000);
    // ファイル → 終了 ends the program normally.
    activateEditor();
    keys({"alt+f", "x"});
    // The keys wait between presses: the program may have ended before this looks.
    QTRY_COMPARE_WITH_TIMEOUT(m_editor.state(), QProcess::NotRunning, 10000);
    QCOMPARE(m_editor.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_editor.exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_EditorE2E)
#include "tst_editor_e2e.moc"
