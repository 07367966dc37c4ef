#include "Cls_MyTree.h"
#include "EditorState.h"
#include "Frm_Item_FromIniFile.h"
#include "Frm_NewName.h"
#include "Frm_Setting.h"
#include "LiveTestBench.h"
#include "MessageBoxRecorder.h"
#include "PaletteModule.h"
#include "TestFiles.h"
#include "cp932_codec.h"
#include "platform_wrappers.h"
#include "program_state.h"
#include "setting_model.h"
#include "tag_document.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {

QString crlf(const QStringList &lines)
{
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString itemText(int n, const QString &name, const QString &body = {})
{
    return QStringLiteral("<Item%1><Name>%2</Name>%3</Item%1>").arg(n).arg(name, body);
}

QString frameText(int n, const QString &title, const QStringList &items)
{
    return QStringLiteral("<Frame%1><Title>%2</Title>").arg(n).arg(title) + items.join(QString()) +
           QStringLiteral("</Frame%1>").arg(n);
}

// Items N1, N2, ... of a frame.
QStringList namedItems(int count)
{
    QStringList items;
    for (int n = 1; n <= count; ++n)
        items.append(itemText(n, QStringLiteral("N%1").arg(n)));
    return items;
}

QString settingText(const QStringList &frames)
{
    return crlf({QStringLiteral("<?xml version = '1.0' encoding = 'Shift_JIS'?>"),
                 QStringLiteral("<myItem>"),
                 QStringLiteral("<ColorSetting><Base>C0C0FF</Base></ColorSetting>"),
                 QStringLiteral("<CommonSetting><Title>T</Title></CommonSetting>"),
                 QStringLiteral("<DataSetting>") + frames.join(QString()) +
                     QStringLiteral("</DataSetting>"),
                 QStringLiteral("</myItem>")});
}

// Runs the program's event loop, as the editor's start routine does, while the steps run
// one after another a moment apart; a step that opens a modal dialog is answered by the
// next one from inside the dialog's loop. 42 means every step ran and nothing ended the
// program on the way.
int runSteps(const QList<std::function<void()>> &steps, int gap = 60)
{
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // One timer per step: a timer does not fire again while its own handler waits in a
    // dialog.
    QObject context;
    for (qsizetype k = 0; k <= steps.size(); ++k) {
        QTimer::singleShot(int(gap * (k + 1)), &context, [&steps, k] {
            if (k < steps.size()) {
                steps.at(k)();
            } else {
                QCoreApplication::exit(42);
            }
        });
    }
    QTimer::singleShot(60000, &context, [] { QCoreApplication::exit(99); });
    const int status = QApplication::exec();
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);
    return status;
}

// A click as the window system queues it: press and release wait in the event queue
// together, behind whatever else the user did.
void postClick(QWidget *widget, const QPoint &pos, Qt::MouseButton button = Qt::LeftButton)
{
    const QPointF global = widget->mapToGlobal(QPointF(pos));
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonPress, QPointF(pos),
                                                        global, button, button, {}));
    QCoreApplication::postEvent(
        widget, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(pos), global, button, {}, {}));
}

void postKey(QWidget *widget, int key, Qt::KeyboardModifiers modifiers = {})
{
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, modifiers));
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, modifiers));
}

// Types into the open-file dialog and presses Enter, as the user does.
void answerFileDialog(const QString &path)
{
    auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
    QVERIFY(dialog != nullptr);
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(name != nullptr);
    name->setText(path);
    QTest::keyClick(name, Qt::Key_Return);
}

} // namespace

class tst_FrmSetting final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listingAndInitialSelection_data();
    void listingAndInitialSelection();
    void emptyFolderKeepsEditingDisabled();
    void captionCarriesVersion();
    void editMenuTable_data();
    void editMenuTable();
    void hundredItemsAtMost();
    void unnamedItemKeepsPositionKeys();
    void gridCreation_data();
    void gridCreation();
    void pasteTarget_data();
    void pasteTarget();
    void nameDialog();
    void ctrlDownThenSaveWritesNewOrder();
    void roundTripKeepsEveryField();
    void unreadableValueRefused_data();
    void unreadableValueRefused();
    void unreadableWindowFieldRefusesSave_data();
    void unreadableWindowFieldRefusesSave();
    void unencodableTextRefusesSave();
    void unreadableSettingIsNotReplaced();
    void longValueSurvivesSave_data();
    void longValueSurvivesSave();
    void backupAndRestore();
    void deletedItemStaysDeleted();
    void newFrameDoesNotCopyItems();
    void expandingAnotherFrameKeepsPage();
    void rightClickShowsEditMenu();
    void deleteKeyEmptiesFontList();
    void previewShowsAndReloadsPalette();
    void concatenatedKeysDoNotCollide();
    void newItemThenAnotherFrameExpands();
    void clickBesideNodes();
    void settingNameOutsideCodePageSaves();

    void openThroughMenuReplacesForm();
    void secondPreviewKeepsEditorRunning();
    void quickClicksShowAndStoreLastNode();
    void queuedArrowKeysKeepPageOnCurrentNode();
    void bigItemThenNextItemSavesBoth();
    void keyboardReachesEveryCommand();
    void restoreRefusesBrokenBackup();
    void testRunWithNothingSelectedChangesNothing();
    void catalogInsertion();
    void liveBenchInForm();
    void runawayPatternKeepsFormResponsive();
    void itemPageFitsSmallScreen();
    void doubleClickSelectsWholeText_data();
    void doubleClickSelectsWholeText();

private:
    Frm_Setting *openForm(const QString &argument = {});
    // The form on a setting s.xml holding these frames.
    Frm_Setting *openWith(const QStringList &frames)
    {
        writeSetting("s.xml", settingText(frames));
        return QTest::currentTestFailed() ? nullptr : openForm();
    }
    void writeSetting(const QString &name, const QString &text);
    QString readSetting(const QString &name) const;
    QTreeWidgetItem *topNode(int index) const;
    void clickNode(QTreeWidgetItem *node);
    void expand(QTreeWidgetItem *node);
    template<typename T> T *child(const QString &name) const
    {
        T *found = m_form->findChild<T *>(name);
        if (found == nullptr) {
            qWarning() << "no control" << name;
        }
        return found;
    }
    QString status() const { return child<QStatusBar>("StatusBar_View")->currentMessage(); }
    // The text of a one-line box or of a combo box.
    void setField(const QString &name, const QString &text)
    {
        if (auto *combo = m_form->findChild<QComboBox *>(name))
            combo->setCurrentText(text);
        else
            child<QLineEdit>(name)->setText(text);
    }
    QString field(const QString &name) const
    {
        auto *combo = m_form->findChild<QComboBox *>(name);
        return combo != nullptr ? combo->currentText() : child<QLineEdit>(name)->text();
    }
    QPoint nodeCenter(QTreeWidgetItem *node) const
    {
        auto *tree = child<QTreeWidget>("Trv_EditList");
        tree->scrollToItem(node);
        return tree->visualItemRect(node).center();
    }
    void leaveTo(QWidget *next);
    // The item page of the form's first item, its test area open when asked.
    void showFirstItem(bool openTestArea);
    void save() { QTest::mouseClick(child<QPushButton>("Cmd_Save"), Qt::LeftButton); }
    // An entry of the edit menu, as the menu runs it.
    void editCommand(int index)
    {
        auto *action =
            m_form->findChild<QAction *>(QStringLiteral("mnu_EditListItem_%1").arg(index));
        QVERIFY(action != nullptr);
        QVERIFY2(action->isEnabled(), qPrintable(action->text()));
        // The name dialog, when the command asks for a name, is answered from inside its
        // own loop: with the next queued name and Enter, or with Escape.
        QTimer::singleShot(0, this, [this] {
            auto *dialog = qobject_cast<Frm_NewName *>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            auto *box = dialog->findChild<QLineEdit *>(QStringLiteral("Txt_NewName"));
            if (m_names.isEmpty()) {
                QTest::keyClick(box, Qt::Key_Escape);
                return;
            }
            box->setText(m_names.takeFirst());
            QTest::keyClick(box, Qt::Key_Return);
        });
        action->trigger();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    EditorState m_state;
    QPointer<Frm_Setting> m_form;
    std::unique_ptr<MessageBoxRecorder> m_recorder;
    QStringList m_names;
};

void tst_FrmSetting::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_state =
        EditorState{m_dir->path(), QStringLiteral("QuorvelMate"), QStringLiteral("QuorvelMate.xml"),
                    QString(), std::make_shared<Cls_MySettingFile>()};
    m_names.clear();
    m_recorder = std::make_unique<MessageBoxRecorder>();
    Frm_Setting::SetEndHandler([] {});
}

void tst_FrmSetting::cleanup()
{
    if (m_form != nullptr) {
        m_form->close();
        delete m_form;
    }
    Frm_Setting::SetEndHandler({});
    m_recorder.reset();
    gObj_Setting.reset();
    m_state = EditorState{};
    m_dir.reset();
}

