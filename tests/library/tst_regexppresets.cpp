#include "ecma_regexp.h"
#include "regexp_presets.h"
#include "text_transformation.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_RegExpPresets final : public QObject
{
    Q_OBJECT

private slots:
    void counts();
    void itemPresets_data();
    void itemPresets();
    void searchPatternsCompile();
    void directivesAreRecognised();
    void texts();
};

void tst_RegExpPresets::counts()
{
    QCOMPARE(RegExpPresets::itemPresets().size(), 8);
    QCOMPARE(RegExpPresets::directivePresets().size(), 6);
    QCOMPARE(RegExpPresets::searchPresets().size(), 9);
}

void tst_RegExpPresets::itemPresets_data()
{
    // Each preset run over a line as the palette runs it (plain replacements only).
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0 blanks") << 0 << u"a b\tc\rd"_s << u"abcd"_s;
    QTest::newRow("1 tab to comma") << 1 << u"a\tb\tc"_s << u"a,b,c"_s;
    QTest::newRow("2 comma to tab") << 2 << u"a,b"_s << u"a\tb"_s;
    QTest::newRow("3 line after comma") << 3 << u"a,b"_s << u"a,\r\nb"_s;
    QTest::newRow("4 empty lines") << 4 << u"a\r\n\r\nb\r\n\r\n\r\n\r\nc"_s << u"a\r\nb\r\n\r\nc"_s;
    QTest::newRow("5 private") << 5 << u"Private Sub"_s << u"Public Sub"_s;
}

void tst_RegExpPresets::itemPresets()
{
    QFETCH(int, index);
    QFETCH(QString, subject);
    QFETCH(QString, expected);
    const auto &preset = RegExpPresets::itemPresets().at(index);
    EcmaRegExp regExp(preset.pattern);
    QVERIFY2(regExp.isValid(), qPrintable(regExp.error().message));
    QCOMPARE(regExp.replaceAll(subject, preset.replacement), expected);
}

void tst_RegExpPresets::searchPatternsCompile()
{
    for (const auto &preset : RegExpPresets::searchPresets()) {
        QVERIFY2(EcmaRegExp(preset.pattern).isValid(), qPrintable(preset.caption));
    }
    QCOMPARE(RegExpPresets::searchPresets().at(4).pattern, u"[ \\t]"_s);
}

void tst_RegExpPresets::directivesAreRecognised()
{
    const Cls_RegExpExtraString extra;
    for (const auto &preset : RegExpPresets::directivePresets()) {
        QVERIFY2(extra.IsMatching(preset.directive), qPrintable(preset.caption));
        QCOMPARE(preset.directive, u"/"_s + preset.caption);
        QVERIFY(preset.status.startsWith(u"検索対象を全て"_s));
    }
    QVERIFY(extra.IsMatching(RegExpPresets::itemPresets().at(6).replacement));
    QVERIFY(extra.IsMatching(RegExpPresets::itemPresets().at(7).replacement));
}

void tst_RegExpPresets::texts()
{
    const auto &four = RegExpPresets::itemPresets().at(4);
    QCOMPARE(four.pattern, u"\r\n\r\n"_s);
    QCOMPARE(four.replacement, u"\r\n"_s);
    QCOMPARE(RegExpPresets::itemPresets().at(0).pattern.size(), 7);
    QCOMPARE(RegExpPresets::initialSample().split(u"\r\n"_s),
             QStringList({u"This is sentences for the test. "_s, u"Please use it freely. "_s,
                          QString(), u"Item1,Item2,Item3,Item4"_s, QString()}));
    QCOMPARE(RegExpPresets::itemPresetStatus(u"改行を詰める"_s),
             u"「改行を詰める」を設定しました。"_s);
    QCOMPARE(RegExpPresets::searchPresetStatus(u"数値"_s), u"「数値」の設定を選択しました。"_s);
    QCOMPARE(RegExpPresets::testAreaStatus(false), u"置換作業のテスト用画面を閉じました。"_s);
}

QTEST_GUILESS_MAIN(tst_RegExpPresets)
#include "tst_regexppresets.moc"
