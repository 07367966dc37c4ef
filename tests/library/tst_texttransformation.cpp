#include "MessageBoxRecorder.h"
#include "platform_wrappers.h"
#include "setting_model.h"
#include "text_transformation.h"

#include <QTest>

#include <climits>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

class tst_TextTransformation final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void matchingEdit_data();
    void matchingEdit();
    void replace_data();
    void replace();
    void itemKinds_data();
    void itemKinds();
    void missingOrEmptyItem();
    void patternErrors_data();
    void patternErrors();
    void clipboardPlaceholder_data();
    void clipboardPlaceholder();

private:
    std::optional<MessageBoxRecorder> m_recorder;
};

namespace {

QString item(const QString &reg, const QString &replace)
{
    return u"<Name>n</Name><Reg>%1</Reg><Replace>%2</Replace>"_s.arg(reg, replace);
}

// A model whose current frame holds the given items as Item1, Item2, ...
std::unique_ptr<Cls_MySettingFile> modelWithItems(const QStringList &items)
{
    QString frame = u"<Title>f</Title>\r\n"_s;
    for (qsizetype i = 0; i < items.size(); ++i) {
        frame += u"<Item%1>%2</Item%1>\r\n"_s.arg(i + 1).arg(items.at(i));
    }
    auto model = std::make_unique<Cls_MySettingFile>();
    model->SetCurrentFrame(frame);
    return model;
}

} // namespace

void tst_TextTransformation::init()
{
    m_recorder.emplace();
}

void tst_TextTransformation::cleanup()
{
    m_recorder.reset();
}

void tst_TextTransformation::matchingEdit_data()
{
    QTest::addColumn<QString>("directive");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("isDirective");

    QTest::newRow("lower, full-width Latin too")
        << u"/LowerCase"_s << u"AbC ＸＹ Ä"_s << u"abc ｘｙ ä"_s << true;
    QTest::newRow("upper may lengthen")
        << u"/UpperCase"_s << u"straße ｘ"_s << u"STRASSE Ｘ"_s << true;
    QTest::newRow("trim removes U+0020 only")
        << u"/TrimLowerCase"_s << u"  AB\t "_s << u"ab\t"_s << true;
    QTest::newRow("trim keeps other blanks")
        << u"/TrimUpperCase"_s << u"\u3000a b\r\n "_s << u"\u3000A B\r\n"_s << true;
    QTest::newRow("trim of spaces only") << u"/TrimUpperCase"_s << u"   "_s << QString() << true;
    QTest::newRow("wide") << u"/Wide"_s << u"ab1 ｶﾞ"_s << u"ａｂ１　ガ"_s << true;
    QTest::newRow("narrow") << u"/Narrow"_s << u"ａｂ１　ガ"_s << u"ab1 ｶﾞ"_s << true;
    QTest::newRow("other letter case") << u"/upperCase"_s << u"abc"_s << u"abc"_s << false;
    QTest::newRow("trailing space") << u"/Wide "_s << u"abc"_s << u"abc"_s << false;
    QTest::newRow("empty") << QString() << u"abc"_s << u"abc"_s << false;
}

void tst_TextTransformation::matchingEdit()
{
    QFETCH(QString, directive);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QFETCH(bool, isDirective);

    const Cls_RegExpExtraString extra;
    QCOMPARE(extra.IsMatching(directive), isDirective);
    QCOMPARE(extra.MatchingEdit(value, directive), expected);
}