void tst_FrmSetting::writeSetting(const QString &name, const QString &text)
{
    QFile file(QDir(m_dir->path()).filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const std::optional<QByteArray> bytes = Cp932Codec::encode(text);
    QVERIFY(bytes.has_value());
    file.write(*bytes);
}

QString tst_FrmSetting::readSetting(const QString &name) const
{
    QFile file(QDir(m_dir->path()).filePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return Cp932Codec::decode(file.readAll());
}

Frm_Setting *tst_FrmSetting::openForm(const QString &argument)
{
    m_state.argumentSetting = argument;
    m_form = new Frm_Setting(m_state);
    m_form->show();
    if (!QTest::qWaitForWindowExposed(m_form)) {
        return nullptr;
    }
    m_form->activateWindow();
    QApplication::setActiveWindow(m_form);
    return m_form;
}

QTreeWidgetItem *tst_FrmSetting::topNode(int index) const
{
    return child<QTreeWidget>("Trv_EditList")->topLevelItem(index);
}

void tst_FrmSetting::clickNode(QTreeWidgetItem *node)
{
    auto *tree = child<QTreeWidget>("Trv_EditList");
    tree->scrollToItem(node);
    const QRect rect = tree->visualItemRect(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
}

void tst_FrmSetting::expand(QTreeWidgetItem *node)
{
    node->setExpanded(true);
    QCoreApplication::processEvents();
}

// Moves the focus on, as a click or Tab would, so that the left field stores its page.
void tst_FrmSetting::leaveTo(QWidget *next)
{
    next->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
}

void tst_FrmSetting::listingAndInitialSelection_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("selected");
    const QStringList files = {"b.xml", "a.xml", "Test.XML", "Test.xml", "notes.txt"};
    QTest::newRow("argument in list") << files << "b" << QStringList{"a", "b", "Test"} << "b";
    QTest::newRow("argument not in list") << files << "zz" << QStringList{"a", "b", "Test"} << "a";
    QTest::newRow("no argument") << files << "" << QStringList{"a", "b", "Test"} << "a";
    QTest::newRow("case differs") << files << "test" << QStringList{"a", "b", "Test"} << "a";
}

void tst_FrmSetting::listingAndInitialSelection()
{
    QFETCH(QStringList, files);
    QFETCH(QString, argument);
    QFETCH(QStringList, entries);
    QFETCH(QString, selected);
    for (const QString &file : files) {
        writeSetting(file, settingText({frameText(1, file, {itemText(1, "x")})}));
    }
    QVERIFY(openForm(argument));
    auto *combo = child<QComboBox>("Cbo_SettingFiles");
    QStringList listed;
    for (int i = 0; i < combo->count(); ++i) {
        listed.append(combo->itemText(i));
    }
    QCOMPARE(listed, entries);
    QCOMPARE(combo->currentText(), selected);
    QCOMPARE(m_state.settingFile, selected + ".xml");
    QVERIFY(child<QFrame>("Fra_Base")->isEnabled());
    QCOMPARE(status(), QStringLiteral("対象設定を選択しました。"));
    QCOMPARE(topNode(0)->text(0), selected + ".xml");
}

void tst_FrmSetting::emptyFolderKeepsEditingDisabled()
{
    QVERIFY(openForm(QStringLiteral("abc")));
    QCOMPARE(child<QComboBox>("Cbo_SettingFiles")->count(), 0);
    QVERIFY(!child<QFrame>("Fra_Base")->isEnabled());
    QCOMPARE(status(), QStringLiteral("設定ファイルを選択してください"));
    // Nothing was written into the empty folder, not even by a preview.
    m_form->findChild<QAction *>("mnu_Reload")->trigger();
    if (Frm_Item_FromIniFile *preview = mdl_Palette::CurrentWindow()) {
        preview->close();
    }
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 0);
}

void tst_FrmSetting::captionCarriesVersion()
{
    QVERIFY(openForm());
    QVERIFY(m_form->windowTitle().endsWith(QStringLiteral(" ver%1.%2.%3")
                                               .arg(QUORVEL_VERSION_MAJOR)
                                               .arg(QUORVEL_VERSION_MINOR)
                                               .arg(QUORVEL_VERSION_PATCH)));
}

void tst_FrmSetting::editMenuTable_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("copied");
    QTest::addColumn<QList<bool>>("enabled"); // entries 0, 2, 4, 6, 7
    QTest::newRow("all off") << "alloff" << false << QList<bool>{false, false, false, false, false};
    QTest::newRow("nothing") << "none" << false << QList<bool>{true, false, false, false, false};
    QTest::newRow("frame") << "frame" << false << QList<bool>{true, true, true, false, false};
    QTest::newRow("item") << "item" << false << QList<bool>{true, true, true, true, false};
    QTest::newRow("all off, copied")
        << "alloff" << true << QList<bool>{false, false, false, false, true};
    QTest::newRow("nothing, copied")
        << "none" << true << QList<bool>{true, false, false, false, true};
    QTest::newRow("frame, copied") << "frame" << true << QList<bool>{true, true, true, false, true};
}

void tst_FrmSetting::editMenuTable()
{
    QFETCH(QString, situation);
    QFETCH(bool, copied);
    QFETCH(QList<bool>, enabled);
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "I")})}));
    QTreeWidgetItem *frame = topNode(0);
    expand(frame);
    QTreeWidgetItem *item = frame->child(0);
    QVERIFY(item != nullptr);
    if (copied) {
        clickNode(item);
        editCommand(6);
    }
    auto *tree = child<QTreeWidget>("Trv_EditList");
    if (situation == "frame") {
        clickNode(frame);
    } else if (situation == "item") {
        clickNode(item);
    } else {
        tree->clearSelection();
        tree->setCurrentItem(nullptr);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          QPoint(20, tree->viewport()->height() - 5));
    }
    if (situation == "alloff") {
        leaveTo(child<QLineEdit>("Txt_Title"));
    }
    const int indexes[] = {0, 2, 4, 6, 7};
    for (int k = 0; k < 5; ++k) {
        auto *action =
            m_form->findChild<QAction *>(QStringLiteral("mnu_EditListItem_%1").arg(indexes[k]));
        QVERIFY(action != nullptr);
        QCOMPARE(action->isEnabled(), enabled[k]);
    }
}

// A frame shows at most 100 items, and one that has 100 takes no more.
void tst_FrmSetting::hundredItemsAtMost()
{
    QVERIFY(
        openWith({frameText(1, "Big", namedItems(121)), frameText(2, "Full", namedItems(100))}));
    QTreeWidgetItem *big = topNode(0);
    QCOMPARE(big->childCount(), 1); // the dummy
    expand(big);
    QCOMPARE(big->childCount(), 100);
    QCOMPARE(big->child(99)->text(0), QStringLiteral("N100"));
    clickNode(topNode(1));
    m_names = {QStringLiteral("one more")};
    editCommand(2);
    QCOMPARE(status(), QStringLiteral("新規項目を作成しませんでした。"));
    QCOMPARE(m_recorder->boxes().last().title, QStringLiteral("設定不可"));
    QCOMPARE(topNode(1)->childCount(), 100);
}

void tst_FrmSetting::unnamedItemKeepsPositionKeys()
{
    QStringList items;
    for (int n = 1; n <= 8; ++n) {
        items.append(itemText(n, n == 6 ? QString() : QStringLiteral("N%1").arg(n),
                              QStringLiteral("<Data>d%1</Data>").arg(n)));
    }
    QVERIFY(openWith({frameText(1, "F", items), frameText(2, "G", {})}));
    QCOMPARE(Cls_MyTree::NodeKey(topNode(0)), QStringLiteral("Root0"));
    QCOMPARE(Cls_MyTree::NodeKey(topNode(1)), QStringLiteral("Root1"));
    expand(topNode(0));
    QStringList keys;
    for (int i = 0; i < topNode(0)->childCount(); ++i) {
        keys.append(Cls_MyTree::NodeKey(topNode(0)->child(i)));
    }
    QCOMPARE(keys,
             (QStringList{"Root00", "Root01", "Root02", "Root03", "Root04", "Root06", "Root07"}));
}

void tst_FrmSetting::gridCreation_data()
{
    QTest::addColumn<QString>("cols");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<int>("items");
    QTest::addColumn<bool>("refused");
    QTest::newRow("3 x 34 refused") << u"3"_s << u"34"_s << -1 << true;
    QTest::newRow("2 x 50 exactly 100") << u"2"_s << u"50"_s << 100 << false;
    QTest::newRow("empty rows") << u"2"_s << QString() << -1 << false;
    QTest::newRow("letters") << u"x"_s << u"3"_s << -1 << false;
    QTest::newRow("1 x 1") << u"1"_s << u"1"_s << 1 << false;
}

