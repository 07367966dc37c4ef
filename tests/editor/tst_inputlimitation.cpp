#include "Cls_InputLimitation.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;
using Mode = Cls_InputLimitation::Mode;
Q_DECLARE_METATYPE(Cls_InputLimitation::Mode)

class tst_InputLimitation final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typingRefusedCharacterPutsBackLastText();
    void pastedSeparatorsAreRemovedOnLeaving();
    void minusOnlyWhereAllowed_data();
    void minusOnlyWhereAllowed();
    void emptyBoxStaysEmpty();
    void dateFormatsOnLeavingAndDoubleClick();
    void programTextIsNotChecked();
    void leaveFormat_data();
    void leaveFormat();
    void editFormat_data();
    void editFormat();

private:
    QLineEdit *box(const QString &name) const { return m_window->findChild<QLineEdit *>(name); }
    void focus(QLineEdit *b);
    void paste(QLineEdit *b, const QString &text);

    std::unique_ptr<QWidget> m_window;
    Cls_InputLimitation *m_limit = nullptr;
};

void tst_InputLimitation::init()
{
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    m_limit = new Cls_InputLimitation(m_window.get());
    const QList<std::pair<QString, Mode>> fields = {{u"Txt_FontSize"_s, Mode::Numeric},
                                                    {u"Txt_ItemHeight"_s, Mode::Numeric},
                                                    {u"Txt_ItemWidth"_s, Mode::Numeric},
                                                    {u"Txt_PositioningTop"_s, Mode::Numeric},
                                                    {u"Txt_PositioningLeft"_s, Mode::Numeric},
                                                    {u"Txt_Date"_s, Mode::Date},
                                                    {u"Txt_Other"_s, Mode::None}};
    for (const auto &[name, mode] : fields) {
        auto *edit = new QLineEdit(m_window.get());
        edit->setObjectName(name);
        layout->addWidget(edit);
        if (mode == Mode::Date) {
            m_limit->watch(edit, mode);
        }
    }
    QCOMPARE(m_limit->watchEditorFields(m_window.get()), 5);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void tst_InputLimitation::cleanup()
{
    m_window.reset();
}

void tst_InputLimitation::focus(QLineEdit *b)
{
    QTest::mouseClick(b, Qt::LeftButton);
    QTRY_VERIFY(b->hasFocus());
}

void tst_InputLimitation::paste(QLineEdit *b, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(b, Qt::Key_V, Qt::ControlModifier);
}

void tst_InputLimitation::typingRefusedCharacterPutsBackLastText()
{
    QLineEdit *size = box(u"Txt_FontSize"_s);
    focus(size);
    QTest::keyClicks(size, u"12a"_s);
    QCOMPARE(size->text(), u"12"_s);
    QCOMPARE(size->cursorPosition(), 2);
    // A refused character in the middle puts the caret before its place.
    size->setCursorPosition(1);
    QTest::keyClicks(size, u"x"_s);
    QCOMPARE(size->text(), u"12"_s);
    QCOMPARE(size->cursorPosition(), 1);
}

void tst_InputLimitation::pastedSeparatorsAreRemovedOnLeaving()
{
    QLineEdit *width = box(u"Txt_ItemWidth"_s);
    focus(width);
    paste(width, u"1,200"_s);
    QCOMPARE(width->text(), u"1,200"_s);
    QTest::keyClick(width, Qt::Key_Tab);
    QTRY_VERIFY(!width->hasFocus());
    QCOMPARE(width->text(), u"1200"_s);
}

void tst_InputLimitation::minusOnlyWhereAllowed_data()
{
    QTest::addColumn<QStringList>("order");
    QTest::newRow("positioning first") << QStringList{u"Txt_PositioningTop"_s, u"Txt_ItemHeight"_s};
    QTest::newRow("height first") << QStringList{u"Txt_ItemHeight"_s, u"Txt_PositioningTop"_s};
    QTest::newRow("height, positioning, height")
        << QStringList{u"Txt_ItemHeight"_s, u"Txt_PositioningTop"_s, u"Txt_ItemHeight"_s};
}

void tst_InputLimitation::minusOnlyWhereAllowed()
{
    QFETCH(QStringList, order);
    for (const QString &name : order) {
        QLineEdit *b = box(name);
        b->clear();
        focus(b);
        paste(b, u"-900"_s);
        const bool allowed = name == u"Txt_PositioningTop"_s;
        QCOMPARE(b->text(), allowed ? u"-900"_s : QString());
        QTest::keyClick(b, Qt::Key_Tab);
        QTRY_VERIFY(!b->hasFocus());
        QCOMPARE(b->text(), allowed ? u"-900"_s : QString());
    }
    // Typed rather than pasted, the minus alone is refused.
    QLineEdit *height = box(u"Txt_ItemHeight"_s);
    height->clear();
    focus(height);
    QTest::keyClicks(height, u"-900"_s);
    QCOMPARE(height->text(), u"900"_s);
}

void tst_InputLimitation::emptyBoxStaysEmpty()
{
    QLineEdit *size = box(u"Txt_FontSize"_s);
    focus(size);
    QTest::keyClick(size, Qt::Key_Tab);
    QTRY_VERIFY(!size->hasFocus());
    QCOMPARE(size->text(), QString());
    QVERIFY(m_limit->isWellFormed());
}

void tst_InputLimitation::dateFormatsOnLeavingAndDoubleClick()
{
    QLineEdit *date = box(u"Txt_Date"_s);
    focus(date);
    QTest::keyClicks(date, u"2007x0120"_s);
    QCOMPARE(date->text(), u"20070120"_s);
    QTest::keyClick(date, Qt::Key_Tab);
    QTRY_VERIFY(!date->hasFocus());
    QCOMPARE(date->text(), u"2007/01/20"_s);

    focus(date);
    QTest::mouseDClick(date, Qt::LeftButton);
    QCOMPARE(date->text(), u"20070120"_s);
    QCOMPARE(date->selectedText(), u"20070120"_s);
}

void tst_InputLimitation::programTextIsNotChecked()
{
    // A page filled from the file while the box is bound keeps what the file holds, and
    // that text is what a refused keystroke goes back to.
    QLineEdit *height = box(u"Txt_ItemHeight"_s);
    focus(height);
    height->setText(u"-5"_s);
    QCOMPARE(height->text(), u"-5"_s);
    height->end(false);
    QTest::keyClicks(height, u"z"_s);
    QCOMPARE(height->text(), u"-5"_s);
}

void tst_InputLimitation::leaveFormat_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<bool>("yearMonthDay");
    QTest::addColumn<bool>("clearBadDate");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("wellFormed");
    QTest::newRow("leading zeros") << u"007"_s << Mode::Numeric << false << false << u"7"_s << true;
    QTest::newRow("not a number kept")
        << u"1-2"_s << Mode::Numeric << false << false << u"1-2"_s << true;
    QTest::newRow("long number exact") << u"123456789012345678901"_s << Mode::Numeric << false
                                       << false << u"123456789012345678901"_s << true;
    QTest::newRow("decimal grouped and rounded")
        << u"1234567.1234567"_s << Mode::Decimal << false << false << u"1,234,567.123457"_s << true;
    QTest::newRow("decimal carry")
        << u"9.9999999"_s << Mode::Decimal << false << false << u"10.0"_s << true;
    QTest::newRow("two points kept")
        << u"1.2.3"_s << Mode::Decimal << false << false << u"1.2.3"_s << true;
    QTest::newRow("year and month")
        << u"200701"_s << Mode::Date << false << false << u"2007/01"_s << true;
    QTest::newRow("date with kanji")
        << u"20070120"_s << Mode::Date << true << false << u"2007年01月20日"_s << true;
    QTest::newRow("kanji date left twice")
        << u"2007年01月20日"_s << Mode::Date << true << true << u"2007年01月20日"_s << true;
    QTest::newRow("bad date kept")
        << u"2007012"_s << Mode::Date << false << false << u"2007012"_s << false;
    QTest::newRow("bad date erased")
        << u"2007012"_s << Mode::Date << false << true << QString() << false;
    QTest::newRow("hours and minutes")
        << u"1230"_s << Mode::Time << false << false << u"12:30"_s << true;
    QTest::newRow("with seconds") << u"12:30:45"_s << Mode::Time << false << false << u"12:30:45"_s
                                  << true;
    QTest::newRow("bad time") << u"123"_s << Mode::Time << false << false << u"123"_s << false;
    QTest::newRow("telephone untouched")
        << u"03-1234"_s << Mode::Digits << false << false << u"03-1234"_s << true;
}

