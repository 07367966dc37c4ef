#include "setting_model.h"
#include "setting_values.h"
#include "tag_document.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using Kind = SettingItem::Kind;

Q_DECLARE_METATYPE(SettingItem)
Q_DECLARE_METATYPE(SettingFrame)

namespace {

SettingItem item(Kind kind, const QString &name, const QString &reg, const QString &replace,
                 const QString &data, const QString &link)
{
    return SettingItem{name, reg, replace, data, link, kind, {}};
}

// What the editor's pages leave in the model's item document for the same values.
QString storedByTheModel(const SettingItem &value)
{
    Cls_MySettingFile model;
    model.Tmp().InitItem_bln();
    model.SetFileItem(QString());
    model.SetName(value.name);
    if (value.kind == Kind::All || value.kind == Kind::Data)
        model.SetData(value.data);
    if (value.kind == Kind::All || value.kind == Kind::Edit) {
        model.SetReg(value.reg);
        model.SetReplaceString(value.replace);
    }
    if (value.kind == Kind::All || value.kind == Kind::Link)
        model.SetLink(value.link);
    return model.Tmp().GetItemAll_str(QString());
}

QList<int> namedIndexes(const SettingFrame &frame)
{
    QList<int> indexes;
    for (const auto &[index, value] : frame.namedItems())
        indexes.append(index);
    return indexes;
}

} // namespace

class tst_SettingValues final : public QObject
{
    Q_OBJECT

private slots:
    void itemComposedAsTheEditorStores_data();
    void itemComposedAsTheEditorStores();
    void itemParsed_data();
    void itemParsed();
    void frameComposedAsTheEditorStores_data();
    void frameComposedAsTheEditorStores();
    void frameParsed_data();
    void frameParsed();
    void defaultFileFrames();
    void oneScanReadsAsTagSearch_data();
    void oneScanReadsAsTagSearch();
};

void tst_SettingValues::itemComposedAsTheEditorStores_data()
{
    QTest::addColumn<SettingItem>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("data page") << item(Kind::Data, u"コピー"_s, {}, {}, u"a\r\nb"_s, {})
                               << u"<Name>コピー</Name>\r\n<Data>a\r\nb</Data>\r\n"_s;
    QTest::newRow("new item") << item(Kind::Data, u"新規"_s, {}, {}, {}, {})
                              << u"<Name>新規</Name>\r\n<Data></Data>\r\n"_s;
    QTest::newRow("empty edit page")
        << item(Kind::Edit, u"x"_s, {}, {}, {}, {})
        << u"<Name>x</Name>\r\n<Reg></Reg>\r\n<Replace></Replace>\r\n"_s;
    QTest::newRow("edit page, odd values")
        << item(Kind::Edit, u" a<b "_s, u"\t"_s, u"<,>\r\n"_s, {}, {})
        << u"<Name> a<b </Name>\r\n<Reg>\t</Reg>\r\n<Replace><,>\r\n</Replace>\r\n"_s;
    QTest::newRow("link page") << item(Kind::Link, u"L"_s, {}, {}, {}, u"C:\\a b"_s)
                               << u"<Name>L</Name>\r\n<Link>C:\\a b</Link>\r\n"_s;
    QTest::newRow("hidden values are not stored")
        << item(Kind::Data, u"n"_s, u"r"_s, u"p"_s, u"  "_s, u"l"_s)
        << u"<Name>n</Name>\r\n<Data>  </Data>\r\n"_s;
    QTest::newRow("pasted copy") << item(Kind::All, u"n"_s, u"r"_s, u"p"_s, u"d"_s, u"l"_s)
                                 << u"<Name>n</Name>\r\n<Data>d</Data>\r\n<Reg>r</Reg>\r\n"
                                    "<Replace>p</Replace>\r\n<Link>l</Link>\r\n"_s;
}

