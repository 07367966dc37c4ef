#include "TextCommands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;
using Command = TextCommands::Command;

class tst_TextCommands final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clear();
    void copyEmptyFieldEmptiesClipboard();
    void copyMultiLineUsesCrLf();
    void selectKeepsFocus();
    void defaultClipboardTwice();
    void releaseOutsideDoesNothing();

private:
    template<typename T> T *child(const QString &name) const
    {
        return m_window->findChild<T *>(name);
    }
    void click(const QString &label) { QTest::mouseClick(child<QLabel>(label), Qt::LeftButton); }

    std::unique_ptr<QWidget> m_window;
    TextCommands *m_commands = nullptr;
    std::unique_ptr<QSignalSpy> m_status;
};

void tst_TextCommands::init()
{
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    m_commands = new TextCommands(m_window.get());
    auto *link = new QLineEdit(u"http://example.invalid/"_s, m_window.get());
    link->setObjectName(u"Txt_Link"_s);
    auto *data = new QPlainTextEdit(u"line 1\r\nline 2"_s, m_window.get());
    data->setObjectName(u"Txt_Data"_s);
    layout->addWidget(link);
    layout->addWidget(data);
    for (QWidget *field : {static_cast<QWidget *>(link), static_cast<QWidget *>(data)}) {
        for (Command command : {Command::Clear, Command::Copy, Command::Select}) {
            layout->addWidget(m_commands->createLabel(command, field, m_window.get()));
        }
    }
    layout->addWidget(m_commands->createDefaultClipboardLabel(data, m_window.get()));
    m_status = std::make_unique<QSignalSpy>(m_commands, &TextCommands::statusMessage);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void tst_TextCommands::cleanup()
{
    m_status.reset();
    m_window.reset();
}

void tst_TextCommands::clear()
{
    click(u"Lbl_Clear_Data"_s);
    QVERIFY(child<QPlainTextEdit>(u"Txt_Data"_s)->toPlainText().isEmpty());
    QCOMPARE(m_status->size(), 1);
    QCOMPARE(m_status->at(0).at(0).toString(), u"テキストボックスをクリアしました"_s);
}

void tst_TextCommands::copyEmptyFieldEmptiesClipboard()
{
    QGuiApplication::clipboard()->setText(u"before"_s);
    child<QLineEdit>(u"Txt_Link"_s)->clear();
    click(u"Lbl_Copy_Link"_s);
    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    QCOMPARE(m_status->at(0).at(0).toString(), u"テキストボックスの内容をコピーしました"_s);
}

void tst_TextCommands::copyMultiLineUsesCrLf()
{
    click(u"Lbl_Copy_Data"_s);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"line 1\r\nline 2"_s);
}

void tst_TextCommands::selectKeepsFocus()
{
    auto *link = child<QLineEdit>(u"Txt_Link"_s);
    auto *data = child<QPlainTextEdit>(u"Txt_Data"_s);
    link->setFocus();
    QTRY_VERIFY(link->hasFocus());
    click(u"Lbl_Select_Data"_s);
    QCOMPARE(data->textCursor().selectedText(), u"line 1\u2029line 2"_s);
    QVERIFY(link->hasFocus());
    click(u"Lbl_Select_Link"_s);
    QCOMPARE(link->selectedText(), link->text());
    QCOMPARE(m_status->last().at(0).toString(), u"テキストボックスの内容を選択しました"_s);
}

void tst_TextCommands::defaultClipboardTwice()
{
    click(u"Lbl_DefaultClipboard"_s);
    click(u"Lbl_DefaultClipboard"_s);
    const QString text = TextCommands::fieldText(child<QPlainTextEdit>(u"Txt_Data"_s));
    QCOMPARE(text, u"line 1\r\nline 2"_s + QString(16, u'@'));
    QCOMPARE(m_status->size(), 0);
}

void tst_TextCommands::releaseOutsideDoesNothing()
{
    auto *label = child<QLabel>(u"Lbl_Clear_Data"_s);
    QTest::mousePress(label, Qt::LeftButton);
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(-5, -5));
    QCOMPARE(child<QPlainTextEdit>(u"Txt_Data"_s)->toPlainText(), u"line 1\nline 2"_s);
    QCOMPARE(m_status->size(), 0);
}

QTEST_MAIN(tst_TextCommands)
#include "tst_textcommands.moc"