void tst_FrmSetting::gridCreation()
{
    QFETCH(QString, cols);
    QFETCH(QString, rows);
    QFETCH(int, items);
    QFETCH(bool, refused);
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "I", "<Data>x</Data>")})}));
    // A shown item must not leak into the new items.
    expand(topNode(0));
    clickNode(topNode(0)->child(0));
    child<QLineEdit>("Txt_Cols")->setText(cols);
    child<QLineEdit>("Txt_Rows")->setText(rows);
    QTest::mouseClick(child<QPushButton>("Cmd_CreateNewNodes"), Qt::LeftButton);
    auto *tree = child<QTreeWidget>("Trv_EditList");
    if (items < 0) {
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(!m_recorder->isEmpty() &&
                     m_recorder->boxes().last().title == QStringLiteral("設定不可"),
                 refused);
        if (refused) {
            QCOMPARE(m_recorder->boxes().last().prompt,
                     QStringLiteral("100以上の設定を作成することはできません。"));
            QCOMPARE(m_recorder->boxes().last().style & 0x70, int(MsgBox::Critical));
        }
        return;
    }
    QCOMPARE(tree->topLevelItemCount(), 2);
    QTreeWidgetItem *frame = topNode(1);
    QCOMPARE(frame->text(0), QStringLiteral("New Item"));
    QCOMPARE(frame->childCount(), items);
    QCOMPARE(frame->child(0)->text(0), QStringLiteral("Item01"));
    QCOMPARE(frame->child(items - 1)->text(0),
             QStringLiteral("Item%1").arg(items, 2, 10, QChar('0')));
    QCOMPARE(status(), QStringLiteral("設定を作成しました"));
    // The frame text carries every item, with names only.
    Cls_XML reader;
    reader.SetFileItem(Cls_MyTree::NodeTag(frame), QString());
    QCOMPARE(reader.Gets("LineCount"), cols);
    QCOMPARE(reader.Gets("Font"), QStringLiteral("Times New Roman"));
    const QString last = reader.Gets(QStringLiteral("Item%1").arg(items));
    QCOMPARE(Cls_XML::ExtractTag(last, "Name"),
             QStringLiteral("Item%1").arg(items, 2, 10, QChar('0')));
    QCOMPARE(Cls_XML::ExtractTag(reader.Gets("Item1"), "Data"), QString());
}

void tst_FrmSetting::pasteTarget_data()
{
    QTest::addColumn<bool>("frameSelected");
    QTest::newRow("frame selected") << true;
    QTest::newRow("item selected") << false;
}

void tst_FrmSetting::pasteTarget()
{
    QFETCH(bool, frameSelected);
    QVERIFY(openWith({frameText(1, "A", {itemText(1, "Src", "<Reg>a</Reg><Replace>b</Replace>")}),
                      frameText(2, "B", {itemText(1, "Other")})}));
    expand(topNode(0));
    clickNode(topNode(0)->child(0));
    editCommand(6);
    QCOMPARE(status(), QStringLiteral("選択していた個所をコピーしました。"));
    QTreeWidgetItem *target = topNode(1);
    expand(target);
    clickNode(frameSelected ? target : target->child(0));
    m_names = {QStringLiteral("Pasted")};
    editCommand(7);
    QCOMPARE(status(), QStringLiteral("コピー内容を登録しました。"));
    QCOMPARE(target->childCount(), 2);
    QTreeWidgetItem *pasted = target->child(1);
    QCOMPARE(pasted->text(0), QStringLiteral("Pasted"));
    QVERIFY(Cls_MyTree::NodeKey(pasted).endsWith('C'));
    QCOMPARE(Cls_XML::ExtractTag(Cls_MyTree::NodeTag(pasted), "Reg"), QStringLiteral("a"));
    // The frame text lists the pasted item too.
    QVERIFY(Cls_MyTree::NodeTag(target).contains(QStringLiteral("<Name>Pasted</Name>")));
    QCOMPARE(topNode(0)->childCount(), 1);
    // Cancelling the name dialog creates nothing.
    editCommand(7);
    QCOMPARE(status(), QStringLiteral("キャンセルしました。"));
    QCOMPARE(target->childCount(), 2);
}

void tst_FrmSetting::nameDialog()
{
    Frm_NewName dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("新しい名称を入力して下さい"));
    auto *box = dialog.findChild<QLineEdit *>("Txt_NewName");
    dialog.Set_DefaultString(QString());
    QTest::mouseClick(dialog.findChild<QPushButton *>("Cmd_OK"), Qt::LeftButton);
    QCOMPARE(m_recorder->count(), 1);
    QCOMPARE(m_recorder->at(0).title, QStringLiteral("確認"));
    QCOMPARE(m_recorder->at(0).prompt,
             QStringLiteral("新しい名称が入力されておりません。\r\n"
                            "きっちり入力してからこのボタンを押下してください。"));
    QVERIFY(!dialog.IsAccepted());
    box->setText(QStringLiteral("one\r\ntwo\tthree"));
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(dialog.IsAccepted());
    QCOMPARE(dialog.EnteredName(), QStringLiteral("onetwothree"));
}

void tst_FrmSetting::ctrlDownThenSaveWritesNewOrder()
{
    QVERIFY(openWith(
        {frameText(1, "First", {itemText(1, "a")}), frameText(2, "Second", {itemText(1, "b")})}));
    auto *tree = child<QTreeWidget>("Trv_EditList");
    clickNode(topNode(0));
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(topNode(0)->text(0), QStringLiteral("First"));
    QTest::keyClick(tree, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(topNode(0)->text(0), QStringLiteral("Second"));
    QTest::mouseClick(child<QPushButton>("Cmd_Save"), Qt::LeftButton);
    QCOMPARE(status(), QStringLiteral("設定を保存しました。"));

    Cls_MySettingFile reloaded;
    reloaded.Path(m_dir->path());
    reloaded.Name("s.xml");
    QVERIFY(reloaded.LoadFile());
    QCOMPARE(reloaded.GetCount(), 2);
    reloaded.CurrentFrame(0);
    QCOMPARE(reloaded.GetFrameTitle(), QStringLiteral("Second"));
    reloaded.CurrentFrame(1);
    QCOMPARE(reloaded.GetFrameTitle(), QStringLiteral("First"));
    QVERIFY(reloaded.SetDataPrepare(0));
    QCOMPARE(reloaded.GetName(), QStringLiteral("a"));
}

void tst_FrmSetting::roundTripKeepsEveryField()
{
    writeSetting("s.xml", DefaultSettingFileText());
    QVERIFY(openForm());
    // The default file's frames, loaded with their placeholders kept.
    QCOMPARE(child<QTreeWidget>("Trv_EditList")->topLevelItemCount(), 2);

    // Whole-window fields and colours.
    const QList<std::pair<QString, QString>> window = {
        {u"Txt_Color_0"_s, u"111111"_s},       {u"Txt_Color_1"_s, u"222222"_s},
        {u"Txt_Color_2"_s, u"333333"_s},       {u"Txt_Color_3"_s, u"444444"_s},
        {u"Txt_Color_4"_s, u"ABCDEF"_s},       {u"Txt_Title"_s, u"窓の題"_s},
        {u"Txt_PictureName"_s, u"icon.png"_s}, {u"Cbo_Align"_s, u"Center"_s},
        {u"Cbo_Valign"_s, u"Top"_s},           {u"Txt_PositioningTop"_s, u"-30"_s},
        {u"Txt_PositioningLeft"_s, u"45"_s},   {u"Cbo_Fonts"_s, u"IPAGothic"_s},
        {u"Txt_FontSize"_s, u"11"_s},          {u"Txt_ItemHeight"_s, u"300"_s},
        {u"Txt_ItemWidth"_s, u"3000"_s},       {u"Txt_MarginTop"_s, u"280"_s},
        {u"Txt_MarginBottom"_s, u"80"_s}};
    const QStringList options = {u"Opt_Version_1"_s, u"Opt_TopMost_0"_s, u"Opt_Selecter_0"_s};
    for (const auto &[name, text] : window)
        setField(name, text);
    for (const QString &name : options)
        child<QRadioButton>(name)->setChecked(true);

    // A frame's fields.
    const QList<std::pair<QString, QString>> frameFields = {{u"Txt_FrameTitle"_s, u"編集用"_s},
                                                            {u"Cbo_FrameFont"_s, u"Serif"_s},
                                                            {u"Cbo_ItemFont"_s, u"Sans"_s},
                                                            {u"Txt_LineCount"_s, u"2"_s}};
    QTreeWidgetItem *frame = topNode(0);
    clickNode(frame);
    child<QLineEdit>("Txt_FrameTitle")->setFocus();
    for (const auto &[name, text] : frameFields)
        setField(name, text);
    leaveTo(child<QTreeWidget>("Trv_EditList"));
    QCOMPARE(frame->text(0), QStringLiteral("編集用"));

    // An item of each kind; the second frame's copy item holds the date placeholder.
    expand(frame);
    clickNode(frame->child(0));
    auto *reg = child<QPlainTextEdit>("Txt_Reg");
    QVERIFY(child<QRadioButton>("Opt_ItemType_1")->isChecked());
    QCOMPARE(reg->toPlainText(), QStringLiteral("\t"));
    reg->setFocus();
    reg->setPlainText(QStringLiteral("(a)\tb\nc"));
    child<QPlainTextEdit>("Txt_Replace")->setPlainText(QStringLiteral("$1,\n"));
    child<QLineEdit>("Txt_ItemTitle")->setText(QStringLiteral("正規"));
    leaveTo(child<QTreeWidget>("Trv_EditList"));
    clickNode(frame->child(1));
    child<QRadioButton>("Opt_ItemType_2")->setChecked(true);
    auto *link = child<QLineEdit>("Txt_Link");
    link->setFocus();
    link->setText(QStringLiteral("https://example.com/x?a=1&b=2"));
    leaveTo(child<QTreeWidget>("Trv_EditList"));

    // A copy item: multi-line text with the other date placeholder and the clipboard marker.
    QTreeWidgetItem *tipsFrame = topNode(1);
    expand(tipsFrame);
    clickNode(tipsFrame->child(0));
    QVERIFY(child<QRadioButton>("Opt_ItemType_0")->isChecked());
    auto *data = child<QPlainTextEdit>("Txt_Data");
    data->setFocus();
    data->setPlainText(QStringLiteral("@@@@/@@/@@\n\t@@@@.@@.@@ @@@@@@@@"));
    leaveTo(child<QTreeWidget>("Trv_EditList"));

    QTest::mouseClick(child<QPushButton>("Cmd_Save"), Qt::LeftButton);
    QCOMPARE(status(), QStringLiteral("設定を保存しました。"));
    const QString saved = readSetting("s.xml");
    QVERIFY(saved.contains(QStringLiteral("@@@@/@@/@@")));

    // Read back through the editor itself: select the file again.
    delete m_form;
    m_state.setting = std::make_shared<Cls_MySettingFile>();
    QVERIFY(openForm());
    for (const auto &[name, text] : window)
        QCOMPARE(field(name), text);
    for (const QString &name : options)
        QVERIFY2(child<QRadioButton>(name)->isChecked(), qPrintable(name));

    frame = topNode(0);
    QCOMPARE(frame->text(0), QStringLiteral("編集用"));
    clickNode(frame);
    for (const auto &[name, text] : frameFields)
        QCOMPARE(field(name), text);
    expand(frame);
    clickNode(frame->child(0));
    QCOMPARE(child<QLineEdit>("Txt_ItemTitle")->text(), QStringLiteral("正規"));
    QCOMPARE(child<QPlainTextEdit>("Txt_Reg")->toPlainText(), QStringLiteral("(a)\tb\nc"));
    QCOMPARE(child<QPlainTextEdit>("Txt_Replace")->toPlainText(), QStringLiteral("$1,\n"));
    clickNode(frame->child(1));
    QVERIFY(child<QRadioButton>("Opt_ItemType_2")->isChecked());
    QCOMPARE(child<QLineEdit>("Txt_Link")->text(), QStringLiteral("https://example.com/x?a=1&b=2"));
    // The line ends of the file stay CR LF inside values.
    Cls_XML reader;
    reader.SetFileItem(Cls_MyTree::NodeTag(frame->child(0)), QString());
    QCOMPARE(reader.Gets("Reg"), QStringLiteral("(a)\tb\r\nc"));

    QTreeWidgetItem *tips = topNode(1);
    expand(tips);
    clickNode(tips->child(0));
    QCOMPARE(child<QPlainTextEdit>("Txt_Data")->toPlainText(),
             QStringLiteral("@@@@/@@/@@\n\t@@@@.@@.@@ @@@@@@@@"));
}

void tst_FrmSetting::unreadableValueRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("offending");
    const auto row = [](const char *name, const QString &field, const QString &text,
                        const QString &offending) {
        const QString label = field == u"Txt_Data"_s        ? u"データ"_s
                              : field == u"Txt_ItemTitle"_s ? u"表示名"_s
                                                            : u"タイトル"_s;
        QTest::newRow(name) << field << text << label << offending;
    };
    row("comment in data", u"Txt_Data"_s, u"a<!--b-->c"_s, u"<!--"_s);
    row("own close tag in name", u"Txt_ItemTitle"_s, u"x</Name>y"_s, u"</Name>"_s);
    row("data's tag in name", u"Txt_ItemTitle"_s, u"n<Data>m"_s, u"<Data>"_s);
    row("closing the item", u"Txt_Data"_s, u"q</Item1>"_s, u"</Item1>"_s);
    row("closing the section", u"Txt_Data"_s, u"</DataSetting>"_s, u"</DataSetting>"_s);
    row("frame title closes itself", u"Txt_FrameTitle"_s, u"t</Title>"_s, u"</Title>"_s);
    row("title names its own close tag", u"Txt_FrameTitle"_s, u"My <Pal> & </Title>x"_s,
        u"</Title>"_s);
    row("title closes the file's section", u"Txt_FrameTitle"_s, u"<DataSetting></DataSetting>"_s,
        u"</DataSetting>"_s);
    row("frame title opens an item", u"Txt_FrameTitle"_s, u"<Item1>"_s, u"<Item1>"_s);
}