void tst_SettingValues::itemComposedAsTheEditorStores()
{
    QFETCH(SettingItem, value);
    QFETCH(QString, expected);
    QCOMPARE(value.compose(), expected);
    QCOMPARE(storedByTheModel(value), expected);

    // Everything stored reads back; what the kind leaves out reads as empty.
    const SettingItem read = SettingItem::parse(expected);
    QCOMPARE(read.name, value.name);
    QCOMPARE(read.data,
             value.kind == Kind::All || value.kind == Kind::Data ? value.data : QString());
    QCOMPARE(read.reg, value.kind == Kind::All || value.kind == Kind::Edit ? value.reg : QString());
    QCOMPARE(read.link,
             value.kind == Kind::All || value.kind == Kind::Link ? value.link : QString());
    QCOMPARE(read.source, expected);
}

void tst_SettingValues::itemParsed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<SettingItem>("expected");
    QTest::addColumn<int>("pageKind");
    QTest::newRow("as the editor writes it")
        << u"<Name>n</Name>\r\n<Reg>r</Reg>\r\n<Replace>p</Replace>\r\n"_s
        << item(Kind::All, u"n"_s, u"r"_s, u"p"_s, {}, {}) << int(Kind::Edit);
    QTest::newRow("indented, any order, unknown key")
        << u"\r\n\t    <Data>@@@@/@@/@@</Data>\r\n\t<Memo>m</Memo><Name>今日</Name>\r\n\t"_s
        << item(Kind::All, u"今日"_s, {}, {}, u"@@@@/@@/@@"_s, {}) << int(Kind::Data);
    QTest::newRow("comment removed")
        << u"<Name>a<!-- x -->b</Name><Link>l</Link>"_s
        << item(Kind::All, u"ab"_s, {}, {}, {}, u"l"_s) << int(Kind::Link);
    QTest::newRow("line breaks and <")
        << u"<Name>\r\n</Name><Reg><\r\n<</Reg>"_s
        << item(Kind::All, u"\r\n"_s, u"<\r\n<"_s, {}, {}, {}) << int(Kind::Edit);
    QTest::newRow("nothing but blanks")
        << u"  "_s << item(Kind::All, {}, {}, {}, {}, {}) << int(Kind::Data);
}

void tst_SettingValues::itemParsed()
{
    QFETCH(QString, text);
    QFETCH(SettingItem, expected);
    QFETCH(int, pageKind);
    SettingItem value = SettingItem::parse(text);
    QCOMPARE(value, expected);
    QCOMPARE(int(value.pageKind()), pageKind);
    QVERIFY(!value.isAbsent());
    // Unchanged, it is saved as it was read; changed, it is written anew with every value.
    QCOMPARE(value.compose(), text);
    value.name += u"!"_s;
    QCOMPARE(
        value.compose(),
        item(Kind::All, value.name, value.reg, value.replace, value.data, value.link).compose());
    QCOMPARE(SettingItem::parse(value.compose()), value);
    QVERIFY(SettingItem::parse({}).isAbsent());
}

