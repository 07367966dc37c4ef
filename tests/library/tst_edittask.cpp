// An edit item's pattern run on a worker thread: its result, and its cancellation.
#include "edit_task.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class tst_EditTask : public QObject
{
    Q_OBJECT

private slots:
    void result_data();
    void result();
    void quickResultTakenByWait();
    void cancel_data();
    void cancel();
    void destroyedWhileRunning();
};

namespace {

// Quadratic: every start position scans the whole run of blanks before failing at "x".
// On this input the time limit is about 2 s away.
QString runawayInput()
{
    return QString(200'000, u' ') + u'x';
}

} // namespace

void tst_EditTask::result_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("fails");

    QTest::newRow("replace") << u"\t"_s << u","_s << u"a\tb\tc"_s << u"a,b,c"_s << false;
    QTest::newRow("directive") << u"[a-z]+"_s << u"/UpperCase"_s << u"ab-cd"_s << u"AB-CD"_s
                               << false;
    QTest::newRow("no match") << u"x"_s << u"y"_s << u"abc"_s << u"abc"_s << false;
    QTest::newRow("bad pattern") << u"("_s << u"x"_s << u"abc"_s << QString() << true;
    QTest::newRow("match limit") << u"(a+)+$"_s << u"x"_s << QString(40, u'a') + u'!' << QString()
                                 << true;
}

void tst_EditTask::result()
{
    QFETCH(QString, pattern);
    QFETCH(QString, replacement);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QFETCH(bool, fails);

    EditTask task(pattern, replacement, input);
    QSignalSpy finished(&task, &EditTask::finished);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QVERIFY(task.isFinished());
    const PatternEdit &edit = task.result();
    QCOMPARE(edit.output.has_value(), !fails);
    QCOMPARE(edit.error.isSet(), fails);
    QVERIFY(!edit.cancelled);
    if (!fails)
        QCOMPARE(*edit.output, expected);
}

void tst_EditTask::quickResultTakenByWait()
{
    EditTask task(u"b"_s, u"B"_s, u"abc"_s);
    QSignalSpy finished(&task, &EditTask::finished);
    QVERIFY(task.waitFor(10s));
    QCOMPARE(*task.result().output, u"aBc"_s);
    // The result was taken: the window must not handle it twice.
    QTest::qWait(50);
    QCOMPARE(finished.size(), 0);
}

void tst_EditTask::cancel_data()
{
    QTest::addColumn<int>("afterMs");
    // A stop asked for before the worker reached the pattern must not be lost.
    QTest::newRow("at once") << 0;
    QTest::newRow("during the match") << 200;
}

void tst_EditTask::cancel()
{
    QFETCH(int, afterMs);
    EditTask task(u"(?:\\s|\\t)+$"_s, u"-"_s, runawayInput());
    QSignalSpy finished(&task, &EditTask::finished);
    if (afterMs > 0) {
        QTest::qWait(afterMs);
        QVERIFY(!task.isFinished());
    }
    task.cancel();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    // Cancelled, not stopped by the time limit.
    QVERIFY(task.result().cancelled);
    QVERIFY(!task.result().output);
    QCOMPARE(task.result().error.message, u"Matching was cancelled"_s);
}

void tst_EditTask::destroyedWhileRunning()
{
    auto task = std::make_unique<EditTask>(u"(?:\\s|\\t)+$"_s, u"-"_s, runawayInput());
    QTest::qWait(100);
    QVERIFY(!task->isFinished());
    // Stops and joins the worker; nothing is delivered afterwards.
    task.reset();
    QTest::qWait(50);
}

QTEST_GUILESS_MAIN(tst_EditTask)
#include "tst_edittask.moc"