void tst_FrmSetting::unreadableValueRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, label);
    QFETCH(QString, offending);
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "I", "<Data>d</Data>")})}));
    QTreeWidgetItem *frame = topNode(0);
    expand(frame);
    QTreeWidgetItem *item = frame->child(0);
    const bool frameField = field == "Txt_FrameTitle";
    clickNode(frameField ? frame : item);
    const QString frameTag = Cls_MyTree::NodeTag(frame);
    const QString itemTag = Cls_MyTree::NodeTag(item);
    QWidget *widget = child<QWidget>(field);
    widget->setFocus();
    if (auto *line = qobject_cast<QLineEdit *>(widget)) {
        line->setText(text);
    } else {
        qobject_cast<QPlainTextEdit *>(widget)->setPlainText(text);
    }
    m_recorder->clear();
    clickNode(frameField ? item : frame);
    QCOMPARE(m_recorder->count(), 1);
    QVERIFY2(m_recorder->at(0).prompt.contains(QStringLiteral("「%1」").arg(label)),
             qPrintable(m_recorder->at(0).prompt));
    QVERIFY2(m_recorder->at(0).prompt.contains(QStringLiteral("『%1』").arg(offending)),
             qPrintable(m_recorder->at(0).prompt));
    QTRY_COMPARE(QApplication::focusWidget(), widget);
    QCOMPARE(Cls_MyTree::NodeTag(frame), frameTag);
    QCOMPARE(Cls_MyTree::NodeTag(item), itemTag);
    QCOMPARE(frame->text(0), QStringLiteral("F"));
    QCOMPARE(item->text(0), QStringLiteral("I"));
    // Saving refuses as well and writes nothing.
    QCoreApplication::processEvents();
    const QString before = readSetting("s.xml");
    save();
    QCOMPARE(status(), QStringLiteral("設定の保存に失敗しました。"));
    QCOMPARE(readSetting("s.xml"), before);
}

void tst_FrmSetting::unreadableWindowFieldRefusesSave_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("page");
    QTest::newRow("title closes itself") << u"Txt_Title"_s << u"a</Title>"_s << u"タイトル"_s << 0;
    QTest::newRow("icon opens the font")
        << u"Txt_PictureName"_s << u"<Font>"_s << u"アイコン"_s << 0;
    QTest::newRow("colour with a comment")
        << u"Txt_Color_3"_s << u"<!--x-->"_s << u"選択時の背景色"_s << 1;
}

void tst_FrmSetting::unreadableWindowFieldRefusesSave()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, label);
    QFETCH(int, page);
    QVERIFY(openWith({frameText(1, "F", {})}));
    const QString before = readSetting("s.xml");
    child<QLineEdit>(field)->setText(text);
    m_recorder->clear();
    save();
    QCOMPARE(status(), QStringLiteral("設定の保存に失敗しました。"));
    QCOMPARE(m_recorder->count(), 1);
    QVERIFY2(m_recorder->at(0).prompt.contains(QStringLiteral("「%1」").arg(label)),
             qPrintable(m_recorder->at(0).prompt));
    QCOMPARE(child<QTabBar>("Tab_Title")->currentIndex(), page);
    QCOMPARE(readSetting("s.xml"), before);
}

void tst_FrmSetting::unencodableTextRefusesSave()
{
    QVERIFY(openWith({frameText(1, "Frame One", {itemText(1, "first"), itemText(2, "second")})}));
    const QString before = readSetting("s.xml");
    QTreeWidgetItem *frame = topNode(0);
    expand(frame);
    clickNode(frame->child(1));
    auto *data = child<QPlainTextEdit>("Txt_Data");
    data->setFocus();
    data->setPlainText(QStringLiteral("caf\u00e9"));
    leaveTo(child<QTreeWidget>("Trv_EditList"));
    m_recorder->clear();
    QTest::mouseClick(child<QPushButton>("Cmd_Save"), Qt::LeftButton);
    QCOMPARE(status(), QStringLiteral("設定の保存に失敗しました。"));
    QCOMPARE(m_recorder->count(), 1);
    const QString prompt = m_recorder->at(0).prompt;
    QVERIFY2(prompt.contains(QStringLiteral("『\u00e9』")), qPrintable(prompt));
    QVERIFY2(prompt.contains(QStringLiteral("U+00E9")), qPrintable(prompt));
    QVERIFY2(prompt.contains(QStringLiteral("カテゴリ「Frame One」の項目「second」")),
             qPrintable(prompt));
    QCOMPARE(readSetting("s.xml"), before);

    // The common title is named by its field.
    data->setPlainText(QStringLiteral("cafe"));
    leaveTo(child<QTreeWidget>("Trv_EditList"));
    child<QLineEdit>("Txt_Title")->setText(QStringLiteral("\u20ac\u00a0"));
    m_recorder->clear();
    save();
    QCOMPARE(m_recorder->count(), 1);
    QVERIFY2(m_recorder->at(0).prompt.contains(QStringLiteral("基本設定の「タイトル」")),
             qPrintable(m_recorder->at(0).prompt));
    QCOMPARE(readSetting("s.xml"), before);
}