void tst_SettingValues::frameComposedAsTheEditorStores_data()
{
    QTest::addColumn<SettingFrame>("frame");
    QTest::addColumn<QString>("expected");
    const SettingItem kept = SettingItem::parse(u"\r\n\t    <Name>k</Name>\r\n\t"_s);
    const SettingItem paged = item(Kind::Data, u"d"_s, {}, {}, u"x"_s, {});
    QTest::newRow("new frame") << SettingFrame{u"F"_s, u"Times"_s, u"Times"_s, u"1"_s, {}, {}, {}}
                               << u"<Title>F</Title>\r\n<Font>Times</Font>\r\n"
                                  "<ItemFont>Times</ItemFont>\r\n<LineCount>1</LineCount>\r\n"_s;
    QTest::newRow("items kept and stored")
        << SettingFrame{u"for Edit"_s, {}, u"ＭＳ ゴシック"_s, u"2"_s, {}, {kept, paged}, {}}
        << u"<Title>for Edit</Title>\r\n<Font></Font>\r\n<ItemFont>ＭＳ ゴシック</ItemFont>\r\n"
           "<LineCount>2</LineCount>\r\n<Item1>\r\n\t    <Name>k</Name>\r\n\t</Item1>\r\n"
           "<Item2><Name>d</Name>\r\n<Data>x</Data>\r\n</Item2>\r\n"_s;
    QList<SettingItem> hundred;
    for (int n = 1; n <= SettingFormat::MaxItems; ++n)
        hundred.append(item(Kind::All, QString::number(n), u" "_s, u"<"_s, u"\r\n"_s, {}));
    QString hundredText = u"<Title> </Title>\r\n<Font></Font>\r\n<ItemFont></ItemFont>\r\n"
                          "<LineCount>x</LineCount>\r\n"_s;
    for (int n = 1; n <= SettingFormat::MaxItems; ++n)
        hundredText += u"<Item%1><Name>%1</Name>\r\n<Data>\r\n</Data>\r\n<Reg> </Reg>\r\n"
                       "<Replace><</Replace>\r\n<Link></Link>\r\n</Item%1>\r\n"_s.arg(n);
    QTest::newRow("100 items, odd values")
        << SettingFrame{u" "_s, {}, {}, u"x"_s, {}, hundred, {}} << hundredText;
}

void tst_SettingValues::frameComposedAsTheEditorStores()
{
    QFETCH(SettingFrame, frame);
    QFETCH(QString, expected);
    QCOMPARE(frame.compose(), expected);

    // The editor's frame page through the model, with the item texts of the tree.
    Cls_MySettingFile model;
    model.SetCurrentFrame(QString());
    model.DataSet().InitItem_bln();
    model.SetFrameTitle(frame.title);
    model.SetFont(frame.font);
    model.SetItemFont(frame.itemFont);
    model.SetLineCount(frame.lineCount);
    for (const SettingItem &value : frame.items)
        model.AddDataSetItem(value.compose());
    QCOMPARE(model.DataSet().GetItemAll_str(QString()), expected);

    const SettingFrame read = SettingFrame::parse(expected);
    QCOMPARE(read.title, frame.title);
    QCOMPARE(read.items.size(), frame.items.size());
    for (qsizetype i = 0; i < frame.items.size(); ++i)
        QCOMPARE(read.items.at(i).compose(), frame.items.at(i).compose());
}

void tst_SettingValues::frameParsed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("named");
    QTest::newRow("gaps") << u"<Title>t</Title><Item1><Name>a</Name></Item1>"
                             "<Item3><Name>c</Name></Item3>"_s
                          << 3 << QList<int>{0, 2};
    QTest::newRow("empty, blank and unnamed items")
        << u"<Item1><Data>x</Data></Item1><Item2></Item2><Item3> </Item3>"
           "<Item4><Name>d</Name></Item4><Item6></Item6>"_s
        << 4 << QList<int>{3};
    QTest::newRow("commented item") << u"<!-- <Item1><Name>c</Name></Item1> -->"
                                       "<Item2><Name>b</Name></Item2>"_s
                                    << 2 << QList<int>{1};
    QString many;
    QList<int> hundred;
    for (int n = 1; n <= 101; ++n)
        many += u"<Item%1><Name>i</Name></Item%1>"_s.arg(n);
    for (int i = 0; i < SettingFormat::MaxItems; ++i)
        hundred.append(i);
    QTest::newRow("101 items") << many << 100 << hundred;
    QTest::newRow("values and repeated keys")
        << u"<Title>a</Title><Title>b</Title><Item1><Name>n</Name><Reg>r</Reg><Link>l</Link>"
           "</Item1><Item2><Name>m</Name><Data></Data><Link>x</Link><Name>o</Name></Item2>"
           "<Item3><Data>d</Data><Name>p</Name></Item3>"_s
        << 3 << QList<int>{0, 1, 2};
}

