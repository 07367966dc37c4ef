// A round trip through both programs on a real X display with a window manager: the editor's
// main form, driven by real pointer and key input (xdotool), takes the black "Pink" scheme,
// whole-window values and catalogue 0, saves through its menu and ends; the real editor
// program opens the file and saves it again unchanged; then the real palette program reads
// it and shows them: its item list, a picture of its window and the window itself.
#include "DesktopPrograms.h"
#include "EditorState.h"
#include "Frm_Setting.h"
#include "TestFiles.h"
#include "WindowManager.h"
#include "cp932_codec.h"
#include "platform_widgets.h"
#include "platform_wrappers.h"
#include "setting_model.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cmath>

namespace {

const QString kPalette = QStringLiteral(QUORVEL_BINARY_DIR "/programs/Quorvel");
const QString kEditor = QStringLiteral(QUORVEL_BINARY_DIR "/programs/QuorvelMate");
const QString kTitle = QStringLiteral("Roundtrip Pink");
constexpr int kItemWidth = 3000;

// What the palette lists for catalogue 0: its frames and their items, all without content.
QString expectedList()
{
    const QList<std::pair<QString, QStringList>> frames = {
        {"Base Frame", {"Form Frame", "Class Frame", "Priavte Type ", "Priavte Enum "}},
        {"Function",
         {"Private Sub", "Private Function (Boolean)", "Private Function (String)",
          "Private Function (Int)"}},
        {"Method Edit", {"Private to Public"}},
        {"Comment Header", {"Class", "Sub", "Function", "Event"}},
        {"Separat Comment", {"Big", "Middle", "Small"}},
        {"Variable", {"Default", "Count", "String", "Integer"}},
        {"Basic Source Tips", {"If", "If Len", "For", "For Each"}},
        {"Source Tips", {"ErrorMessage", "MessageBox"}},
        {"Link", {QStringLiteral("ﾏﾆｭｱﾙ")}},
    };
    QString text;
    for (qsizetype f = 0; f < frames.size(); ++f) {
        text += QStringLiteral("%1\t%2\n").arg(f + 1).arg(frames.at(f).first);
        for (qsizetype i = 0; i < frames.at(f).second.size(); ++i) {
            text += QStringLiteral("%1/%2\tnone\t%3\n")
                        .arg(f + 1)
                        .arg(i + 1)
                        .arg(frames.at(f).second.at(i));
        }
    }
    return text;
}

// Real pointer input at the widget's place on the screen; the event loop then handles it.
void click(QWidget *widget, QPoint local = {-1, -1})
{
    QVERIFY(widget != nullptr);
    QVERIFY2(widget->isVisible(), qPrintable(widget->objectName()));
    if (local == QPoint(-1, -1)) {
        local = widget->rect().center();
    }
    const QPoint at = widget->mapToGlobal(local);
    QVERIFY(run(QStringLiteral("xdotool"), {"mousemove", "--sync", QString::number(at.x()),
                                            QString::number(at.y()), "click", "1"}));
    QTest::qWait(250);
}

void keys(const QString &sequence)
{
    QVERIFY(run(QStringLiteral("xdotool"), {"key", "--delay", "60", sequence}));
    QTest::qWait(300);
}

void type(const QString &text)
{
    QVERIFY(run(QStringLiteral("xdotool"), {"type", "--delay", "30", text}));
    QTest::qWait(300);
}

// Replaces a one-line box's text as the user does: click, select all, type.
void retype(QLineEdit *box, const QString &text)
{
    click(box);
    keys(QStringLiteral("ctrl+a"));
    type(text);
    QTRY_COMPARE(box->text(), text);
}

int colourDistance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
}

// How many pixels of the picture are within a small distance of the colour.
int pixelsNear(const QImage &image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += colourDistance(image.pixel(x, y), colour) <= 24 ? 1 : 0;
        }
    }
    return count;
}

} // namespace

class tst_RoundtripE2E final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void editorSavesWhatPaletteShows();

private:
    void editInEditor();
    void resaveInEditorProgram();
    void checkPalette();
    // A copy of a program of this build: its single instance stays apart from the ones
    // other tests of the build may run at the same time.
    QString programCopy(const QString &program);
    void startProgram(QProcess &process, const QString &program, const QStringList &arguments);
    template<typename T> T *child(const QString &name) const
    {
        T *found = m_form->findChild<T *>(name);
        if (found == nullptr) {
            qWarning() << "no control" << name;
        }
        return found;
    }

    QTemporaryDir m_settings;
    QTemporaryDir m_runtime;
    WindowManager m_windowManager;
    EditorState m_state;
    QPointer<Frm_Setting> m_form;
    QProcess m_palette;
    QProcess m_editor;
};