// A listed setting that cannot be read still holds what the user wrote: the editor says so
// and neither editing nor saving replaces it.
void tst_FrmSetting::unreadableSettingIsNotReplaced()
{
#ifdef Q_OS_UNIX
    const QString fifo = QDir(m_dir->path()).filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo), 0600), 0);
    const QString link = QDir(m_dir->path()).filePath("s.xml");
    QVERIFY(QFile::link(fifo, link));
    QVERIFY(openForm("s"));
    QCOMPARE(child<QComboBox>("Cbo_SettingFiles")->currentText(), QStringLiteral("s"));
    QCOMPARE(m_recorder->count(), 1);
    QVERIFY2(m_recorder->at(0).prompt.contains(QStringLiteral("『s.xml』")),
             qPrintable(m_recorder->at(0).prompt));
    QVERIFY(!child<QFrame>("Fra_Base")->isEnabled());
    m_form->findChild<QAction *>("mnu_Save")->trigger();
    QCOMPARE(status(), QStringLiteral("設定の保存に失敗しました。"));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo(fifo).isFile());
#else
    QSKIP("needs a named pipe");
#endif
}

void tst_FrmSetting::longValueSurvivesSave_data()
{
    QTest::addColumn<QString>("common");
    QTest::addColumn<QString>("frameTitle");
    QTest::addColumn<QString>("itemName");
    QTest::addColumn<QString>("itemBody");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("box"); // the multi-line box that shows it, if any
    // Longer than a line edit holds unless told otherwise.
    const QString v(40000, u'y');
    const QString d = u"<Data>d</Data>"_s;
    const auto row = [&](const char *name, const QString &common, const QString &frame,
                         const QString &item, const QString &body) -> QTestData & {
        return QTest::newRow(name) << common << frame << item << body;
    };
    row("window title", "<Title>" + v + "</Title>", u"F"_s, u"I"_s, d) << v << QString();
    row("picture", "<PictureName>" + v + "</PictureName>", u"F"_s, u"I"_s, d) << v << QString();
    row("font", "<Font>" + v + "</Font>", u"F"_s, u"I"_s, d) << v << QString();
    row("frame title", QString(), v, u"I"_s, d) << v << QString();
    row("item name", QString(), u"F"_s, v, d) << v << QString();
    row("link", QString(), u"F"_s, u"I"_s, "<Link>" + v + "</Link>") << v << QString();
    // A pasted blob without blanks (bench_editor_pages times showing it).
    const QString x(400000, u'x');
    row("data", QString(), u"F"_s, u"I"_s, "<Data>" + x + "</Data>") << x << u"Txt_Data"_s;
    row("pattern", QString(), u"F"_s, u"I"_s, "<Reg>" + x + "</Reg>") << x << u"Txt_Reg"_s;
    row("replacement", QString(), u"F"_s, u"I"_s, "<Reg>a</Reg><Replace>" + x + "</Replace>")
        << x << u"Txt_Replace"_s;
}

void tst_FrmSetting::longValueSurvivesSave()
{
    QFETCH(QString, common);
    QFETCH(QString, frameTitle);
    QFETCH(QString, itemName);
    QFETCH(QString, itemBody);
    QFETCH(QString, value);
    QFETCH(QString, box);
    writeSetting(
        "s.xml",
        crlf({QStringLiteral("<?xml version = '1.0' encoding = 'Shift_JIS'?>"),
              QStringLiteral("<myItem>"), "<CommonSetting>" + common + "</CommonSetting>",
              "<DataSetting>" + frameText(1, frameTitle, {itemText(1, itemName, itemBody)}) +
                  "</DataSetting>",
              QStringLiteral("</myItem>")}));
    QVERIFY(openForm());
    QTreeWidgetItem *frame = topNode(0);
    expand(frame);
    clickNode(frame->child(0));
    if (!box.isEmpty()) {
        clickNode(frame);
        clickNode(frame->child(0));
        QCOMPARE(LiveTestBench::boxText(child<QPlainTextEdit>(box)), value);
    }
    save();
    QCOMPARE(status(), QStringLiteral("設定を保存しました。"));
    QVERIFY(readSetting("s.xml").contains(u'>' + value + u'<'));
}

void tst_FrmSetting::backupAndRestore()
{
    QVERIFY(openWith({frameText(1, "Original", {itemText(1, "a")})}));
    const QString backupFolder = QDir(m_dir->path()).filePath("_backup");
    // Restoring before any backup exists fails honestly.
    QTest::mouseClick(child<QPushButton>("Cmd_復活"), Qt::LeftButton);
    QCOMPARE(status(), QStringLiteral("バックアップからの復帰に失敗しました"));

    QTest::mouseClick(child<QPushButton>("Cmd_CreateBackup"), Qt::LeftButton);
    QCOMPARE(status(), QStringLiteral("バックアップを作成しました"));
    QVERIFY(QFile::exists(QDir(backupFolder).filePath("s.xml")));
    QVERIFY(!QFile::exists(QDir::current().filePath("_backup/s.xml")));

    writeSetting("s.xml", settingText({frameText(1, "Changed", {})}));
    QTest::mouseClick(child<QPushButton>("Cmd_復活"), Qt::LeftButton);
    QCOMPARE(status(), QStringLiteral("バックアップから復帰しました"));
    QVERIFY(readSetting("s.xml").contains("Original"));
    QCOMPARE(topNode(0)->text(0), QStringLiteral("Original"));

    // A backup folder that cannot be made is reported.
    QFile::remove(QDir(backupFolder).filePath("s.xml"));
    QDir(backupFolder).removeRecursively();
    QFile blocker(backupFolder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QTest::mouseClick(child<QPushButton>("Cmd_CreateBackup"), Qt::LeftButton);
    QCOMPARE(status(), QStringLiteral("バックアップの作成に失敗しました"));
}

void tst_FrmSetting::deletedItemStaysDeleted()
{
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "keep"), itemText(2, "drop")})}));
    QTreeWidgetItem *frame = topNode(0);
    expand(frame);
    clickNode(frame->child(0));
    editCommand(6);
    clickNode(frame->child(1));
    editCommand(4);
    // A delete ends the copy.
    QVERIFY(!m_form->findChild<QAction *>("mnu_EditListItem_7")->isEnabled());
    QCOMPARE(status(), QStringLiteral("選択していた個所を削除しました。"));
    QCOMPARE(m_recorder->boxes().last().title, QStringLiteral("最後の選択"));
    QVERIFY(child<QTreeWidget>("Trv_EditList")->selectedItems().isEmpty());
    // The pages show the selection, which is nothing now.
    QCOMPARE(child<QLineEdit>("Txt_ItemTitle")->text(), QString());
    QCOMPARE(child<QLineEdit>("Txt_FrameTitle")->text(), QString());
    save();
    QCOMPARE(status(), QStringLiteral("設定を保存しました。"));
    const QString saved = readSetting("s.xml");
    QVERIFY(saved.contains("keep"));
    QVERIFY(!saved.contains("drop"));
}

void tst_FrmSetting::newFrameDoesNotCopyItems()
{
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "a"), itemText(2, "b")})}));
    QTreeWidgetItem *frame = topNode(0);
    clickNode(frame); // collapsed: its items were never loaded
    editCommand(0);   // cancelled: stores nothing
    QCOMPARE(status(), QStringLiteral("新規カテゴリを追加をやめました。"));
    // Storing the frame leaves its items on the model's frame document.
    QTest::mouseClick(child<QPushButton>("Cmd_FrameUpdate"), Qt::LeftButton);
    clickNode(frame);
    m_names = {QStringLiteral("Fresh")};
    editCommand(0);
    QCOMPARE(status(), QStringLiteral("新規カテゴリを追加しました。"));
    QCOMPARE(topNode(1)->text(0), QStringLiteral("Fresh"));
    QVERIFY2(!Cls_MyTree::NodeTag(topNode(1)).contains("<Item1>"),
             qPrintable(Cls_MyTree::NodeTag(topNode(1))));
    // The selected frame kept its items.
    QVERIFY(Cls_MyTree::NodeTag(frame).contains("<Name>b</Name>"));
}

void tst_FrmSetting::expandingAnotherFrameKeepsPage()
{
    QVERIFY(
        openWith({frameText(1, "A", {itemText(1, "a")}), frameText(2, "B", {itemText(1, "b")})}));
    expand(topNode(0));
    clickNode(topNode(0)->child(0));
    expand(topNode(1));
    QCOMPARE(child<QLineEdit>("Txt_FrameTitle")->text(), QStringLiteral("A"));
    auto *name = child<QLineEdit>("Txt_ItemTitle");
    name->setFocus();
    name->setText(QStringLiteral("a2"));
    leaveTo(child<QTreeWidget>("Trv_EditList"));
    QCOMPARE(topNode(0)->text(0), QStringLiteral("A"));
    QVERIFY(Cls_MyTree::NodeTag(topNode(0)).contains("<Name>a2</Name>"));
}

void tst_FrmSetting::rightClickShowsEditMenu()
{
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "I")})}));
    clickNode(topNode(0));
    child<QStatusBar>("StatusBar_View")->showMessage("x");
    auto *tree = child<QTreeWidget>("Trv_EditList");
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, QPoint(20, 150));
    auto *menu = child<QMenu>("mnu_EditList");
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(status(), QString());
    // The right click does not move the selection.
    QCOMPARE(tree->currentItem(), topNode(0));
    QVERIFY(m_form->findChild<QAction *>("mnu_EditListItem_2")->isEnabled());
    menu->close();
}

