#include "ProcessState.h"
#include "single_instance.h"
#include "tst_palette_support.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>

#ifdef Q_OS_LINUX
#include <csignal>
#endif

using namespace Qt::StringLiterals;

class tst_PaletteActions : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture.setUp(); }
    void cleanup();

    void itemRun_data();
    void itemRun();
    void clipboardKept_data();
    void clipboardKept();
    void linkItemOpensThroughShell();
    void buttonRunsItsOwnFrame();
    void shiftKey_data();
    void shiftKey();
    void shiftClearedWhenWindowLosesFocus();
    void shiftClickFromAnotherWindow_data();
    void shiftClickFromAnotherWindow();
    void keepOnTopMessages();
    void reloadCarriesKeepOnTop_data();
    void reloadCarriesKeepOnTop();
    void closeEndsProgramUnlessPreview_data();
    void closeEndsProgramUnlessPreview();
    void rightPressHidesReload();
    void editOpensSettingFileWithoutEditor();
    void editStartsAndEndsEditor();
    void messageIsPlainText();

private:
    Frm_Item_FromIniFile *openItems(const QStringList &items, const QString &colours = {});
    static void click(QWidget *widget, Qt::MouseButton button = Qt::LeftButton);

    PaletteFixture m_fixture;
    QList<qint64> m_started;
};

namespace {

QString item(const QString &name, const QString &key, const QString &value)
{
    return element(u"Name"_s, name) + element(key, value);
}

QClipboard *clipboard()
{
    return QGuiApplication::clipboard();
}

QString message(const QWidget *window)
{
    return child<QLabel>(window, u"Lbl_Msg"_s)->text();
}

} // namespace

void tst_PaletteActions::cleanup()
{
    m_fixture.tearDown();
#ifdef Q_OS_LINUX
    for (const qint64 pid : std::as_const(m_started)) {
        if (processRuns(pid))
            ::kill(pid_t(pid), SIGKILL);
    }
#endif
    m_started.clear();
}

Frm_Item_FromIniFile *tst_PaletteActions::openItems(const QStringList &items,
                                                    const QString &colours)
{
    const QString frame = frameText(u"F"_s, items);
    return m_fixture.open(colours.isEmpty() ? settingFile({}, {frame})
                                            : settingFile({}, {frame}, colours));
}

void tst_PaletteActions::click(QWidget *widget, Qt::MouseButton button)
{
    QTest::mouseMove(widget);
    QTest::mouseClick(widget, button);
}

void tst_PaletteActions::itemRun_data()
{
    // An empty item text means the default setting file, whose button 0 is
    // "TABをカンマに置換" and button 2 "今日日付".
    QTest::addColumn<QString>("itemText");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QString>("clipboardAfter");
    QTest::addColumn<QString>("messageAfter");

    QTest::newRow("edit") << u""_s << 0 << u"a\tb"_s << false << u"a,b"_s
                          << u"[TABをカンマに置換]で編集しました"_s;
    QTest::newRow("edit ignores shift")
        << u""_s << 0 << u"a\tb"_s << true << u"a,b"_s << u"[TABをカンマに置換]で編集しました"_s;
    QTest::newRow("date") << u""_s << 2 << u"in"_s << false << u"2007/01/20"_s
                          << u"[今日日付]をｺﾋﾟｰしました"_s;
    QTest::newRow("date appended with shift")
        << u""_s << 2 << u"in"_s << true << u"in2007/01/20"_s << u"[今日日付]を追加ｺﾋﾟｰしました"_s;
    const QString trimmed = item(u" タブ "_s, u"Reg"_s, "\t") + element(u"Replace"_s, u","_s);
    QTest::newRow("name trimmed") << trimmed << 0 << u"a\tb"_s << false << u"a,b"_s
                                  << u"[タブ]で編集しました"_s;
    const QString marker = item(u"m"_s, u"Data"_s, u"@@@@@@@@"_s);
    QTest::newRow("clipboard marker alone")
        << marker << 0 << u"same"_s << false << u"same"_s << u"[m]をｺﾋﾟｰしました"_s;
    const QString erase = item(u"e"_s, u"Reg"_s, u".+"_s) + element(u"Replace"_s, QString());
    QTest::newRow("empty result") << erase << 0 << u"abc"_s << false << u""_s << u"[e]は空です"_s;
    const QString blank = item(u"b"_s, u"Data"_s, u"  \r\n \n"_s);
    QTest::newRow("blanks and line breaks")
        << blank << 0 << u"in"_s << false << u"  \r\n \n"_s << u"[b]は空です"_s;
    // Shift appends only a copy item's text, so the clipboard ends up empty.
    QTest::newRow("item with nothing, shift")
        << element(u"Name"_s, u"n"_s) << 0 << u"gone"_s << true << u""_s << u"[n]は空です"_s;
}