void tst_InputLimitation::leaveFormat()
{
    QFETCH(QString, text);
    QFETCH(Mode, mode);
    QFETCH(bool, yearMonthDay);
    QFETCH(bool, clearBadDate);
    QFETCH(QString, expected);
    QFETCH(bool, wellFormed);
    bool ok = true;
    QCOMPARE(Cls_InputLimitation::leaveFormat(text, mode, yearMonthDay, clearBadDate, &ok),
             expected);
    QCOMPARE(ok, wellFormed);
}

void tst_InputLimitation::editFormat_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QString>("expected");
    QTest::newRow("number") << u"1,200"_s << Mode::Numeric << u"1200"_s;
    QTest::newRow("decimal") << u"1,234.50"_s << Mode::Decimal << u"1234.5"_s;
    QTest::newRow("decimal whole") << u"12"_s << Mode::Decimal << u"12.0"_s;
    QTest::newRow("time") << u"12:30:45"_s << Mode::Time << u"123045"_s;
    QTest::newRow("empty") << QString() << Mode::Numeric << QString();
}

void tst_InputLimitation::editFormat()
{
    QFETCH(QString, text);
    QFETCH(Mode, mode);
    QFETCH(QString, expected);
    QCOMPARE(Cls_InputLimitation::editFormat(text, mode, false), expected);
}

QTEST_MAIN(tst_InputLimitation)
#include "tst_inputlimitation.moc"