void tst_FrmSetting::deleteKeyEmptiesFontList()
{
    QVERIFY(openWith({frameText(1, "F", {})}));
    clickNode(topNode(0));
    auto *font = child<QComboBox>("Cbo_ItemFont");
    font->setCurrentText("Serif");
    font->setFocus();
    QTest::keyClick(font, Qt::Key_Delete);
    QCOMPARE(font->currentIndex(), 0);
    QCOMPARE(font->currentText(), QString());
}

void tst_FrmSetting::previewShowsAndReloadsPalette()
{
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "I", "<Data>@@@@/@@/@@</Data>")})}));
    QTest::mouseClick(child<QPushButton>("Cmd_Preview"), Qt::LeftButton);
    QPointer<Frm_Item_FromIniFile> first = mdl_Palette::CurrentWindow();
    QVERIFY(first != nullptr);
    QVERIFY(first->isVisible());
    // The preview's items give the date, as the palette's do.
    gObj_Setting->CurrentFrame(0);
    QVERIFY(gObj_Setting->SetDataPrepare(0));
    QCOMPARE(gObj_Setting->GetData(), QDate::currentDate().toString("yyyy/MM/dd"));
    auto *reload = first->findChild<QWidget *>("Lbl_Reload");
    QVERIFY(reload == nullptr || !reload->isVisible());
    // The preview's setting selector names another file; the editor keeps to its own.
    writeSetting("other.xml", settingText({frameText(1, "Other", {})}));
    const QString other = readSetting("other.xml");
    gStr_SettingFile = QStringLiteral("other.xml");
    QTest::mouseClick(child<QPushButton>("Cmd_Preview"), Qt::LeftButton);
    QCOMPARE(gObj_Setting->Name(), QStringLiteral("s.xml"));
    gStr_SettingFile = QStringLiteral("other.xml");
    save();
    QCOMPARE(status(), QStringLiteral("設定を保存しました。"));
    QCOMPARE(readSetting("other.xml"), other);
    QVERIFY(readSetting("s.xml").contains("<Name>I</Name><Data>@@@@/@@/@@</Data>"));
    // Ending the editor closes its preview.
    bool ended = false;
    Frm_Setting::SetEndHandler([&ended] { ended = true; });
    m_form->close();
    QVERIFY(ended);
    QCoreApplication::processEvents();
    QVERIFY(mdl_Palette::CurrentWindow() == nullptr || !mdl_Palette::CurrentWindow()->isVisible());
}

void tst_FrmSetting::concatenatedKeysDoNotCollide()
{
    // "Root1" + item 0 is "Root10", the key of the eleventh frame.
    QStringList frames;
    for (int n = 1; n <= 11; ++n) {
        frames.append(
            frameText(n, QStringLiteral("F%1").arg(n), {itemText(1, "x"), itemText(2, "y")}));
    }
    QVERIFY(openWith(frames));
    QCOMPARE(Cls_MyTree::NodeKey(topNode(10)), QStringLiteral("Root10"));
    expand(topNode(1));
    QCOMPARE(topNode(1)->childCount(), 2);
    QVERIFY(Cls_MyTree::NodeKey(topNode(1)->child(0)) != QStringLiteral("Root10"));
    clickNode(topNode(1)->child(1));
    save();
    QCOMPARE(status(), QStringLiteral("設定を保存しました。"));
    QVERIFY(readSetting("s.xml").contains(QStringLiteral("<Name>x</Name>")));
}

void tst_FrmSetting::newItemThenAnotherFrameExpands()
{
    QVERIFY(openWith({frameText(1, "A", {itemText(1, "a")}),
                      frameText(2, "B", {itemText(1, "b1"), itemText(2, "b2")})}));
    clickNode(topNode(0));
    m_names = {QStringLiteral("new")};
    editCommand(2);
    QCOMPARE(status(), QStringLiteral("新規項目を作成しました。"));
    QCOMPARE(topNode(0)->childCount(), 2);
    QVERIFY(Cls_MyTree::NodeTag(topNode(0)).contains(QStringLiteral("<Name>new</Name>")));
    expand(topNode(1));
    QCOMPARE(topNode(1)->childCount(), 2);
}

QTEST_MAIN(tst_FrmSetting)
// A click beside the nodes counts as a click in the tree: with no frame at all it is the
// only way to reach the new-frame entry of the menu bar.
void tst_FrmSetting::clickBesideNodes()
{
    QVERIFY(openWith({}));
    auto *newFrame = m_form->findChild<QAction *>("mnu_EditListItem_0");
    QVERIFY(!newFrame->isEnabled());
    auto *tree = child<QTreeWidget>("Trv_EditList");
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(newFrame->isEnabled());
    QVERIFY(!m_form->findChild<QAction *>("mnu_EditListItem_2")->isEnabled());
    QVERIFY(!child<QWidget>("Txt_Message")->isVisible());
}

// The list's name is not written to the file, so it cannot stop a save.
void tst_FrmSetting::settingNameOutsideCodePageSaves()
{
    const QString name = QStringLiteral("caf\u00e9");
    writeSetting(name + ".xml", settingText({frameText(1, "F", {itemText(1, "I")})}));
    QVERIFY(openForm(name));
    QCOMPARE(child<QComboBox>("Cbo_SettingFiles")->currentText(), name);
    m_recorder->clear();
    save();
    QCOMPARE(status(), QStringLiteral("設定を保存しました。"));
    QVERIFY(m_recorder->isEmpty());
    QVERIFY(readSetting(name + ".xml").contains("<Title>F</Title>"));
}

// Open through the menu, with the real dialog: the old form goes only after its own
// handler has returned, and the new one edits the chosen file.
void tst_FrmSetting::openThroughMenuReplacesForm()
{
    writeSetting("here.xml", settingText({frameText(1, "Here", {})}));
    QVERIFY(openForm());
    m_form->setAttribute(Qt::WA_DeleteOnClose);
    QTemporaryDir other;
    QVERIFY(other.isValid());
    for (const QString &name : {QStringLiteral("alpha.xml"), QStringLiteral("zeta.xml")}) {
        QVERIFY(writeBytes(QDir(other.path()).filePath(name),
                           *Cp932Codec::encode(settingText({frameText(1, name, {})}))));
    }
    QPointer<Frm_Setting> old = m_form;
    // Alt+F, then O in the open menu: the command runs inside the menu's own key handler.
    const int exitCode = runSteps(
        {[&] { QTest::keyClick(old, Qt::Key_F, Qt::AltModifier); },
         [&] {
             auto *menu = old->findChild<QMenu *>("mnu_File");
             QVERIFY(menu->isVisible());
             QTest::keyClick(menu, Qt::Key_O);
         },
         [&] { answerFileDialog(QDir(other.path()).filePath("zeta.xml")); }, [] {}, [] {}});
    QCOMPARE(exitCode, 42);
    QVERIFY(old.isNull());
    m_form = Frm_Setting::Instance();
    QVERIFY(m_form != nullptr);
    QVERIFY(m_form->isVisible());
    auto *combo = child<QComboBox>("Cbo_SettingFiles");
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->currentText(), QStringLiteral("zeta"));
    QCOMPARE(topNode(0)->text(0), QStringLiteral("zeta.xml"));
    QCOMPARE(status(), QStringLiteral("対象設定を選択しました。"));
}

// Two previews in a row, by button and by menu: the editor keeps running.
void tst_FrmSetting::secondPreviewKeepsEditorRunning()
{
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "I")})}));
    auto *preview = child<QPushButton>("Cmd_Preview");
    auto *reload = m_form->findChild<QAction *>("mnu_Reload");
    const int exitCode = runSteps({[&] { QTest::mouseClick(preview, Qt::LeftButton); },
                                   [&] { QTest::mouseClick(preview, Qt::LeftButton); },
                                   [&] { reload->trigger(); }, [&] { reload->trigger(); }, [] {}});
    QCOMPARE(exitCode, 42);
    QVERIFY(m_form != nullptr);
    QVERIFY(m_form->isVisible());
    QVERIFY(mdl_Palette::CurrentWindow() != nullptr);
    QVERIFY(mdl_Palette::CurrentWindow()->isVisible());
}

// Two quick clicks: the page shows the second node, and its update goes there.
void tst_FrmSetting::quickClicksShowAndStoreLastNode()
{
    QVERIFY(openWith(
        {frameText(1, "for Edit", {itemText(1, "a")}), frameText(2, "Tips", {itemText(1, "b")})}));
    auto *tree = child<QTreeWidget>("Trv_EditList");
    auto *lineCount = child<QLineEdit>("Txt_LineCount");
    tree->setFocus();
    const int exitCode = runSteps(
        {[&] {
             postClick(tree->viewport(), nodeCenter(topNode(0)));
             postClick(tree->viewport(), nodeCenter(topNode(1)));
         },
         [&] {
             QTest::mouseClick(lineCount, Qt::LeftButton);
             lineCount->selectAll();
             QTest::keyClicks(lineCount, "3");
         },
         [&] { QTest::mouseClick(child<QPushButton>("Cmd_FrameUpdate"), Qt::LeftButton); }, [] {}});
    QCOMPARE(exitCode, 42);
    QCOMPARE(tree->currentItem(), topNode(1));
    QCOMPARE(child<QLineEdit>("Txt_FrameTitle")->text(), QStringLiteral("Tips"));
    QCOMPARE(topNode(0)->text(0), QStringLiteral("for Edit"));
    QCOMPARE(topNode(1)->text(0), QStringLiteral("Tips"));
    QVERIFY(Cls_MyTree::NodeTag(topNode(0)).contains("<Title>for Edit</Title>"));
    QVERIFY(!Cls_MyTree::NodeTag(topNode(0)).contains("<LineCount>3</LineCount>"));
    QVERIFY(Cls_MyTree::NodeTag(topNode(1)).contains("<LineCount>3</LineCount>"));
}

