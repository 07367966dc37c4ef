#include "LiveTestBench.h"
#include "regexp_presets.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;

class tst_LiveTestBench final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typingShowsResultCountAndHighlights();
    void badPatternShowsErrorAndEmptyResult();
    void inactiveDoesNothing();
    void runawayLeavesWindowResponsive();
    void boxTextKeepsNonBreakingSpace();
    void statusTexts();

private:
    template<typename T> T *child(const QString &name) const
    {
        return m_window->findChild<T *>(name);
    }
    void typeInto(const QString &name, const QString &text);
    QList<std::pair<int, int>> highlights() const;

    std::unique_ptr<QWidget> m_window;
    LiveTestBench *m_bench = nullptr;
};

void tst_LiveTestBench::init()
{
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    QList<QPlainTextEdit *> boxes;
    for (const QString &name :
         {u"Txt_Reg"_s, u"Txt_Replace"_s, u"Txt_TestBase"_s, u"Txt_TestAfter"_s}) {
        auto *box = new QPlainTextEdit(m_window.get());
        box->setObjectName(name);
        layout->addWidget(box);
        boxes << box;
    }
    auto *label = new QLabel(m_window.get());
    label->setObjectName(u"Lbl_TestMatchCount"_s);
    layout->addWidget(label);
    boxes[2]->setPlainText(RegExpPresets::initialSample());
    m_bench = new LiveTestBench(boxes[0], boxes[1], boxes[2], boxes[3], label, m_window.get());
    m_bench->engine().setDelay(50);
    m_bench->setActive(true);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void tst_LiveTestBench::cleanup()
{
    m_window.reset();
}

void tst_LiveTestBench::typeInto(const QString &name, const QString &text)
{
    auto *box = child<QPlainTextEdit>(name);
    QTest::mouseClick(box->viewport(), Qt::LeftButton);
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClicks(box, text);
}

QList<std::pair<int, int>> tst_LiveTestBench::highlights() const
{
    QList<std::pair<int, int>> out;
    for (const auto &selection : child<QPlainTextEdit>(u"Txt_TestBase"_s)->extraSelections()) {
        out.append({selection.cursor.selectionStart(), selection.cursor.selectionEnd()});
    }
    return out;
}

void tst_LiveTestBench::typingShowsResultCountAndHighlights()
{
    typeInto(u"Txt_Replace"_s, u"/UpperCase"_s);
    typeInto(u"Txt_Reg"_s, u"(is|it) "_s);
    auto *label = child<QLabel>(u"Lbl_TestMatchCount"_s);
    QTRY_COMPARE(label->text(), u"3件一致"_s);
    QCOMPARE(
        child<QPlainTextEdit>(u"Txt_TestAfter"_s)->toPlainText(),
        u"ThIS IS sentences for the test. \nPlease use IT freely. \n\nItem1,Item2,Item3,Item4\n"_s);
    // Positions in the box, where each line break is one character.
    const QString text = child<QPlainTextEdit>(u"Txt_TestBase"_s)->toPlainText();
    const int it = int(text.indexOf(u"it "_s));
    QCOMPARE(highlights(), (QList<std::pair<int, int>>{{2, 5}, {5, 8}, {it, it + 3}}));

    // Editing the sample runs again.
    typeInto(u"Txt_TestBase"_s, u"is "_s);
    QTRY_COMPARE(label->text(), u"4件一致"_s);
}

void tst_LiveTestBench::badPatternShowsErrorAndEmptyResult()
{
    typeInto(u"Txt_Reg"_s, u"Item"_s);
    auto *label = child<QLabel>(u"Lbl_TestMatchCount"_s);
    QTRY_COMPARE(label->text(), u"4件一致"_s);
    QTest::keyClicks(child<QPlainTextEdit>(u"Txt_Reg"_s), u")"_s);
    QTRY_VERIFY(label->text().startsWith(u"パターンの誤り（5文字目）"_s));
    QVERIFY(child<QPlainTextEdit>(u"Txt_TestAfter"_s)->toPlainText().isEmpty());
    QVERIFY(highlights().isEmpty());
}

void tst_LiveTestBench::inactiveDoesNothing()
{
    m_bench->setActive(false);
    QSignalSpy updated(m_bench, &LiveTestBench::updated);
    typeInto(u"Txt_Reg"_s, u"Item"_s);
    QTest::qWait(300);
    QCOMPARE(updated.size(), 0);
    QVERIFY(child<QPlainTextEdit>(u"Txt_TestAfter"_s)->toPlainText().isEmpty());
    // Opening the area runs what is there.
    m_bench->setActive(true);
    QTRY_COMPARE(updated.size(), 1);
    QCOMPARE(child<QLabel>(u"Lbl_TestMatchCount"_s)->text(), u"4件一致"_s);
}

void tst_LiveTestBench::runawayLeavesWindowResponsive()
{
    child<QPlainTextEdit>(u"Txt_TestBase"_s)->setPlainText(QString(200'000, u' ') + u'x');
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(10);
    typeInto(u"Txt_Reg"_s, u"(?:\\s|\\t)+$"_s);
    QTRY_COMPARE(m_bench->engine().runningCount(), 1);
    const int before = ticks;
    QTest::qWait(300);
    // A blocked loop would tick once at most.
    QVERIFY(ticks - before >= 3);
    QCOMPARE(m_bench->engine().runningCount(), 1);
    // Typing a new pattern over it cancels the runaway.
    QTest::keyClick(child<QPlainTextEdit>(u"Txt_Reg"_s), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(child<QPlainTextEdit>(u"Txt_Reg"_s), u"x"_s);
    QTRY_COMPARE(child<QLabel>(u"Lbl_TestMatchCount"_s)->text(), u"1件一致"_s);
    QTRY_COMPARE(m_bench->engine().runningCount(), 0);
    QCOMPARE(m_bench->engine().cancelledRuns(), 1);
}

void tst_LiveTestBench::boxTextKeepsNonBreakingSpace()
{
    auto *box = child<QPlainTextEdit>(u"Txt_Reg"_s);
    box->setPlainText(u"a\u00A0b\r\nc"_s);
    QCOMPARE(LiveTestBench::boxText(box), u"a\u00A0b\r\nc"_s);
}

void tst_LiveTestBench::statusTexts()
{
    QCOMPARE(LiveTestBench::testRunStatus({}), u"置換しました。"_s);
    QCOMPARE(LiveTestBench::testRunStatus({u"Unmatched ')'"_s, 2}),
             u"パターンの誤り（3文字目）：Unmatched ')'"_s);
    QCOMPARE(LiveTestBench::errorText({u"Matching was cancelled"_s, -1}),
             u"パターンを実行できません：Matching was cancelled"_s);
}

QTEST_MAIN(tst_LiveTestBench)
#include "tst_livetestbench.moc"