void tst_TextTransformation::replace_data()
{
    QTest::addColumn<QString>("reg");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("every match") << u"a"_s << u"b"_s << u"banana"_s << u"bbnbnb"_s;
    QTest::newRow("case-sensitive") << u"a"_s << u"b"_s << u"BANANA"_s << u"BANANA"_s;
    QTest::newRow("upper case") << u"[a-z]+"_s << u"/UpperCase"_s << u"abc 123 def"_s
                                << u"ABC 123 DEF"_s;
    QTest::newRow("trim upper case")
        << u" [a-z]+ "_s << u"/TrimUpperCase"_s << u"x abc y"_s << u"xABCy"_s;
    QTest::newRow("wide") << u"."_s << u"/Wide"_s << u"ab1"_s << u"ａｂ１"_s;
    QTest::newRow("narrow") << u"."_s << u"/Narrow"_s << u"ａｂ１"_s << u"ab1"_s;
    QTest::newRow("wide on matches only")
        << u"[0-9]+"_s << u"/Wide"_s << u"no 12, ｶ 3"_s << u"no １２, ｶ ３"_s;
    QTest::newRow("marks are separate matches") << u"."_s << u"/Wide"_s << u"ｶﾞ"_s << u"カ゛"_s;
    QTest::newRow("directive on empty matches")
        << u"x*"_s << u"/UpperCase"_s << u"abc"_s << u"abc"_s;
    QTest::newRow("directive with a trailing space is literal")
        << u"a"_s << u"/Wide "_s << u"banana"_s << u"b/Wide n/Wide n/Wide "_s;
    // One match per character: the result must be built in one pass. A sanitizer build
    // checks every allocation, which would make two million of them outlast the engine's
    // time limit, so there it checks the result on fewer.
#if defined(__SANITIZE_ADDRESS__)
    constexpr qsizetype longInput = 200'000;
#else
    constexpr qsizetype longInput = 2'000'000;
#endif
    QTest::newRow("long input") << u"."_s << u"/UpperCase"_s << QString(longInput, u'a')
                                << QString(longInput, u'A');
}

void tst_TextTransformation::replace()
{
    QFETCH(QString, reg);
    QFETCH(QString, replacement);
    QFETCH(QString, input);
    QFETCH(QString, expected);

    auto model = modelWithItems({item(reg, replacement)});
    QCOMPARE(model->DataGet(0, input), expected);
    QVERIFY(!model->LastPatternError().isSet());
    // The test bench's path: it loads the item document itself, without selecting an item.
    auto bench = std::make_unique<Cls_MySettingFile>();
    bench->Tmp().SetFileItem(item(reg, replacement), QString());
    QCOMPARE(bench->RegExpExecute(99, input, true), expected);
}

void tst_TextTransformation::itemKinds_data()
{
    QTest::addColumn<QString>("itemText");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("edit");
    QTest::addColumn<bool>("copy");
    QTest::addColumn<bool>("link");

    QTest::newRow("pattern wins over stored text")
        << item(u"a"_s, u"o"_s) + u"<Data>stored</Data>"_s << u"bonono"_s << u"編集"_s << true
        << false << false;
    QTest::newRow("stored text wins over link, marker left to the caller")
        << u"<Data>x @@@@@@@@</Data><Link>/tmp</Link>"_s << u"x @@@@@@@@"_s << u"コピー"_s << false
        << true << false;
    QTest::newRow("link") << u"<Reg></Reg><Data></Data><Link>C:\\tmp</Link>"_s << u"C:\\tmp"_s
                          << u"リンク"_s << false << false << true;
}

void tst_TextTransformation::itemKinds()
{
    QFETCH(QString, itemText);
    QFETCH(QString, expected);
    QFETCH(QString, label);
    QFETCH(bool, edit);
    QFETCH(bool, copy);
    QFETCH(bool, link);

    auto model = modelWithItems({itemText});
    QCOMPARE(model->DataGet(0, u"banana"_s), expected);
    QCOMPARE(model->ModeLabel(), label);
    QCOMPARE(model->isEdit(), edit);
    QCOMPARE(model->isCopy(), copy);
    QCOMPARE(model->isLinkItem(), link);
}