// Fifty Down presses queued at once: the page follows the tree to the last one.
void tst_FrmSetting::queuedArrowKeysKeepPageOnCurrentNode()
{
    QVERIFY(openWith({frameText(1, "F", namedItems(60))}));
    auto *tree = child<QTreeWidget>("Trv_EditList");
    expand(topNode(0));
    clickNode(topNode(0)->child(0));
    tree->setFocus();
    const int exitCode = runSteps({[&] {
                                       for (int k = 0; k < 50; ++k) {
                                           postKey(tree, Qt::Key_Down);
                                       }
                                   },
                                   [] {}, [] {}});
    QCOMPARE(exitCode, 42);
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("N51"));
    QCOMPARE(child<QLineEdit>("Txt_ItemTitle")->text(), QStringLiteral("N51"));
}

// A big pasted item, then a quick click on the next item and save: each item keeps its own
// values in the file.
void tst_FrmSetting::bigItemThenNextItemSavesBoth()
{
    QVERIFY(openWith({frameText(
        1, "F",
        {itemText(1, "first", "<Data>1</Data>"), itemText(2, "second", "<Data>2</Data>")})}));
    auto *tree = child<QTreeWidget>("Trv_EditList");
    expand(topNode(0));
    clickNode(topNode(0)->child(0));
    const QString bigName = QString(40000, u'n');
    const QString bigData = QString(300000, u'd');
    auto *name = child<QLineEdit>("Txt_ItemTitle");
    auto *data = child<QPlainTextEdit>("Txt_Data");
    auto *save = child<QPushButton>("Cmd_Save");
    // The press on the next item comes now; its release and the click on save wait in the
    // queue behind it.
    const int exitCode =
        runSteps({[&] {
                      QTest::mouseClick(name, Qt::LeftButton);
                      name->setText(bigName);
                      QTest::mouseClick(data->viewport(), Qt::LeftButton);
                      data->setPlainText(bigData);
                      const QPoint at = nodeCenter(topNode(0)->child(1));
                      QCoreApplication::postEvent(
                          tree->viewport(), new QMouseEvent(QEvent::MouseButtonRelease, QPointF(at),
                                                            tree->viewport()->mapToGlobal(at),
                                                            Qt::LeftButton, {}, {}));
                      postClick(save, save->rect().center());
                      QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, at);
                  },
                  [] {}});
    QCOMPARE(exitCode, 42);
    QCOMPARE(status(), QStringLiteral("設定を保存しました。"));
    Cls_MySettingFile saved;
    saved.Path(m_dir->path());
    saved.Name("s.xml");
    saved.FillDatesOnLoad(false);
    QVERIFY(saved.LoadFile());
    saved.CurrentFrame(0);
    QVERIFY(saved.SetDataPrepare(0));
    QCOMPARE(saved.GetName(), bigName);
    QCOMPARE(saved.GetData(), bigData);
    QVERIFY(saved.SetDataPrepare(1));
    QCOMPARE(saved.GetName(), QStringLiteral("second"));
    QCOMPARE(saved.GetData(), QStringLiteral("2"));
}

// Everything the mouse does, the keyboard does too.
void tst_FrmSetting::keyboardReachesEveryCommand()
{
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "I", "<Data>d</Data>")})}));
    auto *tree = child<QTreeWidget>("Trv_EditList");
    auto *menu = child<QMenu>("mnu_EditList");
    clickNode(topNode(0));
    tree->setFocus(Qt::TabFocusReason);
    // Alt+E from the tree: the menu bar taking the focus is not leaving the tree.
    QTest::keyClick(m_form, Qt::Key_E, Qt::AltModifier);
    QTRY_VERIFY(menu->isVisible());
    for (const int k : {0, 2, 4}) {
        QVERIFY(m_form->findChild<QAction *>(QStringLiteral("mnu_EditListItem_%1").arg(k))
                    ->isEnabled());
    }
    menu->close();
    // The context menu from the keyboard, under the current node.
    for (const auto &[key, modifiers] :
         {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
        tree->setFocus(Qt::TabFocusReason);
        QTest::keyClick(tree, key, modifiers);
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(menu->geometry().top() >= tree->viewport()->mapToGlobal(QPoint(0, 0)).y());
        menu->close();
    }
    // Tab and Ctrl+Tab move on from a multi-line box and leave its text alone.
    expand(topNode(0));
    clickNode(topNode(0)->child(0));
    auto *data = child<QPlainTextEdit>("Txt_Data");
    for (const Qt::KeyboardModifiers modifiers : {Qt::NoModifier, Qt::ControlModifier}) {
        data->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(data, Qt::Key_Tab, modifiers);
        QVERIFY(!data->hasFocus());
        QCOMPARE(data->toPlainText(), QStringLiteral("d"));
    }
    data->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(data, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(!data->hasFocus());
    // "Option" takes the focus and opens with Space.
    auto *option = child<QLabel>("Lbl_OpenOption");
    QVERIFY(option->focusPolicy() & Qt::TabFocus);
    option->setFocus(Qt::TabFocusReason);
    const bool shown = child<QWidget>("Fra_Extra")->isVisible();
    QTest::keyClick(option, Qt::Key_Space);
    QCOMPARE(child<QWidget>("Fra_Extra")->isVisible(), !shown);
    // Ctrl+S saves.
    auto *name = child<QLineEdit>("Txt_ItemTitle");
    name->setFocus(Qt::MouseFocusReason);
    name->selectAll();
    QTest::keyClicks(name, "renamed");
    QApplication::setActiveWindow(m_form);
    QTest::keyClick(name, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(status(), QStringLiteral("設定を保存しました。"));
    QVERIFY(readSetting("s.xml").contains("<Name>renamed</Name>"));
}

// A backup that is no setting file is not copied over the user's settings.
void tst_FrmSetting::restoreRefusesBrokenBackup()
{
    QVERIFY(openWith({frameText(1, "Kept", {itemText(1, "a")})}));
    QVERIFY(QDir(m_dir->path()).mkdir("_backup"));
    const QByteArray whole = *Cp932Codec::encode(settingText({frameText(1, "Old", {})}));
    const QString backup = QDir(m_dir->path()).filePath("_backup/s.xml");
    QVERIFY(writeBytes(backup, whole.left(whole.size() / 2)));
    const QString before = readSetting("s.xml");
    m_recorder->clear();
    QTest::mouseClick(child<QPushButton>("Cmd_復活"), Qt::LeftButton);
    QCOMPARE(readSetting("s.xml"), before);
    QCOMPARE(m_recorder->count(), 1);
    QVERIFY(m_recorder->at(0).prompt.contains(QStringLiteral("読み込めない")));
    QCOMPARE(status(), QStringLiteral("バックアップからの復帰に失敗しました"));
    // A whole backup is restored, and the pages show the reloaded selection.
    QVERIFY(writeBytes(backup, whole));
    clickNode(topNode(0));
    QTest::mouseClick(child<QPushButton>("Cmd_復活"), Qt::LeftButton);
    QCOMPARE(status(), QStringLiteral("バックアップから復帰しました"));
    QCOMPARE(topNode(0)->text(0), QStringLiteral("Old"));
    QCOMPARE(child<QLineEdit>("Txt_FrameTitle")->text(), QString());
}

void tst_FrmSetting::testRunWithNothingSelectedChangesNothing()
{
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "E", "<Reg>a</Reg>")})}));
    showFirstItem(true);
    QCOMPARE(status(), QStringLiteral("置換作業のテスト用画面を開きました。"));
    // Nothing selected any more: the run leaves both boxes and the status line alone.
    child<QTreeWidget>("Trv_EditList")->setCurrentItem(nullptr);
    child<QTreeWidget>("Trv_EditList")->clearSelection();
    auto *base = child<QPlainTextEdit>("Txt_TestBase");
    auto *after = child<QPlainTextEdit>("Txt_TestAfter");
    after->setPlainText(QStringLiteral("before"));
    const QString sample = base->toPlainText();
    const QString shown = status();
    QTest::mouseClick(child<QPushButton>("Cmd_RegTest"), Qt::LeftButton);
    QCOMPARE(base->toPlainText(), sample);
    QCOMPARE(after->toPlainText(), QStringLiteral("before"));
    QCOMPARE(status(), shown);
    // A data item has no test area.
    QTest::mouseClick(child<QRadioButton>("Opt_ItemType_0"), Qt::LeftButton);
    QVERIFY(!child<QWidget>("Fra_RegTest")->isVisible());
    QVERIFY(!child<QLabel>("Lbl_TestFrameOpen")->isVisible());
    QVERIFY(child<QLabel>("Lbl_TitleShadow")->isVisible());
}

