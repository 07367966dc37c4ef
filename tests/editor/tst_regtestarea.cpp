#include "LiveTestBench.h"
#include "RegTestArea.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

class tst_RegTestArea final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsHiddenWithTheSample();
    void toggle();
    void runButtonAndClear();

private:
    std::unique_ptr<QWidget> m_window;
    RegTestArea *m_area = nullptr;
};

void tst_RegTestArea::init()
{
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    m_area = new RegTestArea(m_window.get());
    layout->addWidget(m_area);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_RegTestArea::cleanup()
{
    m_window.reset();
}

void tst_RegTestArea::startsHiddenWithTheSample()
{
    QVERIFY(m_area->isHidden());
    QCOMPARE(m_area->title(), u"置換テスト"_s);
    QCOMPARE(LiveTestBench::boxText(m_window->findChild<QPlainTextEdit *>(u"Txt_TestBase"_s)),
             u"This is sentences for the test. \r\nPlease use it freely. \r\n\r\n"
             u"Item1,Item2,Item3,Item4\r\n"_s);
    QCOMPARE(m_window->findChild<QPushButton *>(u"Cmd_RegTest"_s)->text(), u"実行"_s);
}

void tst_RegTestArea::toggle()
{
    QCOMPARE(m_area->toggle(), u"置換作業のテスト用画面を開きました。"_s);
    QVERIFY(m_area->isVisible());
    QCOMPARE(m_area->toggle(), u"置換作業のテスト用画面を閉じました。"_s);
    QVERIFY(m_area->isHidden());
}

void tst_RegTestArea::runButtonAndClear()
{
    m_area->toggle();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QSignalSpy run(m_area, &RegTestArea::runRequested);
    QSignalSpy status(m_area, &RegTestArea::statusMessage);
    QTest::mouseClick(m_window->findChild<QPushButton *>(u"Cmd_RegTest"_s), Qt::LeftButton);
    QCOMPARE(run.size(), 1);
    m_area->showResult(u"result\r\ntext"_s);
    QCOMPARE(m_area->resultBox()->toPlainText(), u"result\ntext"_s);
    QTest::mouseClick(m_window->findChild<QLabel *>(u"Lbl_Clear_TestAfter"_s), Qt::LeftButton);
    QVERIFY(m_area->resultBox()->toPlainText().isEmpty());
    QCOMPARE(status.size(), 1);
    QVERIFY(m_window->findChild<QLabel *>(u"Lbl_Copy_TestBase"_s));
}

QTEST_MAIN(tst_RegTestArea)
#include "tst_regtestarea.moc"