void tst_PaletteActions::itemRun()
{
    QFETCH(QString, itemText);
    QFETCH(int, button);
    QFETCH(QString, input);
    QFETCH(bool, shift);
    QFETCH(QString, clipboardAfter);
    QFETCH(QString, messageAfter);
    Cls_MySettingFile::SetDateSource([] { return QDate(2007, 1, 20); });
    Frm_Item_FromIniFile *window = itemText.isEmpty() ? m_fixture.open() : openItems({itemText});
    QVERIFY(window);
    clipboard()->setText(input);
    if (shift)
        QTest::keyPress(window, Qt::Key_Shift);
    clickItem(itemButton(window, button), shift ? Qt::ShiftModifier : Qt::NoModifier);
    // An edit runs beside the window; on a busy machine it may end after the click.
    QTRY_COMPARE(message(window), messageAfter);
    QCOMPARE(clipboard()->text(), clipboardAfter);
    QCOMPARE(child<QLabel>(window, "Lbl_Msg")->toolTip(), messageAfter);
    QVERIFY(child<QPushButton>(window, "Cmd_Dummy")->hasFocus() || !window->isActiveWindow());
    QVERIFY(m_fixture.boxes().isEmpty());
}

void tst_PaletteActions::clipboardKept_data()
{
    // What the clipboard holds: a text, or an image when "image" is empty.
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("image");
    QTest::addColumn<QString>("itemText");
    QTest::addColumn<bool>("keeps");
    QTest::addColumn<QString>("messageAfter");
    const QString edit = item(u"e"_s, u"Reg"_s, u"^"_s) + element(u"Replace"_s, u"x"_s);
    const QString copy = item(u"c"_s, u"Data"_s, u"x"_s);
    const QString bad = item(u"bad"_s, u"Reg"_s, u"("_s) + element(u"Replace"_s, u"x"_s);
    QTest::newRow("edit, empty clipboard") << u""_s << false << edit << true << u"[e]は空です"_s;
    QTest::newRow("edit, image") << u""_s << true << edit << true << u"[e]は空です"_s;
    QTest::newRow("copy, image") << u""_s << true << copy << false << u"[c]をｺﾋﾟｰしました"_s;
    QTest::newRow("pattern refused")
        << u"keep me"_s << false << bad << true << u"[bad]の正規表現に不備があります"_s;
    const QString runaway = item(u"run"_s, u"Reg"_s, u"(a+)+$"_s) + element(u"Replace"_s, u"x"_s);
    QTest::newRow("match limit") << QString(40, u'a') + u'!' << false << runaway << true
                                 << u"[run]の正規表現に不備があります"_s;
}

void tst_PaletteActions::clipboardKept()
{
    QFETCH(QString, text);
    QFETCH(bool, image);
    QFETCH(QString, itemText);
    QFETCH(bool, keeps);
    QFETCH(QString, messageAfter);
    Frm_Item_FromIniFile *window = openItems({itemText});
    QVERIFY(window);
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    if (image)
        clipboard()->setImage(picture);
    else
        clipboard()->setText(text);
    clickItem(itemButton(window, 0));
    QTRY_COMPARE(message(window), messageAfter);
    const QMimeData *data = clipboard()->mimeData();
    QCOMPARE(data != nullptr && data->hasImage(), keeps && image);
    QCOMPARE(clipboard()->text(), keeps ? text : u"x"_s);
}