void tst_SettingValues::frameParsed()
{
    QFETCH(QString, text);
    QFETCH(int, size);
    QFETCH(QList<int>, named);
    SettingFrame frame = SettingFrame::parse(text);
    QCOMPARE(frame.items.size(), size);
    QCOMPARE(namedIndexes(frame), named);
    QCOMPARE(frame.compose(), text);

    // The outline a listing reads agrees with the whole reading.
    const SettingFrameOutline outline = SettingFrameOutline::read(text);
    QCOMPARE(outline.title, frame.title);
    const QList<std::pair<int, SettingItem>> namedItems = frame.namedItems();
    QCOMPARE(outline.namedItems.size(), namedItems.size());
    for (qsizetype i = 0; i < namedItems.size(); ++i) {
        const SettingFrameOutline::Item &listed = outline.namedItems.at(i);
        const auto &[index, item] = namedItems.at(i);
        QCOMPARE(listed.index, index);
        QCOMPARE(listed.name, item.name);
        QCOMPARE(listed.hasReg, !item.reg.isEmpty());
        QCOMPARE(listed.hasData, !item.data.isEmpty());
        QCOMPARE(listed.hasLink, !item.link.isEmpty());
    }

    // A changed frame is written anew: gaps stay gaps, the unnamed items stay too.
    frame.title = u"<changed>"_s;
    const SettingFrame read = SettingFrame::parse(frame.compose());
    QCOMPARE(read, frame);
    QCOMPARE(namedIndexes(read), named);
    for (qsizetype i = 0; i < frame.items.size(); ++i)
        QCOMPARE(read.items.at(i).isAbsent(), frame.items.at(i).isAbsent());
}

void tst_SettingValues::defaultFileFrames()
{
    Cls_XML document;
    document.SetFileItem(DefaultSettingFileText(), SettingFormat::DataSetting);
    // A frame 100 and an empty frame are never read.
    const QString section =
        document.GetFileItemAll() + u"<Frame5></Frame5><Frame100>x</Frame100>"_s;
    QList<int> numbers;
    QList<SettingFrame> frames;
    SettingFormat::forEachFrame(section, [&](int number, const QString &text) {
        numbers.append(number);
        frames.append(SettingFrame::parse(text));
    });
    QCOMPARE(numbers, (QList<int>{1, 2}));
    QCOMPARE(frames.at(0).title, u"for Edit"_s);
    QCOMPARE(frames.at(0).font, u"Times New Roman"_s);
    QCOMPARE(frames.at(0).lineCount, QString());
    QCOMPARE(namedIndexes(frames.at(0)), (QList<int>{0, 1}));
    QCOMPARE(frames.at(0).items.at(0),
             item(Kind::All, u"TABをカンマに置換"_s, u"\t"_s, u","_s, {}, {}));
    QCOMPARE(frames.at(0).items.at(1).reg, u"[\\r\\t ]"_s);
    QCOMPARE(frames.at(1).items,
             (QList<SettingItem>{item(Kind::All, u"今日日付"_s, {}, {}, u"@@@@/@@/@@"_s, {})}));
    for (SettingFrame frame : frames) {
        QCOMPARE(frame.compose(), frame.source);
        frame.source.clear();
        QCOMPARE(SettingFrame::parse(frame.compose()), frame);
    }
}