void tst_RoundtripE2E::initTestCase()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
        QSKIP("needs an X display (run under tools/with-xvfb.sh)");
    }
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        QSKIP("needs xdotool");
    }
    QVERIFY2(m_windowManager.start(), "no window manager (openbox) could be started");
    for (const QString &program : {kPalette, kEditor}) {
        QVERIFY2(QFile::exists(program), qPrintable(program));
    }
    QVERIFY(m_settings.isValid() && m_runtime.isValid());
    // The real question boxes, answered below by a click on their Yes button.
    InstallMessageBoxDialogs();
}

void tst_RoundtripE2E::cleanupTestCase()
{
    Frm_Setting::SetEndHandler({});
    delete m_form;
    endProgram(m_palette);
    endProgram(m_editor);
    SetMessageBoxHandler({});
}

void tst_RoundtripE2E::editorSavesWhatPaletteShows()
{
    editInEditor();
    if (QTest::currentTestFailed()) {
        return;
    }
    resaveInEditorProgram();
    if (QTest::currentTestFailed()) {
        return;
    }
    checkPalette();
}

QString tst_RoundtripE2E::programCopy(const QString &program)
{
    const QString copy = QDir(m_runtime.path()).filePath(QFileInfo(program).fileName());
    if (!QFile::exists(copy) && !QFile::copy(program, copy)) {
        return {};
    }
    return copy;
}

void tst_RoundtripE2E::startProgram(QProcess &process, const QString &program,
                                    const QStringList &arguments)
{
    const QString copy = programCopy(program);
    QVERIFY2(!copy.isEmpty(), qPrintable(program));
    prepareProgram(process, m_runtime.path());
    process.start(copy, arguments);
    QVERIFY(process.waitForStarted(10000));
}