void tst_PaletteActions::linkItemOpensThroughShell()
{
    const QString folder = m_fixture.dir->path();
    const QString link = item(u"l"_s, u"Link"_s, folder);
    // An edit item with a link hands its edited text to the shell.
    const QString editLink = item(u"el"_s, u"Reg"_s, u"X"_s) + element(u"Replace"_s, folder) +
                             element(u"Link"_s, u"ignored"_s);
    Frm_Item_FromIniFile *window = openItems({link, editLink});
    QVERIFY(window);
    QVERIFY(!child<QLabel>(window, "Lbl_Reload")->isVisible());
    clipboard()->setText(u"before"_s);
    clickItem(itemButton(window, 0));
    QCOMPARE(m_fixture.urls.opened, QList<QUrl>{QUrl::fromLocalFile(folder)});
    QCOMPARE(clipboard()->text(), folder);
    QCOMPARE(message(window), u"[l]で編集しました"_s);
    QVERIFY(child<QLabel>(window, "Lbl_Reload")->isVisible());

    clipboard()->setText(u"X"_s);
    clickItem(itemButton(window, 1));
    QTRY_COMPARE(m_fixture.urls.opened.size(), 2);
    QCOMPARE(m_fixture.urls.opened.last(), QUrl::fromLocalFile(folder));
    QCOMPARE(clipboard()->text(), folder);

    // A link that cannot be opened still lands on the clipboard, after the shell's box.
    const QString missing = QDir(folder).filePath(u"missing.txt"_s);
    QVERIFY(
        m_fixture.write(gStr_SettingFile,
                        settingFile({}, {frameText(u"F"_s, {item(u"m"_s, u"Link"_s, missing)})})));
    window->Lbl_Reload_Click();
    window = mdl_Palette::CurrentWindow();
    QVERIFY(window);
    clickItem(itemButton(window, 0));
    QCOMPARE(clipboard()->text(), missing);
    QCOMPARE(m_fixture.boxes().size(), 1);
    QCOMPARE(m_fixture.boxes().first().prompt, u"File not found"_s);
}

void tst_PaletteActions::buttonRunsItsOwnFrame()
{
    const QString first = frameText(u"one"_s, {item(u"a"_s, u"Data"_s, "first")});
    const QString second = frameText(u"two"_s, {item(u"b"_s, u"Data"_s, "second")});
    Frm_Item_FromIniFile *window = m_fixture.open(settingFile({}, {first, second}));
    QVERIFY(window);
    // The pointer last crossed frame one; the button of frame two is clicked directly.
    QTest::mouseMove(child<QGroupBox>(window, "Fra_Items_0"), QPoint(4, 4));
    QTRY_COMPARE(window->CurrentFrameIndex(), 0);
    const Cls_ItemButton *button = itemButton(window, 1);
    QTest::mouseClick(button->area(), Qt::LeftButton, {}, itemCentre(button));
    QCOMPARE(clipboard()->text(), u"second"_s);
    QCOMPARE(window->CurrentFrameIndex(), 1);
}

void tst_PaletteActions::shiftKey_data()
{
    QTest::addColumn<QList<int>>("keys"); // key, press (1) or release (0), modifiers
    QTest::addColumn<bool>("checked");
    // As keyboards report them: a modifier key's own event carries the state before it.
    const int none = 0;
    const int shift = Qt::ShiftModifier;
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("shift pressed") << QList<int>{Qt::Key_Shift, 1, none} << true;
    QTest::newRow("shift released")
        << QList<int>{Qt::Key_Shift, 1, none, Qt::Key_Shift, 0, shift} << false;
    QTest::newRow("shift after ctrl")
        << QList<int>{Qt::Key_Control, 1, none, Qt::Key_Shift, 1, ctrl} << false;
    QTest::newRow("ctrl joins shift")
        << QList<int>{Qt::Key_Shift, 1, none, Qt::Key_Control, 1, shift} << false;
    QTest::newRow("ctrl let go, shift held")
        << QList<int>{Qt::Key_Shift,   1, none,        Qt::Key_Control, 1, shift,
                      Qt::Key_Control, 0, shift | ctrl}
        << true;
    QTest::newRow("letter with shift")
        << QList<int>{Qt::Key_Shift, 1, none, Qt::Key_A, 1, shift, Qt::Key_A, 0, shift} << true;
    QTest::newRow("alt") << QList<int>{Qt::Key_Alt, 1, none} << false;
    QTest::newRow("alt with shift")
        << QList<int>{Qt::Key_Shift, 1, none, Qt::Key_Alt, 1, shift} << false;
}

