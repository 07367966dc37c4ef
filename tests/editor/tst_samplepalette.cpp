#include "SamplePalette.h"
#include "color_schemes.h"

#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class tst_SamplePalette final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controls();
    void schemeColours();
    void exactlyOneItemLit();
    void pressEffect();

private:
    QLineEdit *item(int index) const
    {
        return m_sample->findChild<QLineEdit *>(u"Txt_Button_%1"_s.arg(index));
    }
    int litCount() const;

    std::unique_ptr<SamplePalette> m_sample;
};

void tst_SamplePalette::init()
{
    m_sample = std::make_unique<SamplePalette>();
    m_sample->refreshSample(ColorSchemes::blackSchemes().at(1).values); // "Pink"
    m_sample->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_sample.get()));
}

void tst_SamplePalette::cleanup()
{
    m_sample.reset();
}

int tst_SamplePalette::litCount() const
{
    int lit = 0;
    for (const QLineEdit *button : m_sample->items()) {
        lit += button->palette().color(QPalette::Base) == QColor(0xFF, 0x80, 0xFF);
    }
    return lit;
}

void tst_SamplePalette::controls()
{
    QCOMPARE(m_sample->title(), u"表示サンプル"_s);
    QStringList captions;
    for (int k = 0; k < 3; ++k) {
        captions << m_sample->findChild<QGroupBox *>(u"Fra_Items_%1"_s.arg(k))->title();
    }
    QCOMPARE(captions, QStringList({u"SetContent"_s, u"Other Items"_s, u"設定内容"_s}));
    QCOMPARE(m_sample->items().size(), 14);
    QCOMPARE(item(0)->text(), u"SettingA"_s);
    QCOMPARE(item(7)->text(), u"ItemName 6"_s);
    QCOMPARE(item(13)->text(), u"設定内容 その6"_s);
    QCOMPARE(item(13)->parentWidget()->objectName(), u"Fra_Items_2"_s);
}

void tst_SamplePalette::schemeColours()
{
    const QGroupBox *frame = m_sample->frames().at(0);
    QCOMPARE(frame->palette().color(QPalette::Window), QColor(0, 0, 0));
    QCOMPARE(frame->palette().color(QPalette::WindowText), QColor(0xFF, 0x00, 0xFF));
    QCOMPARE(item(4)->palette().color(QPalette::Text), QColor(0xFF, 0x80, 0xFF));
    QCOMPARE(item(4)->palette().color(QPalette::Base), QColor(0, 0, 0));
    QCOMPARE(m_sample->litItem(), -1);
}

void tst_SamplePalette::exactlyOneItemLit()
{
    QTest::mouseMove(item(2));
    QTRY_COMPARE(m_sample->litItem(), 2);
    QCOMPARE(item(2)->palette().color(QPalette::Text), QColor(0xFF, 0xFF, 0xFF));
    QTest::mouseMove(item(9));
    QTRY_COMPARE(m_sample->litItem(), 9);
    QCOMPARE(litCount(), 1);
    QCOMPARE(item(2)->palette().color(QPalette::Base), QColor(0, 0, 0));
    // A new scheme puts every item back to rest.
    m_sample->refreshSample(ColorSchemes::lightSchemes().at(0).values);
    QCOMPARE(m_sample->litItem(), -1);
    QCOMPARE(item(9)->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xFF));
}

void tst_SamplePalette::pressEffect()
{
    QLineEdit *button = item(5);
    for (int round = 0; round < 2; ++round) {
        QTest::mousePress(button, Qt::LeftButton);
        QCOMPARE(button->font().pointSize(), 8);
        QTest::mouseRelease(button, Qt::LeftButton);
        QCOMPARE(button->font().pointSize(), 9);
    }
    QVERIFY(button->selectedText().isEmpty());
}

QTEST_MAIN(tst_SamplePalette)
#include "tst_samplepalette.moc"
