#include "regexp_presets.h"
#include "regexp_test_bench.h"
#include "setting_model.h"
#include "setting_values.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using Span = RegExpTestResult::Span;

class tst_RegExpTestBench final : public QObject
{
    Q_OBJECT

private slots:
    void spansAndCount();
    void sameResultAsThePalette_data();
    void sameResultAsThePalette();
    void patternErrorWithPosition();
    void emptyPatternDoesNotRun();
    void requestsWithinTheDelayRunOnce();
    void runawayIsCancelledByANewRequest();
    void spansWithoutCR();

private:
    static RegExpTestResult waitForResult(RegExpTestBench &bench);
};

RegExpTestResult tst_RegExpTestBench::waitForResult(RegExpTestBench &bench)
{
    RegExpTestResult last;
    int count = 0;
    const auto connection =
        QObject::connect(&bench, &RegExpTestBench::finished, [&](const RegExpTestResult &r) {
            last = r;
            ++count;
        });
    [&] { QTRY_VERIFY_WITH_TIMEOUT(count > 0, 20'000); }();
    QObject::disconnect(connection);
    return last;
}

void tst_RegExpTestBench::spansAndCount()
{
    RegExpTestBench bench;
    bench.setDelay(10);
    const QString sample = RegExpPresets::initialSample();
    bench.request(u"Item[0-9]"_s, u"<$&>"_s, sample);
    const RegExpTestResult result = waitForResult(bench);
    QVERIFY(result.ran);
    QVERIFY(!result.failed());
    QCOMPARE(result.matchCount, 4);
    const qsizetype first = sample.indexOf(u"Item1"_s);
    QCOMPARE(result.spans,
             (QList<Span>{{first, 5}, {first + 6, 5}, {first + 12, 5}, {first + 18, 5}}));
    QVERIFY(result.output.endsWith(u"<Item1>,<Item2>,<Item3>,<Item4>\r\n"_s));
}

void tst_RegExpTestBench::sameResultAsThePalette_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("sample");
    const QString sample = RegExpPresets::initialSample();
    for (const auto &preset : RegExpPresets::itemPresets()) {
        QTest::newRow(qPrintable(preset.caption)) << preset.pattern << preset.replacement << sample;
    }
    for (const auto &preset : RegExpPresets::directivePresets()) {
        QTest::newRow(qPrintable(preset.caption)) << u"[a-z]+ "_s << preset.directive << sample;
    }
    QTest::newRow("narrow katakana") << u"[ァ-ヴー]+"_s << u"/Narrow"_s << u"データ ガイド"_s;
    QTest::newRow("wide half-width") << u"[ｦ-ﾟ]+"_s << u"/Wide"_s << u"ﾃﾞｰﾀ ｶﾞｲﾄﾞ"_s;
    QTest::newRow("trim inside") << u" [a-z] "_s << u"/TrimUpperCase"_s << u"a b c d"_s;
    QTest::newRow("no match") << u"zzz"_s << u"/UpperCase"_s << sample;
    QTest::newRow("empty matches") << u"x*"_s << u"-"_s << u"abc"_s;
    QTest::newRow("groups") << u"(\\w+),(\\w+)"_s << u"$2;$1"_s << sample;
}

void tst_RegExpTestBench::sameResultAsThePalette()
{
    QFETCH(QString, pattern);
    QFETCH(QString, replacement);
    QFETCH(QString, sample);
    // The palette's way: the item loaded into the model and run by its index.
    SettingItem item;
    item.name = u"t"_s;
    item.reg = pattern;
    item.replace = replacement;
    item.kind = SettingItem::Kind::Edit;
    Cls_MySettingFile model;
    model.Tmp().InitItem_bln();
    model.Tmp().SetFileItem(item.compose(), QString());
    const QString expected = model.RegExpExecute(0, sample, true);

    EcmaRegExp regExp(pattern);
    const RegExpTestResult result = RegExpTestBench::run(regExp, pattern, replacement, sample);
    QVERIFY(!result.failed());
    QCOMPARE(result.output, expected);
}

void tst_RegExpTestBench::patternErrorWithPosition()
{
    RegExpTestBench bench;
    bench.setDelay(0);
    bench.request(u"ab)c"_s, u"x"_s, u"abc"_s);
    const RegExpTestResult result = waitForResult(bench);
    QVERIFY(result.ran);
    QVERIFY(result.failed());
    QCOMPARE(result.error.offset, 2);
    QVERIFY(result.output.isEmpty());
    QCOMPARE(result.matchCount, 0);
    QVERIFY(result.spans.isEmpty());
}

void tst_RegExpTestBench::emptyPatternDoesNotRun()
{
    RegExpTestBench bench;
    bench.runNow(QString(), u"x"_s, u"abc"_s);
    const RegExpTestResult result = waitForResult(bench);
    QVERIFY(!result.ran);
    QVERIFY(!result.failed());
    QCOMPARE(result.matchCount, 0);
}

void tst_RegExpTestBench::requestsWithinTheDelayRunOnce()
{
    RegExpTestBench bench;
    QCOMPARE(bench.delay(), 300);
    QList<RegExpTestResult> results;
    connect(&bench, &RegExpTestBench::finished, this,
            [&](const RegExpTestResult &r) { results << r; });
    // Keystrokes 100 ms apart: only the last one runs. A long delay keeps a loaded machine
    // from letting an earlier one through.
    bench.setDelay(1000);
    bench.request(u"a"_s, u"x"_s, u"aaa"_s);
    QTest::qWait(100);
    bench.request(u"aa"_s, u"x"_s, u"aaa"_s);
    QTest::qWait(100);
    const quint64 last = bench.request(u"aaa"_s, u"x"_s, u"aaa"_s);
    QVERIFY(bench.isBusy());
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, 20'000);
    QTest::qWait(300);
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.first().request, last);
    QCOMPARE(results.first().output, u"x"_s);
    QVERIFY(!bench.isBusy());
}