void tst_PaletteActions::shiftKey()
{
    QFETCH(QList<int>, keys);
    QFETCH(bool, checked);
    Frm_Item_FromIniFile *window = openItems({item(u"c"_s, u"Data"_s, u"x"_s)});
    QVERIFY(window);
    // The window sees keys first, whichever control has the focus.
    auto *focus = child<QPushButton>(window, "Cmd_Dummy");
    for (qsizetype i = 0; i + 2 < keys.size(); i += 3) {
        const auto modifiers = Qt::KeyboardModifiers(keys.at(i + 2));
        // Sent as they are: QTest would add presses and releases of the modifier keys.
        QKeyEvent key(keys.at(i + 1) == 1 ? QEvent::KeyPress : QEvent::KeyRelease, keys.at(i),
                      modifiers);
        QCoreApplication::sendEvent(focus, &key);
    }
    QCOMPARE(child<QCheckBox>(window, "Chk_More")->isChecked(), checked);
}

void tst_PaletteActions::shiftClearedWhenWindowLosesFocus()
{
    Frm_Item_FromIniFile *window = openItems({});
    QVERIFY(window);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyPress(window, Qt::Key_Shift);
    QVERIFY(child<QCheckBox>(window, "Chk_More")->isChecked());
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTRY_VERIFY(!child<QCheckBox>(window, "Chk_More")->isChecked());
}

void tst_PaletteActions::shiftClickFromAnotherWindow_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("clipboardAfter");
    QTest::addColumn<QString>("messageAfter");
    QTest::newRow("shift") << int(Qt::ShiftModifier) << u"mine,x"_s << u"[c]を追加ｺﾋﾟｰしました"_s;
    QTest::newRow("none") << 0 << u",x"_s << u"[c]をｺﾋﾟｰしました"_s;
    QTest::newRow("shift and ctrl")
        << int(Qt::ShiftModifier | Qt::ControlModifier) << u",x"_s << u"[c]をｺﾋﾟｰしました"_s;
}