void tst_TextTransformation::missingOrEmptyItem()
{
    auto model = modelWithItems({u"<Data>x</Data><Link>/tmp/x</Link>"_s, u"<Name>e</Name>"_s});
    QCOMPARE(model->DataGet(0, u"in"_s), u"x"_s);

    // An item without pattern, text or link yields nothing and keeps the last kind.
    QCOMPARE(model->DataGet(1, u"in"_s), QString());
    QVERIFY(model->IsPrepare());
    QVERIFY(model->isCopy());
    QCOMPARE(model->ModeLabel(), u"コピー"_s);

    QVERIFY(model->SetDataPrepare(0));
    for (const int index : {2, -1, -2, INT_MAX, INT_MIN}) {
        QVERIFY2(!model->SetDataPrepare(index), qPrintable(QString::number(index)));
        QVERIFY(!model->IsPrepare());
        // The item document still holds the last item; only GetLink shows it.
        QCOMPARE(model->GetLink(), u"/tmp/x"_s);
        QCOMPARE(model->GetData(), QString());
        QCOMPARE(model->DataGet(index, u"in"_s), QString());
        QVERIFY(model->isCopy());
    }
    QCOMPARE(model->RegExpExecute(5, u"input"_s, false), u"input"_s);
}

void tst_TextTransformation::patternErrors_data()
{
    QTest::addColumn<QString>("reg");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("input");

    const QString runaway = QString(30, u'a') + u'b';
    QTest::newRow("unclosed bracket") << u"[abc"_s << u"x"_s << u"abc"_s;
    QTest::newRow("unclosed bracket, directive") << u"[abc"_s << u"/UpperCase"_s << u"abc"_s;
    QTest::newRow("catastrophic") << u"(a+)+$"_s << u"x"_s << runaway;
    QTest::newRow("catastrophic, directive") << u"(a+)+$"_s << u"/Wide"_s << runaway;
}

void tst_TextTransformation::patternErrors()
{
    QFETCH(QString, reg);
    QFETCH(QString, replacement);
    QFETCH(QString, input);

    auto model = modelWithItems({item(reg, replacement), item(u"q"_s, u"x"_s)});
    QCOMPARE(model->DataGet(0, input), QString());
    QVERIFY(model->LastPatternError().isSet());
    QVERIFY(model->isEdit());
    // The palette leaves the model's messages off: nothing may pop up.
    QCOMPARE(m_recorder->count(), 0);

    // A valid pattern that finds nothing is not an error.
    QCOMPARE(model->DataGet(1, u"abc"_s), u"abc"_s);
    QVERIFY(!model->LastPatternError().isSet());

    model->MsgDisplayFlg_Prop(true);
    QCOMPARE(model->DataGet(0, input), QString());
    QCOMPARE(m_recorder->count(), 1);
    QCOMPARE(m_recorder->at(0).style, int(MsgBox::Critical));
    QCOMPARE(m_recorder->at(0).title, u"エラー発生"_s);
    QCOMPARE(m_recorder->at(0).prompt,
             u"エラーが発生しました。\r\n"
             u"正規表現に不備があるかもしれませんので、見直してください。"_s);
}

void tst_TextTransformation::clipboardPlaceholder_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("expected");

    QTest::newRow("marker alone") << u"@@@@@@@@"_s << u"clip\r\ntext"_s << u"clip\r\ntext"_s;
    QTest::newRow("between texts, twice") << u"<@@@@@@@@|@@@@@@@@>"_s << u"c"_s << u"<c|c>"_s;
    QTest::newRow("nine marks leave one") << QString(9, u'@') << u"c"_s << u"c@"_s;
    QTest::newRow("seven marks stay") << QString(7, u'@') << u"c"_s << QString(7, u'@');
    QTest::newRow("clipboard holding the marker is not filled again")
        << u"a@@@@@@@@b"_s << u"@@@@@@@@"_s << u"a@@@@@@@@b"_s;
}

void tst_TextTransformation::clipboardPlaceholder()
{
    QFETCH(QString, output);
    QFETCH(QString, clipboard);
    QFETCH(QString, expected);
    QCOMPARE(FncStr_FillClipboardPlaceholder(output, clipboard), expected);
}

QTEST_GUILESS_MAIN(tst_TextTransformation)
#include "tst_texttransformation.moc"