void tst_FrmSetting::catalogInsertion()
{
    QVERIFY(openWith({}));
    auto *tree = child<QTreeWidget>("Trv_EditList");
    QCOMPARE(tree->topLevelItemCount(), 0);
    QTest::mouseClick(child<QLabel>("Lbl_OpenOption"), Qt::LeftButton);
    auto *label = child<QLabel>("Lbl_DefaultSetting_1");
    QVERIFY(label->isVisible());
    m_recorder->queueAnswer(int(MsgBox::No));
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(m_recorder->count(), 1);
    QCOMPARE(tree->topLevelItemCount(), 0);
    QTest::mouseClick(label, Qt::LeftButton);
    const QList<int> counts = {3, 4, 1, 4, 3, 4, 1, 4, 1};
    QCOMPARE(tree->topLevelItemCount(), counts.size());
    for (int f = 0; f < counts.size(); ++f) {
        QCOMPARE(topNode(f)->childCount(), counts.at(f));
        Cls_XML reader;
        reader.SetFileItem(Cls_MyTree::NodeTag(topNode(f)), QString());
        QCOMPARE(reader.Gets("Font"), QStringLiteral("Times New Roman"));
    }
    QVERIFY(tree->isVisible());
    QVERIFY(!child<QWidget>("Fra_Extra")->isVisible());
}

void tst_FrmSetting::liveBenchInForm()
{
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "E", "<Reg>x</Reg>")})}));
    showFirstItem(true);
    auto *base = child<QPlainTextEdit>("Txt_TestBase");
    base->setPlainText(QStringLiteral("a1 b22 c333"));
    auto *pattern = child<QPlainTextEdit>("Txt_Reg");
    pattern->setFocus();
    pattern->selectAll();
    QTest::keyClicks(pattern, QStringLiteral("[0-9]+"));
    auto *count = child<QLabel>("Lbl_TestMatchCount");
    QTRY_COMPARE(count->text(), QStringLiteral("3件一致"));
    const auto spans = base->extraSelections();
    QCOMPARE(spans.size(), 3);
    QCOMPARE(spans.at(1).cursor.selectedText(), QStringLiteral("22"));
    // Nothing was stored by the live run.
    QVERIFY(Cls_MyTree::NodeTag(topNode(0)->child(0)).contains(QStringLiteral("<Reg>x</Reg>")));
    // A bad pattern says where it is wrong.
    QTest::keyClicks(pattern, QStringLiteral("("));
    QTRY_VERIFY(count->text().contains(QStringLiteral("文字目")));
}

void tst_FrmSetting::showFirstItem(bool openTestArea)
{
    QTest::mouseClick(child<QTabBar>("Tab_Title"), Qt::LeftButton, {},
                      child<QTabBar>("Tab_Title")->tabRect(2).center());
    expand(topNode(0));
    clickNode(topNode(0)->child(0));
    if (openTestArea) {
        QVERIFY(child<QLabel>("Lbl_TestFrameOpen")->isVisible());
        QTest::mouseClick(child<QLabel>("Lbl_TestFrameOpen"), Qt::LeftButton);
        QVERIFY(child<QWidget>("Fra_RegTest")->isVisible());
    }
}

// A pattern that runs into the engine's limit, typed into the real form: clicks and keys
// queued meanwhile are handled at once, and the bench ends with why the run stopped.
void tst_FrmSetting::runawayPatternKeepsFormResponsive()
{
    QVERIFY(openWith({frameText(1, "F",
                                {itemText(1, "E",
                                          "<Reg>x</Reg><Replace>y a b"
                                          "</Replace>")})}));
    showFirstItem(true);
    auto *bench = m_form->findChild<LiveTestBench *>();
    QVERIFY(bench != nullptr);
    // Quadratic for this pattern: far longer than the engine allows.
    child<QPlainTextEdit>("Txt_TestBase")->setPlainText(QString(200'000, u' ') + u'x');
    auto *pattern = child<QPlainTextEdit>("Txt_Reg");
    pattern->setFocus();
    pattern->selectAll();
    QTest::keyClicks(pattern, QStringLiteral("(?:\\s|\\t)+$"));
    QTRY_COMPARE(bench->engine().runningCount(), 1);

    // While it runs: a click on Select and a key typed into the item's name, both queued.
    QElapsedTimer clock;
    qint64 clickHandled = -1;
    qint64 keyHandled = -1;
    connect(child<QStatusBar>("StatusBar_View"), &QStatusBar::messageChanged, this,
            [&](const QString &text) {
                if (text == QStringLiteral("テキストボックスの内容を選択しました") &&
                    clickHandled < 0)
                    clickHandled = clock.elapsed();
            });
    auto *name = child<QLineEdit>("Txt_ItemTitle");
    connect(name, &QLineEdit::textChanged, this, [&] {
        if (keyHandled < 0)
            keyHandled = clock.elapsed();
    });
    QWidget *select = child<QWidget>("Lbl_Select_Replace");
    QTimer::singleShot(0, this, [&] {
        clock.start();
        postClick(select, select->rect().center());
        name->setFocus();
        name->end(false);
        QCoreApplication::postEvent(
            name, new QKeyEvent(QEvent::KeyPress, Qt::Key_Z, {}, QStringLiteral("z")));
        QCoreApplication::postEvent(
            name, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Z, {}, QStringLiteral("z")));
    });
    QTRY_VERIFY2(
        clickHandled >= 0 && keyHandled >= 0,
        qPrintable(
            QStringLiteral("%1 ms, %2 ms, %3").arg(clickHandled).arg(keyHandled).arg(status())));
    // A window blocked by the run would wait for the engine's limit of two seconds.
    QVERIFY2(clickHandled < 1000 && keyHandled < 1000,
             qPrintable(QStringLiteral("%1 ms, %2 ms").arg(clickHandled).arg(keyHandled)));
    QCOMPARE(bench->engine().runningCount(), 1);
    QCOMPARE(child<QPlainTextEdit>("Txt_Replace")->textCursor().selectedText(),
             QStringLiteral("y a b"));
    QCOMPARE(name->text(), QStringLiteral("Ez"));
    auto *count = child<QLabel>("Lbl_TestMatchCount");
    QTRY_VERIFY_WITH_TIMEOUT(count->text().startsWith(QStringLiteral("パターンを実行できません：")),
                             20000);
    QTRY_COMPARE(bench->engine().runningCount(), 0);
    QVERIFY(child<QPlainTextEdit>("Txt_TestAfter")->toPlainText().isEmpty());
}

// On a 1024x768 screen, with the test area open and the wider preset page shown, the form
// still fits and the pattern boxes are not narrower than the preset panel beside them.
void tst_FrmSetting::itemPageFitsSmallScreen()
{
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "E", "<Reg>x</Reg>")})}));
    showFirstItem(true);
    auto *presets = child<QTabWidget>("Tab_RegSampleArea");
    QTest::mouseClick(presets->tabBar(), Qt::LeftButton, {},
                      presets->tabBar()->tabRect(1).center());
    QCOMPARE(presets->currentIndex(), 1);
    // The screen less a window manager's title bar.
    const QSize screen(1024, 768 - 20);
    m_form->resize(screen);
    QTest::qWait(0);
    QVERIFY2(m_form->minimumSizeHint().height() <= screen.height(),
             qPrintable(QString::number(m_form->minimumSizeHint().height())));
    QCOMPARE(m_form->size(), screen);
    QVERIFY2(child<QWidget>("Fra_RegArea")->width() >= presets->width(),
             qPrintable(QStringLiteral("%1 < %2")
                            .arg(child<QWidget>("Fra_RegArea")->width())
                            .arg(presets->width())));
}

void tst_FrmSetting::doubleClickSelectsWholeText_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("openTestArea");
    QTest::newRow("data") << u"Txt_Data"_s << u"<Data>one two three</Data>"_s << false;
    QTest::newRow("link") << u"Txt_Link"_s << u"<Link>one two three</Link>"_s << false;
    QTest::newRow("pattern") << u"Txt_Reg"_s << u"<Reg>one two three</Reg>"_s << false;
    QTest::newRow("replacement") << u"Txt_Replace"_s
                                 << u"<Reg>x</Reg><Replace>one two three</Replace>"_s << false;
    QTest::newRow("sample") << u"Txt_TestBase"_s << u"<Reg>x</Reg>"_s << true;
}

// A double click on a word selects the box's whole text, not the word.
void tst_FrmSetting::doubleClickSelectsWholeText()
{
    QFETCH(QString, field);
    QFETCH(QString, body);
    QFETCH(bool, openTestArea);
    QVERIFY(openWith({frameText(1, "F", {itemText(1, "I", body)})}));
    showFirstItem(openTestArea);
    QWidget *box = child<QWidget>(field);
    QVERIFY(box->isVisible());
    if (auto *line = qobject_cast<QLineEdit *>(box)) {
        QTest::mouseDClick(line, Qt::LeftButton, {}, QPoint(8, line->height() / 2));
        QCOMPARE(line->selectedText(), QStringLiteral("one two three"));
        return;
    }
    auto *plain = qobject_cast<QPlainTextEdit *>(box);
    QVERIFY(plain != nullptr);
    const QString text = plain->toPlainText();
    QVERIFY(text.contains(u' ') || text.contains(u'\n'));
    QTest::mouseDClick(plain->viewport(), Qt::LeftButton, {},
                       plain->cursorRect(plain->textCursor()).center() + QPoint(3, 0));
    QCOMPARE(plain->textCursor().selectionStart(), 0);
    QCOMPARE(plain->textCursor().selectionEnd(), text.size());
}

#include "tst_frm_setting.moc"