void tst_PaletteActions::shiftClickFromAnotherWindow()
{
    QFETCH(int, modifiers);
    QFETCH(QString, clipboardAfter);
    QFETCH(QString, messageAfter);
    // The user copies in another program and Shift-clicks the palette: Shift went down
    // in that program's window, so only the click itself tells.
    Frm_Item_FromIniFile *window = openItems({item(u"c"_s, u"Data"_s, u",x"_s)});
    QVERIFY(window);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTest::keyPress(&other, Qt::Key_Shift);
    clipboard()->setText(u"mine"_s);
    clickItem(itemButton(window, 0), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(clipboard()->text(), clipboardAfter);
    QCOMPARE(message(window), messageAfter);
}

void tst_PaletteActions::keepOnTopMessages()
{
    Frm_Item_FromIniFile *window = openItems({});
    QVERIFY(window);
    auto *most = child<QCheckBox>(window, "Chk_Most");
    QTest::mouseClick(most, Qt::LeftButton);
    QVERIFY(most->isChecked());
    QCOMPARE(message(window), u"最前面に表示します"_s);
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTest::mouseClick(most, Qt::LeftButton);
    QCOMPARE(message(window), u"設定を元に戻しました"_s);
    QVERIFY(!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void tst_PaletteActions::reloadCarriesKeepOnTop_data()
{
    QTest::addColumn<bool>("checkedBefore");
    QTest::addColumn<QString>("topMostOfNext");
    QTest::addColumn<bool>("checkedAfter");
    QTest::newRow("carried") << true << u"False"_s << true;
    QTest::newRow("from the next file") << false << u"True"_s << true;
    QTest::newRow("off") << false << u"False"_s << false;
}

void tst_PaletteActions::reloadCarriesKeepOnTop()
{
    QFETCH(bool, checkedBefore);
    QFETCH(QString, topMostOfNext);
    QFETCH(bool, checkedAfter);
    QVERIFY(m_fixture.write(
        u"next.xml"_s,
        settingFile(element(u"Title"_s, u"Next"_s) + element(u"TopMost"_s, topMostOfNext), {})));
    Frm_Item_FromIniFile *window =
        m_fixture.open(settingFile(element(u"ModeSelecter"_s, "True"), {}));
    QVERIFY(window);
    child<QCheckBox>(window, "Chk_Most")->setChecked(checkedBefore);

    auto *selector = child<QComboBox>(window, "Cbo_SettingFiles");
    const int next = selector->findText(u"next"_s);
    QVERIFY(next >= 0);
    selector->setCurrentIndex(next);
    emit selector->activated(next);
    QCOMPARE(gStr_SettingFile, u"next.xml"_s);
    QVERIFY(child<QLabel>(window, "Lbl_Reload")->isVisible());
    QCOMPARE(window->windowTitle(), u"Tarnwick"_s); // nothing loaded yet

    const QPointer<Frm_Item_FromIniFile> old(window);
    click(child<QLabel>(window, "Lbl_Reload"));
    Frm_Item_FromIniFile *renewed = mdl_Palette::CurrentWindow();
    QVERIFY(renewed);
    QVERIFY(renewed != window);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(old.isNull());
    QCOMPARE(renewed->windowTitle(), u"Next"_s);
    QVERIFY(renewed->isVisible());
    QCOMPARE(child<QCheckBox>(renewed, "Chk_Most")->isChecked(), checkedAfter);
    QVERIFY(child<QLabel>(renewed, "Lbl_Reload")->isVisible());
    QCOMPARE(m_fixture.quitCount, 0);
    QVERIFY(gObj_Setting);
}

void tst_PaletteActions::closeEndsProgramUnlessPreview_data()
{
    QTest::addColumn<bool>("preview");
    QTest::addColumn<int>("quits");
    QTest::newRow("palette") << false << 1;
    QTest::newRow("preview") << true << 0;
}

void tst_PaletteActions::closeEndsProgramUnlessPreview()
{
    QFETCH(bool, preview);
    QFETCH(int, quits);
    Frm_Item_FromIniFile *window = openItems({});
    QVERIFY(window);
    window->SetMode(preview);
    QCOMPARE(child<QLabel>(window, "Lbl_ButtonEdit")->isVisible(), !preview);
    window->close();
    QCOMPARE(m_fixture.quitCount, quits);
    QCOMPARE(gObj_Setting == nullptr, !preview);
    QVERIFY(!mdl_Palette::CurrentWindow());
}

void tst_PaletteActions::rightPressHidesReload()
{
    Frm_Item_FromIniFile *window = openItems({});
    QVERIFY(window);
    window->ApplyOpenOptions(false, true);
    auto *reload = child<QLabel>(window, "Lbl_Reload");
    QVERIFY(reload->isVisible());
    // A left press shrinks the label, a release outside restores the whole-number size.
    QTest::mousePress(reload, Qt::LeftButton);
    QCOMPARE(reload->font().pointSizeF(), 4.25);
    QTest::mouseRelease(reload, Qt::LeftButton, {}, QPoint(-5, -5));
    QCOMPARE(reload->font().pointSizeF(), 5.0);
    QCOMPARE(mdl_Palette::CurrentWindow(), window);
    QTest::mousePress(reload, Qt::RightButton);
    QVERIFY(!reload->isVisible());
}

void tst_PaletteActions::editOpensSettingFileWithoutEditor()
{
    Frm_Item_FromIniFile *window = openItems({});
    QVERIFY(window);
    click(child<QLabel>(window, "Lbl_ButtonEdit"));
    const QString file = m_fixture.dir->filePath(u"Quorvel.xml"_s);
    QCOMPARE(m_fixture.urls.opened, QList<QUrl>{QUrl::fromLocalFile(file)});
    QVERIFY(child<QLabel>(window, "Lbl_Reload")->isVisible());
    QVERIFY(!window->EditorStarted());
}

void tst_PaletteActions::editStartsAndEndsEditor()
{
#ifndef Q_OS_LINUX
    QSKIP("uses a shell script as the editor");
#else
    const QString folder = m_fixture.dir->filePath(u"bin"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString editor = QDir(folder).filePath(mdl_Palette::EditorProgramFileName());
    QFile script(editor);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\nexec sleep 30\n");
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
    // Not in the first folder, found in the second.
    mdl_Palette::SetEditorSearchFolders({m_fixture.dir->filePath(u"none"_s), folder});

    Frm_Item_FromIniFile *window = openItems({});
    QVERIFY(window);
    {
        // An editor started by other means is only asked to come forward, and this
        // window will not end it.
        SingleInstance running(editor);
        QVERIFY(running.tryListen());
        QSignalSpy requests(&running, &SingleInstance::requestReceived);
        click(child<QLabel>(window, "Lbl_ButtonEdit"));
        QTRY_COMPARE(requests.size(), 1);
        QCOMPARE(requests.at(0).at(0).toByteArray(), QByteArray("activate"));
        QVERIFY(!window->EditorStarted());
        QVERIFY(!QFile::exists(editor + u".args"_s));
    }
    click(child<QLabel>(window, "Lbl_ButtonEdit"));
    QVERIFY(window->EditorStarted());
    const qint64 pid = window->EditorProcessId();
    m_started.append(pid);
    QFile args(editor + u".args"_s);
    QTRY_VERIFY(args.exists() && args.size() > 0);
    QVERIFY(args.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(args.readAll()).split(u'\n', Qt::SkipEmptyParts),
             (QStringList{u"Quorvel"_s, u"--settings-dir"_s, m_fixture.dir->path()}));
    QVERIFY(m_fixture.urls.opened.isEmpty());

    // A second click starts nothing new while the editor runs, but starts it again once
    // the user has closed it.
    click(child<QLabel>(window, "Lbl_ButtonEdit"));
    QCOMPARE(window->EditorProcessId(), pid);
    QVERIFY(processRuns(pid));
    ::kill(pid_t(pid), SIGTERM);
    QTRY_VERIFY(!processRuns(pid));
    click(child<QLabel>(window, "Lbl_ButtonEdit"));
    const qint64 restarted = window->EditorProcessId();
    m_started.append(restarted);
    QVERIFY(restarted != pid);
    QTRY_VERIFY(processRuns(restarted));

    // A reload ends the editor of the old window; the new window has started none.
    window->Lbl_Reload_Click();
    QTRY_VERIFY(!processRuns(restarted));
    Frm_Item_FromIniFile *renewed = mdl_Palette::CurrentWindow();
    QVERIFY(renewed && renewed != window);
    QVERIFY(!renewed->EditorStarted());
    click(child<QLabel>(renewed, "Lbl_ButtonEdit"));
    QVERIFY(renewed->EditorStarted());
    const qint64 second = renewed->EditorProcessId();
    m_started.append(second);
    QVERIFY(second != restarted);
    renewed->close();
    QCOMPARE(m_fixture.quitCount, 1);
    QTRY_VERIFY(!processRuns(second));
#endif
}

void tst_PaletteActions::messageIsPlainText()
{
    Frm_Item_FromIniFile *window = openItems({item(u"<b>x</b>"_s, u"Data"_s, u"y"_s)});
    QVERIFY(window);
    clickItem(itemButton(window, 0));
    auto *line = child<QLabel>(window, "Lbl_Msg");
    QCOMPARE(line->text(), u"[<b>x</b>]をｺﾋﾟｰしました"_s);
    QCOMPARE(line->textFormat(), Qt::PlainText);
    QVERIFY(line->toolTip().contains(u"&lt;b&gt;"_s));
}

QTEST_MAIN(tst_PaletteActions)
#include "tst_palette_actions.moc"