void tst_RegExpTestBench::runawayIsCancelledByANewRequest()
{
    RegExpTestBench bench;
    bench.setDelay(0);
    QList<RegExpTestResult> results;
    connect(&bench, &RegExpTestBench::finished, this,
            [&](const RegExpTestResult &r) { results << r; });
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(10);

    // Quadratic on this text: it would run until the engine's time limit.
    bench.request(u"(?:\\s|\\t)+$"_s, u""_s, QString(200'000, u' ') + u'x');
    QTRY_COMPARE(bench.runningCount(), 1);
    QTest::qWait(200);
    QCOMPARE(bench.runningCount(), 1);
    // A blocked loop would tick once at most.
    QVERIFY2(ticks >= 3, "the window's event loop kept running meanwhile");

    const quint64 second = bench.request(u"x"_s, u"y"_s, u"axa"_s);
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, 20'000);
    QCOMPARE(results.first().request, second);
    QCOMPARE(results.first().output, u"aya"_s);
    QTRY_COMPARE_WITH_TIMEOUT(bench.runningCount(), 0, 20'000);
    // Stopped by the cancel, not by the engine's time limit, and never reported.
    QCOMPARE(bench.cancelledRuns(), 1);
    QCOMPARE(results.size(), 1);
}

void tst_RegExpTestBench::spansWithoutCR()
{
    const QString text = u"ab\r\ncd\r\n\r\nef"_s;
    const QList<Span> spans = {{0, 2}, {2, 2}, {4, 2}, {6, 4}, {10, 2}};
    QCOMPARE(RegExpTestBench::spansWithoutCR(text, spans),
             (QList<Span>{{0, 2}, {2, 1}, {3, 2}, {5, 2}, {7, 2}}));
}

QTEST_GUILESS_MAIN(tst_RegExpTestBench)
#include "tst_regexptestbench.moc"