// Texts whose tags nest, repeat, break off or nearly match: read in one scan, each value
// must be what the tag search finds for it on its own.
void tst_SettingValues::oneScanReadsAsTagSearch_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("nested same name")
        << u"<Item1><Name>a</Name><Item1><Name>x</Name></Item1></Item1>"_s;
    QTest::newRow("close before open") << u"</Title><Title>t</Title></Item2><Item2>"
                                          "<Name>b</Name></Item2>"_s;
    QTest::newRow("no close") << u"<Title>t<Item1><Name>a</Name>"_s;
    QTest::newRow("numbers not read") << u"<Item01><Name>z</Name></Item01><Item101><Name>y"
                                         "</Name></Item101><Item0><Name>w</Name></Item0>"_s;
    QTest::newRow("ItemFont beside items")
        << u"<ItemFont>f</ItemFont><Item1><Name>a</Name></Item1><Item1Font>g</Item1Font>"_s;
    QTest::newRow("brackets run together")
        << u"<Item1<Item2><<Name>n</Name>></Item2<</Item2><Title><Title>t</Title>"_s;
    QTest::newRow("repeated values") << u"<Item1><Name>a</Name><Name>b</Name><Data>d</Data>"
                                        "<Reg></Reg><Reg>r</Reg></Item1>"_s;
    QTest::newRow("names of other case") << u"<title>x</title><Item1><name>n</name></Item1>"_s;
    QTest::newRow("close tag cut short") << u"<Title>t</Title <LineCount>3</LineCount>"_s;
    QTest::newRow("commented values") << u"<!--<Title>c</Title>--><Title>t</Title><Item1>"
                                         "<Name>a<!-- b --></Name></Item1>"_s;
    QTest::newRow("empty elements") << u"<Title></Title><Font></Font><Item1><Name></Name>"
                                       "<Link>l</Link></Item1><Item2><Name>x</Name></Item2>"_s;
    QTest::newRow("frames") << u"<Frame1>a</Frame1><Frame01>b</Frame01><Frame99>c</Frame99>"
                               "<Frame100>d</Frame100><Frame2><Frame3>e</Frame3></Frame2>"_s;
}

void tst_SettingValues::oneScanReadsAsTagSearch()
{
    QFETCH(QString, text);
    Cls_XML document;
    document.SetFileItem(text, QString());
    const QString plain = document.GetFileItemAll();

    const SettingFrame frame = SettingFrame::parse(text);
    QCOMPARE(frame.title, Cls_XML::ExtractTag(plain, SettingFormat::Title));
    QCOMPARE(frame.font, Cls_XML::ExtractTag(plain, SettingFormat::Font));
    QCOMPARE(frame.itemFont, Cls_XML::ExtractTag(plain, SettingFormat::ItemFont));
    QCOMPARE(frame.lineCount, Cls_XML::ExtractTag(plain, SettingFormat::LineCount));
    QCOMPARE(frame.lastSetting, Cls_XML::ExtractTag(plain, SettingFormat::LastSetting));
    for (int number = 1; number <= SettingFormat::MaxItems; ++number) {
        const QString itemText = Cls_XML::ExtractTag(plain, SettingFormat::itemKey(number));
        const SettingItem value =
            number <= frame.items.size() ? frame.items.at(number - 1) : SettingItem{};
        QCOMPARE(value.source, itemText);
        QCOMPARE(value.name, Cls_XML::ExtractTag(itemText, SettingFormat::Name));
        QCOMPARE(value.reg, Cls_XML::ExtractTag(itemText, SettingFormat::Reg));
        QCOMPARE(value.replace, Cls_XML::ExtractTag(itemText, SettingFormat::Replace));
        QCOMPARE(value.data, Cls_XML::ExtractTag(itemText, SettingFormat::Data));
        QCOMPARE(value.link, Cls_XML::ExtractTag(itemText, SettingFormat::Link));
    }

    QMap<int, QString> frames;
    SettingFormat::forEachFrame(text, [&frames](int number, const QString &frameText) {
        frames.insert(number, frameText);
    });
    for (int number = 1; number <= SettingFormat::MaxFrames; ++number)
        QCOMPARE(frames.value(number), Cls_XML::ExtractTag(plain, SettingFormat::frameKey(number)));
}

QTEST_GUILESS_MAIN(tst_SettingValues)
#include "tst_settingvalues.moc"
