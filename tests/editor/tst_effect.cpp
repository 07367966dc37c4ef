#include "Cls_Effect.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;

class tst_Effect final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pressEffectReturnsToNine_data();
    void pressEffectReturnsToNine();
    void labelUnderPointerIsBound();
    void ownReleaseSize();
    void doubleClickSelectsAll_data();
    void doubleClickSelectsAll();

private:
    template<typename T> T *child(const QString &name) const
    {
        return m_window->findChild<T *>(name);
    }

    std::unique_ptr<QWidget> m_window;
    Cls_Effect *m_effect = nullptr;
};

void tst_Effect::init()
{
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    m_effect = new Cls_Effect(m_window.get());
    m_effect->SetDefaultFontSize(9);
    for (const QString &name : {u"Lbl_Clear_Data"_s, u"Lbl_Copy_Data"_s, u"Lbl_Box01_0"_s}) {
        auto *label = new QLabel(name, m_window.get());
        label->setObjectName(name);
        QFont font = label->font();
        font.setPointSize(9);
        label->setFont(font);
        layout->addWidget(label);
    }
    auto *line = new QLineEdit(u"one two three"_s, m_window.get());
    line->setObjectName(u"Txt_Title"_s);
    layout->addWidget(line);
    auto *multi = new QPlainTextEdit(u"first line\r\nsecond line"_s, m_window.get());
    multi->setObjectName(u"Txt_Data"_s);
    layout->addWidget(multi);
    QCOMPARE(m_effect->watchEditorLabels(m_window.get()), 2);
    m_effect->watchPress(child<QLabel>(u"Lbl_Box01_0"_s), 14);
    m_effect->watchTextBox(line);
    m_effect->watchTextBox(multi);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_Effect::cleanup()
{
    m_window.reset();
}

void tst_Effect::pressEffectReturnsToNine_data()
{
    QTest::addColumn<int>("startSize");
    QTest::newRow("at rest") << 9;
    QTest::newRow("larger before") << 12;
}

void tst_Effect::pressEffectReturnsToNine()
{
    QFETCH(int, startSize);
    auto *label = child<QLabel>(u"Lbl_Clear_Data"_s);
    QFont font = label->font();
    font.setPointSize(startSize);
    label->setFont(font);
    QTest::mouseMove(label);
    QTRY_COMPARE(m_effect->boundLabel(), label);
    for (int round = 0; round < 2; ++round) {
        QTest::mousePress(label, Qt::LeftButton);
        QCOMPARE(label->font().pointSize(), (round == 0 ? startSize : 9) - 1);
        QTest::mouseRelease(label, Qt::LeftButton);
        QCOMPARE(label->font().pointSize(), 9);
    }
}

void tst_Effect::labelUnderPointerIsBound()
{
    auto *clear = child<QLabel>(u"Lbl_Clear_Data"_s);
    auto *copy = child<QLabel>(u"Lbl_Copy_Data"_s);
    QTest::mouseMove(clear);
    QTRY_COMPARE(m_effect->boundLabel(), clear);
    QTest::mouseMove(copy);
    QTRY_COMPARE(m_effect->boundLabel(), copy);
    // Only the bound label reacts.
    m_effect->SetLabel(copy);
    QTest::mousePress(clear, Qt::LeftButton);
    QCOMPARE(clear->font().pointSize(), 9);
    QTest::mouseRelease(clear, Qt::LeftButton);
}

void tst_Effect::ownReleaseSize()
{
    auto *cell = child<QLabel>(u"Lbl_Box01_0"_s);
    QTest::mousePress(cell, Qt::LeftButton);
    QCOMPARE(cell->font().pointSize(), 8);
    QTest::mouseRelease(cell, Qt::LeftButton);
    QCOMPARE(cell->font().pointSize(), 14);
    QTest::mousePress(cell, Qt::LeftButton);
    QTest::mouseRelease(cell, Qt::LeftButton);
    QCOMPARE(cell->font().pointSize(), 14);
}

void tst_Effect::doubleClickSelectsAll_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("line") << u"Txt_Title"_s;
    QTest::newRow("multi-line") << u"Txt_Data"_s;
}

void tst_Effect::doubleClickSelectsAll()
{
    QFETCH(QString, name);
    QWidget *box = child<QWidget>(name);
    if (auto *line = qobject_cast<QLineEdit *>(box)) {
        QTest::mouseDClick(line, Qt::LeftButton, {}, QPoint(5, line->height() / 2));
        QCOMPARE(line->selectedText(), line->text());
    } else {
        auto *plain = qobject_cast<QPlainTextEdit *>(box);
        QTest::mouseDClick(plain->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(plain->textCursor().selectedText().size(), plain->toPlainText().size());
    }
    QCOMPARE(m_effect->boundTextBox(), box);
}

QTEST_MAIN(tst_Effect)
#include "tst_effect.moc"