// The editor program opens the saved file, Ctrl+S writes it again byte for byte, and
// ファイル → 終了 ends the program normally.
void tst_RoundtripE2E::resaveInEditorProgram()
{
    const QString file = QDir(m_settings.path()).filePath(QStringLiteral("Quorvel.xml"));
    const QByteArray saved = fileBytes(file);
    QVERIFY(!saved.isEmpty());
    const QDateTime before = QFileInfo(file).lastModified();
    QTest::qWait(1100); // a later modification time than the first save's
    startProgram(m_editor, kEditor, {"--settings-dir", m_settings.path(), "Quorvel"});
    if (QTest::currentTestFailed()) {
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(windowsNamed(QStringLiteral("^QuorvelMate ver")).size(), 1, 15000);
    QVERIFY(
        run(QStringLiteral("xdotool"), {"windowactivate", "--sync",
                                        windowsNamed(QStringLiteral("^QuorvelMate ver")).first()}));
    QTest::qWait(500);
    keys(QStringLiteral("ctrl+s"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(file).lastModified() > before, 10000);
    QCOMPARE(fileBytes(file), saved);
    keys(QStringLiteral("alt+f"));
    keys(QStringLiteral("x"));
    QTRY_COMPARE_WITH_TIMEOUT(m_editor.state(), QProcess::NotRunning, 10000);
    QCOMPARE(m_editor.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_editor.exitCode(), 0);
}

void tst_RoundtripE2E::editInEditor()
{
    // An empty setting named after the palette, which reads it from its folder.
    const QString file = QDir(m_settings.path()).filePath(QStringLiteral("Quorvel.xml"));
    QVERIFY(writeBytes(file, *Cp932Codec::encode(
                                 QStringLiteral("<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n"
                                                "<myItem>\r\n<ColorSetting><Base>C0C0FF</Base>"
                                                "</ColorSetting>\r\n<CommonSetting><Title>Start"
                                                "</Title></CommonSetting>\r\n<DataSetting>"
                                                "</DataSetting>\r\n</myItem>\r\n"))));
    m_state = EditorState{m_settings.path(), QStringLiteral("QuorvelMate"),
                          QStringLiteral("QuorvelMate.xml"), QStringLiteral("Quorvel"),
                          std::make_shared<Cls_MySettingFile>()};
    bool ended = false;
    Frm_Setting::SetEndHandler([&ended] { ended = true; });
    m_form = new Frm_Setting(m_state);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    QVERIFY(run(QStringLiteral("xdotool"),
                {"windowactivate", "--sync", QString::number(m_form->winId())}));
    // The window manager has framed and placed the window before screen places are taken.
    QTest::qWait(800);
    auto *status = child<QStatusBar>("StatusBar_View");

    // 色情報: the black-background "Pink".
    auto *tabs = child<QTabBar>("Tab_Title");
    click(tabs, tabs->tabRect(1).center());
    QTRY_COMPARE(tabs->currentIndex(), 1);
    click(child<QPushButton>("Cmd_DefaultColorBlack_1"));
    QTRY_COMPARE(status->currentMessage(),
                 QStringLiteral("Default Settingの「Pink」を選択しました。"));
    const QStringList pink = {"000000", "FF00FF", "FF80FF", "FF80FF", "FFFFFF"};
    for (int k = 0; k < pink.size(); ++k) {
        QCOMPARE(child<QLineEdit>(QStringLiteral("Txt_Color_%1").arg(k))->text(), pink.at(k));
    }

    // 基本設定: title, no version in it, item size.
    click(tabs, tabs->tabRect(0).center());
    QTRY_COMPARE(tabs->currentIndex(), 0);
    retype(child<QLineEdit>("Txt_Title"), kTitle);
    click(child<QRadioButton>("Opt_Version_1"));
    QVERIFY(child<QRadioButton>("Opt_Version_1")->isChecked());
    retype(child<QLineEdit>("Txt_ItemWidth"), QString::number(kItemWidth));
    retype(child<QLineEdit>("Txt_ItemHeight"), QStringLiteral("300"));

    // Option → catalogue 0, the question answered Yes with a click on its button.
    click(child<QLabel>("Lbl_OpenOption"));
    QTRY_VERIFY(child<QWidget>("Fra_Extra")->isVisible());
    QString question;
    int attempts = 0;
    bool busy = false;
    QTimer answer;
    answer.setInterval(300);
    connect(&answer, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (busy || box == nullptr || !box->isVisible()) {
            return;
        }
        busy = true;
        question = box->text();
        // A click that missed is tried again; a box that will not close, or another box,
        // is closed with No, so that the test fails instead of waiting in it for ever.
        QAbstractButton *yes = box->button(QMessageBox::Yes);
        if (++attempts <= 5 && yes != nullptr) {
            click(yes);
        } else {
            attempts = 6;
            box->done(QMessageBox::No);
        }
        busy = false;
    });
    answer.start();
    click(child<QLabel>("Lbl_DefaultSetting_0"));
    auto *tree = child<QTreeWidget>("Trv_EditList");
    QTRY_COMPARE_WITH_TIMEOUT(tree->topLevelItemCount(), 9, 15000);
    answer.stop();
    QVERIFY2(attempts <= 5, "the question box did not take the click on Yes");
    QCOMPARE(question, QStringLiteral("この設定を追加しますか？\r\n%1\r\n『初期設定：VisualBasic "
                                      "Style』\r\n\r\n")
                           .arg(QString(32, u'-')));
    QVERIFY(!child<QWidget>("Fra_Extra")->isVisible());

    // ファイル → 上書き保存, then ファイル → 終了.
    auto *fileMenu = child<QMenu>("mnu_File");
    keys(QStringLiteral("alt+f"));
    QTRY_VERIFY(fileMenu->isVisible());
    keys(QStringLiteral("s"));
    QTRY_COMPARE(status->currentMessage(), QStringLiteral("設定を保存しました。"));
    keys(QStringLiteral("alt+f"));
    QTRY_VERIFY(fileMenu->isVisible());
    keys(QStringLiteral("x"));
    QTRY_VERIFY(ended);
    QVERIFY(!m_form->isVisible());
}

void tst_RoundtripE2E::checkPalette()
{
    const QString file = QDir(m_settings.path()).filePath(QStringLiteral("Quorvel.xml"));

    // Its frames and items.
    QByteArray listing;
    QVERIFY(run(kPalette, {"--list", "--settings", file}, &listing));
    QCOMPARE(QString::fromUtf8(listing), expectedList());

    // A picture of its window: as wide as the item width asks, black, with pink titles and
    // light pink item names.
    const QString picture = QDir(m_settings.path()).filePath(QStringLiteral("palette.png"));
    QVERIFY(run(kPalette, {"--settings-dir", m_settings.path(), "--screenshot", picture}));
    const QImage image(picture);
    QVERIFY(!image.isNull());
    // The design client width is the item width plus 315 twips.
    const int width = int(std::lround((kItemWidth + 315) * m_form->logicalDpiX() / 1440.0));
    QCOMPARE(image.width(), width);
    const int all = image.width() * image.height();
    QVERIFY2(pixelsNear(image, qRgb(0, 0, 0)) > all / 2, "the window is not mostly black");
    QVERIFY2(pixelsNear(image, qRgb(0xFF, 0x00, 0xFF)) > 20, "no frame title in FF00FF");
    QVERIFY2(pixelsNear(image, qRgb(0xFF, 0x80, 0xFF)) > 20, "no item name in FF80FF");
    QCOMPARE(pixelsNear(image, qRgb(0xC0, 0xC0, 0xFF)), 0);

    // The window itself, under its own caption.
    startProgram(m_palette, kPalette, {"--settings-dir", m_settings.path()});
    if (QTest::currentTestFailed()) {
        return;
    }
    const QString exact = QStringLiteral("^%1$").arg(kTitle);
    QTRY_COMPARE_WITH_TIMEOUT(windowsNamed(exact).size(), 1, 15000);
    QByteArray geometry;
    QVERIFY(run(QStringLiteral("xdotool"),
                {"getwindowgeometry", "--shell", windowsNamed(exact).first()}, &geometry));
    QVERIFY2(geometry.contains("WIDTH=" + QByteArray::number(width) + '\n'), geometry.constData());
    m_palette.terminate();
    QVERIFY(m_palette.waitForFinished(10000));
}

QTEST_MAIN(tst_RoundtripE2E)
#include "tst_roundtrip_e2e.moc"
