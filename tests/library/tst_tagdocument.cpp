#include "CommentRemovalReference.h"
#include "FileFaults.h"
#include "MessageBoxRecorder.h"
#include "TestFiles.h"
#include "cp932_codec.h"
#include "tag_document.h"
#include "text_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

class tst_TagDocument final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void extractTag_data();
    void extractTag();
    void removeComments_data();
    void removeComments();
    void removeCommentsAsRoundByRound();
    void removeCommentsFuzzFinding();
    void manyCommentsRemovedInOnePass_data();
    void manyCommentsRemovedInOnePass();
    void narrowingComesBeforeCommentRemoval();
    void integerValue_data();
    void integerValue();
    void integerErrorShownOnlyWhenAsked();
    void flagValue_data();
    void flagValue();
    void defaultValue();

    void duplicateKeyIsRefusedWithBox();
    void emptyKeyIsRefusedWithBox();
    void setItemReplacesInPlace();
    void topLevelComposition();
    void nestedComposition();

    void readSplitsLines_data();
    void readSplitsLines();
    void readFileRemovesComments();
    void missingFileFailsQuietlyUnlessAsked();
    void saveWritesCp932WithCrLf();
    void saveWithoutNameWarnsOnlyWhenAsked();
    void refusedSaveKeepsOldFile();
    void saveIntoMissingFolderFails();
    void failedSaveStepKeepsOldFile_data();
    void failedSaveStepKeepsOldFile();
    void staleTemporaryFilesGoOnNextSave();
    void readErrorPartWayFailsTheRead_data();
    void readErrorPartWayFailsTheRead();
    void saveKeepsWhatIsNoFile_data();
    void saveKeepsWhatIsNoFile();
    void pathJoin_data();
    void pathJoin();

private:
    const QList<RecordedBox> &boxes() const { return m_recorder->boxes(); }

    std::optional<MessageBoxRecorder> m_recorder;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_TagDocument::init()
{
    m_recorder.emplace();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_TagDocument::cleanup()
{
    m_recorder.reset();
    m_dir.reset();
}

void tst_TagDocument::extractTag_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("expected");

    QTest::newRow("blanks kept") << u"<Title>  abc  </Title>"_s << u"Title"_s << u"  abc  "_s;
    QTest::newRow("line breaks kept") << u"<A>\r\n\t1\r\n</A>"_s << u"A"_s << u"\r\n\t1\r\n"_s;
    QTest::newRow("first occurrence wins") << u"<A>1</A><A>2</A>"_s << u"A"_s << u"1"_s;
    QTest::newRow("nested same name") << u"<A><A>x</A></A>"_s << u"A"_s << u"<A>x"_s;
    QTest::newRow("missing") << u"<B>1</B>"_s << u"A"_s << QString();
    QTest::newRow("empty element") << u"<A></A>"_s << u"A"_s << QString();
    QTest::newRow("no close tag") << u"<A>1"_s << u"A"_s << QString();
    QTest::newRow("close before open only") << u"</A>x<A>"_s << u"A"_s << QString();
    QTest::newRow("Item1 is not Item10")
        << u"<Item10>ten</Item10><Item1>one</Item1>"_s << u"Item1"_s << u"one"_s;
    QTest::newRow("attributes not recognised") << u"<A x='1'>v</A>"_s << u"A"_s << QString();
    QTest::newRow("case-sensitive") << u"<a>1</a><A>2</A>"_s << u"A"_s << u"2"_s;
    QTest::newRow("no escaping") << u"<A>&lt;b&gt;</A>"_s << u"A"_s << u"&lt;b&gt;"_s;
    // Lookups go through an index of the tags; these check it against the plain search.
    QTest::newRow("open after a stray <") << u"<<A>x</A>"_s << u"A"_s << u"x"_s;
    QTest::newRow("close before and after") << u"</A><A>1</A>"_s << u"A"_s << u"1"_s;
    QTest::newRow("lone > inside") << u"<A>a>b</A>"_s << u"A"_s << u"a>b"_s;
    QTest::newRow("key opening with /") << u"</A>x<//A>"_s << u"/A"_s << u"x"_s;
    QTest::newRow("key holding <") << u"<a<b>x</a<b>"_s << u"a<b"_s << u"x"_s;
    const QString longName(70, u'n');
    QTest::newRow("long key") << u"<%1>v</%1>"_s.arg(longName) << longName << u"v"_s;
    QTest::newRow("empty key") << u"<>v</>"_s << QString() << u"v"_s;
}

void tst_TagDocument::extractTag()
{
    QFETCH(QString, base);
    QFETCH(QString, tag);
    QFETCH(QString, expected);
    QCOMPARE(Cls_XML::ExtractTag(base, tag), expected);

    Cls_XML document;
    document.SetFileItem(base, QString());
    QCOMPARE(document.Gets(tag), expected);
    QCOMPARE(document.GetFileItem_str(tag), expected);
}

void tst_TagDocument::removeComments_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("none") << u"<A>1</A>"_s << u"<A>1</A>"_s;
    QTest::newRow("inside a value") << u"<A>a<!-- x -->b</A>"_s << u"<A>ab</A>"_s;
    QTest::newRow("several") << u"<!--1-->a<!--2-->b<!--3-->"_s << u"ab"_s;
    QTest::newRow("same block twice") << u"<!--x-->a<!--x-->"_s << u"a"_s;
    QTest::newRow("multi-line") << u"a<!-- \r\n#note\r\n-->b"_s << u"ab"_s;
    QTest::newRow("unterminated") << u"a<!-- b <A>1</A>"_s << u"a<!-- b <A>1</A>"_s;
    QTest::newRow("terminated then unterminated") << u"<!--x-->a<!--b"_s << u"a<!--b"_s;
    QTest::newRow("shortest form") << u"a<!-->b"_s << u"ab"_s;
    QTest::newRow("close without open") << u"a-->b"_s << u"a-->b"_s;
    QTest::newRow("removal joins an open") << u"<!<!--x-->--y-->z"_s << u"z"_s;
    QTest::newRow("removal joins a close") << u"<!--x--><!--a-<!--x-->->b"_s << u"b"_s;
    QTest::newRow("earlier block inside a comment")
        << u"<!--a--> <!--b <!--a--> c-->d"_s << u" d"_s;
    QTest::newRow("joined open stays unterminated") << u"<!<!--x-->--y"_s << u"<!--y"_s;
    // A copy that only forms when a round's removals join its pieces is not that round's.
    QTest::newRow("copy formed by its own round's removal")
        << u"<!--a--><!--b<!<!--a-->--a-->c"_s << u"c"_s;
    QTest::newRow("copy formed by a later round")
        << u"<!--a--><!--b--><!--c <!--a<!--b-->--> d-->e"_s << u" d-->e"_s;
    QTest::newRow("formed copy taken by the block's next round")
        << u"<!--a--><!<!--a-->--a--><!--c<!<!--a-->--a-->-->d"_s << u"d"_s;
}

void tst_TagDocument::removeComments()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Cls_XML::RemoveComments(text), expected);

    Cls_XML document;
    QVERIFY(document.SetFileItem(text, QString()));
    QCOMPARE(document.GetFileItemAll(), expected);
}

void tst_TagDocument::removeCommentsAsRoundByRound()
{
    // Texts where blocks repeat, nest and join: half from single characters, half from
    // pieces of opens and closes, which make joined copies far more likely.
    static const QString alphabet = u"<!->ab"_s;
    static const QStringList pieces = {u"<!--"_s, u"-->"_s, u"<!"_s, u"--"_s,
                                       u"-"_s,    u">"_s,   u"a"_s,  u"b"_s};
    QRandomGenerator random(12);
    for (int i = 0; i < 60000; ++i) {
        QString text;
        const int length = int(random.bounded(64));
        while (text.size() < length) {
            if (i % 2 == 0)
                text += alphabet[int(random.bounded(int(alphabet.size())))];
            else
                text += pieces[int(random.bounded(int(pieces.size())))];
        }
        const QString expected = removeCommentsByRounds(text);
        if (Cls_XML::RemoveComments(text) != expected)
            QFAIL(qPrintable(u"differs for "_s + text));
    }
}

// Found by fuzz_settingreader: repeated blocks nested in comments whose removal joins new
// opens and copies of earlier blocks.
void tst_TagDocument::removeCommentsFuzzFinding()
{
    const QString text = TextFile::normaliseLineEnds(Cp932Codec::decode(QByteArray::fromHex(
        "3c212d2d612d212d2d62202d2d3e3c213c1d2d2d782565642d2d612d2d3e203c212d2d62203c212d2d612d2d"
        "3e20632d2d3e3c213c212df32d782d3e203c212d2d62203c212d2d612d2d3e20632d2d3e3c21212d2d612d21"
        "2d2d62203c212d2d612d2d3e20632d2d3e3c213c212d3c212d2d612d2d3e20632d2d3e3c213c1d2d2d782565"
        "642d2d612d2d3e203c212d2d62203c212d2d612d2d3e20632d2d3e3c213c212df32d782d3e203c212d2d6220"
        "3c212d2d612d2d3e20632d2d3e3c21212d2d612d212d2d62203c212d2d612d2d3e20632d2d3e3c213c212d2d"
        "782565642d2d612d2d3e203c212d2d62203c212d2d612d2d3e20632d2d3e3c213c212d2d782d3e203c212d2d"
        "6220343c4672616d6539393e212d2d612d2d3e20632d2d3e3c213c212d2d782d612d2d3e20631d2d2d782565"
        "642d2d612d2d3e203c212d2d62203c212d2d612d2d3e20632d2d3e3c213c212d2d782d3e203c212d2d3e2d2d"
        "62203c212d2d612d2d3e20632d2d3e3c21212d2d612d212d2d62203c212d2d612d2d3e20632d2d3e3c213c21"
        "2d2d78253c4e616d653e65642d2d612d2d3e203c212d2d62203c212d2d612d2d3e20632d2d3e3c213c212d2d"
        "782d3e203c212d2d62203c212d2d612d2d3e20632d2d3e3c213c212d2d7825653c212d25653c212d2d782565"
        "64")));
    QCOMPARE(Cls_XML::RemoveComments(text), removeCommentsByRounds(text));
}

void tst_TagDocument::manyCommentsRemovedInOnePass_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    // 64,000 distinct comments (1.3 MB) took 19 s round by round.
    QString text, expected;
    for (int i = 0; i < 64000; ++i) {
        text += u"<Item>%1</Item><!-- note %1 -->\r\n"_s.arg(i);
        expected += u"<Item>%1</Item>\r\n"_s.arg(i);
    }
    QTest::newRow("distinct comments") << text << expected;
    // Opens that never close, each a candidate at every later close.
    const QString opens = u"<!--"_s.repeated(60000);
    QTest::newRow("opens before copies")
        << u"<!--a-->"_s + opens + u"<!--a-->"_s.repeated(60000) << opens;
}

// One pass takes milliseconds (bench_loading has the figures): the bound is loose enough for
// a busy machine and a sanitizer build.
void tst_TagDocument::manyCommentsRemovedInOnePass()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QElapsedTimer timer;
    timer.start();
    Cls_XML document;
    document.SetFileItem(text, QString());
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed()) + u" ms"_s));
    QVERIFY(document.GetFileItemAll() == expected);
}

void tst_TagDocument::narrowingComesBeforeCommentRemoval()
{
    Cls_XML document;
    document.SetFileItem(u"<!-- <S><K>old</K></S> --><S><K>new</K></S>"_s, u"S"_s);
    QCOMPARE(document.Gets(u"K"_s), u"old"_s);

    // The same key in two sections: narrowing isolates them.
    const QString text = u"<C><Title>c</Title></C><D><Title>d</Title></D>"_s;
    document.SetFileItem(text, u"D"_s);
    QCOMPARE(document.Gets(u"Title"_s), u"d"_s);
}

void tst_TagDocument::integerValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");

    QTest::newRow("plain") << u"225"_s << 225;
    QTest::newRow("negative") << u"-900"_s << -900;
    QTest::newRow("plus sign") << u"+7"_s << 7;
    QTest::newRow("blanks around") << u"  225  "_s << 225;
    QTest::newRow("line breaks around") << u"\r\n\t30\r\n"_s << 30;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("letters") << u"abc"_s << 0;
    QTest::newRow("digits then letters") << u"12px"_s << 0;
    QTest::newRow("sign only") << u"-"_s << 0;
    QTest::newRow("blank inside") << u"1 2"_s << 0;
    QTest::newRow("decimal point") << u"1.5"_s << 0;
    QTest::newRow("largest") << u"2147483647"_s << 2147483647;
    QTest::newRow("smallest") << u"-2147483648"_s << int(-2147483647 - 1);
    QTest::newRow("overflow") << u"2147483648"_s << 0;
    QTest::newRow("long overflow") << u"99999999999999999999999"_s << 0;
}

void tst_TagDocument::integerValue()
{
    QFETCH(QString, value);
    QFETCH(int, expected);
    Cls_XML document;
    document.SetFileItem(u"<N>"_s + value + u"</N>"_s, QString());
    QCOMPARE(document.GetFileItem_lng(u"N"_s), expected);
    QCOMPARE(document.GetFileItem_lng(u"Missing"_s), 0);
}

void tst_TagDocument::integerErrorShownOnlyWhenAsked()
{
    Cls_XML document;
    document.SetFileItem(u"<N>12px</N><M>-5</M>"_s, QString());
    QCOMPARE(document.GetFileItem_lng(u"N"_s), 0);
    QVERIFY(boxes().isEmpty());

    document.MsgDisplayFlg_Prop(true);
    QCOMPARE(document.GetFileItem_lng(u"M"_s), -5);
    QVERIFY(boxes().isEmpty());
    QCOMPARE(document.GetFileItem_lng(u"N"_s), 0);
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(boxes()[0].title, u"VB Error"_s);
    QVERIFY(boxes()[0].prompt.startsWith(u"13 Type mismatch\r"_s));
}

void tst_TagDocument::flagValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("expected");

    QTest::newRow("True") << u"True"_s << true;
    QTest::newRow("TRUE") << u"TRUE"_s << true;
    QTest::newRow("true") << u"true"_s << true;
    QTest::newRow("trailing blank") << u"True "_s << false;
    QTest::newRow("leading blank") << u" true"_s << false;
    QTest::newRow("yes") << u"yes"_s << false;
    QTest::newRow("1") << u"1"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void tst_TagDocument::flagValue()
{
    QFETCH(QString, value);
    QFETCH(bool, expected);
    Cls_XML document;
    document.SetFileItem(u"<F>"_s + value + u"</F>"_s, QString());
    QCOMPARE(document.GetFileItem_bln(u"F"_s), expected);
}

void tst_TagDocument::defaultValue()
{
    Cls_XML document;
    document.SetFileItem(u"<Font></Font><Size> </Size>"_s, QString());
    QCOMPARE(document.GetFileItemDefault_str(u"Font"_s, u"d"_s), u"d"_s);
    QCOMPARE(document.GetFileItemDefault_str(u"Other"_s, u"d"_s), u"d"_s);
    // A blank is a value.
    QCOMPARE(document.GetFileItemDefault_str(u"Size"_s, u"d"_s), u" "_s);
}

void tst_TagDocument::duplicateKeyIsRefusedWithBox()
{
    Cls_XML document;
    QVERIFY(document.AddItem_bln(u"Title"_s, u"1"_s));
    QVERIFY(boxes().isEmpty());
    QVERIFY(!document.AddItem_bln(u"Title"_s, u"2"_s));

    QCOMPARE(boxes().size(), 1);
    QCOMPARE(boxes()[0].style, int(MsgBox::Exclamation));
    QCOMPARE(boxes()[0].title, u"重複Key発見"_s);
    QCOMPARE(boxes()[0].prompt,
             QStringLiteral("次のKeyは既に使用されています。\r\n違う項目名を設定してください。\r\n"
                            "------------------------------------\r\n『Title』"));
    QCOMPARE(document.GetItemAll_str(QString()), u"<Title>1</Title>\r\n"_s);

    // Keys differ by case.
    QVERIFY(document.AddItem_bln(u"title"_s, u"3"_s));
    QCOMPARE(boxes().size(), 1);
}

void tst_TagDocument::emptyKeyIsRefusedWithBox()
{
    Cls_XML document;
    QVERIFY(!document.AddItem_bln(QString(), u"x"_s));
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(boxes()[0].style, int(MsgBox::Exclamation));
    QCOMPARE(boxes()[0].prompt, u"Key項目を設定してください。"_s);
    QCOMPARE(boxes()[0].title, u"設定値無し"_s);
    QCOMPARE(document.GetItemAll_str(u"\t"_s), QString());

    // SetItem_bln reports success even when the key it passes on is refused.
    QVERIFY(document.SetItem_bln(QString(), u"x"_s));
    QCOMPARE(boxes().size(), 2);
    QCOMPARE(document.GetItemAll_str(QString()), QString());
}

void tst_TagDocument::setItemReplacesInPlace()
{
    Cls_XML document;
    QVERIFY(document.SetItem_bln(u"Title"_s, u"a"_s));
    QVERIFY(document.SetItem_bln(u"Font"_s, u"f"_s));
    QVERIFY(document.SetItem_bln(u"Title"_s, u"b"_s));
    QCOMPARE(document.GetItemAll_str(QString()), u"<Title>b</Title>\r\n<Font>f</Font>\r\n"_s);
    QCOMPARE(document.GetItem_str(u"Title"_s), u"<Title>b</Title>"_s);
    QCOMPARE(document.GetItem_str(u"None"_s), QString());
    QVERIFY(boxes().isEmpty());

    QVERIFY(document.InitItem_bln());
    QCOMPARE(document.GetItemAll_str(QString()), QString());
    QVERIFY(document.AddItem_bln(u"Title"_s, u"c"_s));
}

void tst_TagDocument::topLevelComposition()
{
    Cls_XML document;
    document.AddItem_bln(u"A"_s, u"1"_s);
    document.AddItem_bln(u"B"_s, u"2"_s);
    QCOMPARE(document.GetFileItemAll_str(),
             QStringLiteral("<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n<myItem>\r\n"
                            "\t<A>1</A>\r\n\t<B>2</B>\r\n\r\n</myItem>"));

    Cls_XML empty;
    empty.TopTagName_Prop(u"Root"_s);
    QCOMPARE(empty.GetFileItemAll_str(),
             QStringLiteral("<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n<Root>\r\n\r\n"
                            "</Root>"));
}

void tst_TagDocument::nestedComposition()
{
    Cls_XML parent;
    QVERIFY(parent.SetElement_bln(u"Frame1"_s, u"<X>1</X><!--c-->"_s));
    QVERIFY(parent.Element);
    QCOMPARE(parent.Element->IndentLevel_Prop(), 1);
    QCOMPARE(parent.Element->GetFileItemAll(), u"<X>1</X>"_s);

    Cls_XML &child = *parent.Element;
    child.AddItem_bln(u"Title"_s, u"t"_s);
    QCOMPARE(child.GetFileItemAll_str(), u"\r\n\t\t<Title>t</Title>\r\n\t"_s);

    parent.AddItem_bln(u"Frame1"_s, child.GetFileItemAll_str());
    QCOMPARE(parent.GetFileItemAll_str(),
             QStringLiteral("<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n<myItem>\r\n"
                            "\t<Frame1>\r\n\t\t<Title>t</Title>\r\n\t</Frame1>\r\n\r\n</myItem>"));

    // A level set back to 0 makes the document a top-level one again.
    child.IndentLevel_Prop(0);
    QVERIFY(child.GetFileItemAll_str().startsWith(u"<?xml"_s));
}

void tst_TagDocument::readSplitsLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << u"a\r\nb\r\n"_s;
    QTest::newRow("no final line end") << QByteArray("a\r\nb") << u"a\r\nb\r\n"_s;
    QTest::newRow("CR only") << QByteArray("a\rb\r") << u"a\r\nb\r\n"_s;
    QTest::newRow("LF only is one line") << QByteArray("a\nb\n") << u"a\nb\n\r\n"_s;
    QTest::newRow("CR then CR LF") << QByteArray("a\r\r\nb") << u"a\r\n\r\nb\r\n"_s;
    QTest::newRow("LF CR") << QByteArray("a\n\rb") << u"a\n\r\nb\r\n"_s;
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << u"\r\n\r\n"_s;
    QTest::newRow("empty file") << QByteArray() << u""_s;
    QTest::newRow("Shift_JIS") << QByteArray("\x82\xa0\r\n\x82\xa2") << u"あ\r\nい\r\n"_s;
    QTest::newRow("damaged byte before CR LF") << QByteArray("\x82\r\nx") << u"\uFFFD\r\nx\r\n"_s;
    QTest::newRow("control bytes kept") << QByteArray("\x1a\x1c\x7f") << u"\x1a\x1c\x7f\r\n"_s;
}

void tst_TagDocument::readSplitsLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString path = m_dir->filePath(u"in.xml"_s);
    QVERIFY(writeBytes(path, bytes));

    Cls_XML document;
    document.SaveFilePath_Prop(m_dir->path());
    QVERIFY(document.OnlyReadFile_bln(u"in.xml"_s));
    QCOMPARE(document.FileData(), expected);
    // Reading the raw text leaves the read side alone.
    QCOMPARE(document.GetFileItemAll(), QString());
}

void tst_TagDocument::readFileRemovesComments()
{
    QVERIFY(writeBytes(m_dir->filePath(u"c.xml"_s), "<A>1</A>\r\n<!-- <B>x</B> -->\r\n<B>2</B>"));
    Cls_XML document;
    document.SaveFilePath_Prop(m_dir->path());
    document.FileData(u"kept"_s);
    QVERIFY(document.ReadFile_bln(u"c.xml"_s, true));
    QCOMPARE(document.GetFileItemAll(), u"<A>1</A>\r\n\r\n<B>2</B>\r\n"_s);
    QCOMPARE(document.Gets(u"B"_s), u"2"_s);
    QCOMPARE(document.FileData(), u"kept"_s);
}

void tst_TagDocument::missingFileFailsQuietlyUnlessAsked()
{
    Cls_XML document;
    document.SaveFilePath_Prop(m_dir->path());
    document.SetFileItem(u"<A>1</A>"_s, QString());
    QVERIFY(!document.OnlyReadFile_bln(u"none.xml"_s));
    QVERIFY(!document.ReadFile_bln(u"none.xml"_s));
    QVERIFY(boxes().isEmpty());
    QCOMPARE(document.LastError().number, int(VbErrorNo::FileNotFound));
    QCOMPARE(document.Gets(u"A"_s), u"1"_s);

    document.SaveFilePath_Prop(m_dir->filePath(u"no-folder"_s));
    QVERIFY(!document.OnlyReadFile_bln(u"none.xml"_s));
    QCOMPARE(document.LastError().number, int(VbErrorNo::PathNotFound));

    document.MsgDisplayFlg_Prop(true);
    QVERIFY(!document.OnlyReadFile_bln(u"none.xml"_s));
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(boxes()[0].title, u"VB Error"_s);
    QVERIFY(boxes()[0].prompt.startsWith(u"76 "_s));
}

void tst_TagDocument::saveWritesCp932WithCrLf()
{
    Cls_XML document;
    document.SaveFilePath_Prop(m_dir->path());
    document.AddItem_bln(u"Name"_s, u"今日日付"_s);
    document.AddItem_bln(u"Font"_s, u"ＭＳ ゴシック"_s);
    QVERIFY(document.SaveFile_bln(u"out.xml"_s));

    const QByteArray expected =
        "<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n<myItem>\r\n"
        "\t<Name>\x8d\xa1\x93\xfa\x93\xfa\x95\x74</Name>\r\n"
        "\t<Font>\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e</Font>\r\n\r\n</myItem>";
    QCOMPARE(fileBytes(m_dir->filePath(u"out.xml"_s)), expected);

    Cls_XML reader;
    reader.SaveFilePath_Prop(m_dir->path());
    QVERIFY(reader.ReadFile_bln(u"out.xml"_s));
    QCOMPARE(reader.GetFileItemAll(), document.GetFileItemAll_str() + u"\r\n"_s);
    QCOMPARE(reader.Gets(u"Name"_s), u"今日日付"_s);
}

void tst_TagDocument::saveWithoutNameWarnsOnlyWhenAsked()
{
    Cls_XML document;
    document.SaveFilePath_Prop(m_dir->path());
    QVERIFY(!document.SaveFile_bln(QString()));
    QVERIFY(boxes().isEmpty());

    document.MsgDisplayFlg_Prop(true);
    QVERIFY(!document.SaveFile_bln(QString()));
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(boxes()[0].style, int(MsgBox::Exclamation));
    QCOMPARE(boxes()[0].prompt, u"ファイル名が設定されてません。"_s);
    QCOMPARE(boxes()[0].title, u"設定ミス"_s);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
}

void tst_TagDocument::refusedSaveKeepsOldFile()
{
    const QString path = m_dir->filePath(u"keep.xml"_s);
    QVERIFY(writeBytes(path, "old\r\n"));

    Cls_XML document;
    document.SaveFilePath_Prop(m_dir->path());
    document.AddItem_bln(u"Data"_s, u"1\u301C9"_s);
    QVERIFY(!document.SaveFile_bln(u"keep.xml"_s));
    QCOMPARE(fileBytes(path), QByteArray("old\r\n"));
    QVERIFY(boxes().isEmpty());

    const QString text = document.GetFileItemAll_str();
    QCOMPARE(document.LastUnencodable().position, text.indexOf(QChar(0x301C)));
    QCOMPARE(uint(document.LastUnencodable().codePoint), 0x301Cu);
    QCOMPARE(document.LastError().number, int(VbErrorNo::InvalidArgument));
    QVERIFY(document.LastError().description.contains(u"U+301C"_s));
    // No stray temporary file is left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"keep.xml"_s});

    // Once the text can be held, the save goes through and clears the report.
    document.SetItem_bln(u"Data"_s, u"1\uFF5E9"_s);
    QVERIFY(document.SaveFile_bln(u"keep.xml"_s));
    QVERIFY(!document.LastUnencodable().isSet());
    QVERIFY(!document.LastError().isSet());
    QVERIFY(fileBytes(path).contains("<Data>1\x81\x60"
                                     "9</Data>"));
}

void tst_TagDocument::saveIntoMissingFolderFails()
{
    Cls_XML document;
    document.SaveFilePath_Prop(m_dir->filePath(u"missing"_s));
    document.AddItem_bln(u"A"_s, u"1"_s);
    QVERIFY(!document.SaveFile_bln(u"x.xml"_s));
    QCOMPARE(document.LastError().number, int(VbErrorNo::PathNotFound));
    QVERIFY(boxes().isEmpty());
}

void tst_TagDocument::failedSaveStepKeepsOldFile_data()
{
    QTest::addColumn<int>("call");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("replaced");

    using C = FileFault::Call;
    QTest::newRow("disk full") << int(C::Write) << ENOSPC << int(VbErrorNo::DiskFull) << false;
    QTest::newRow("quota") << int(C::Write) << EDQUOT << int(VbErrorNo::DiskFull) << false;
    QTest::newRow("file too large") << int(C::Write) << EFBIG << int(VbErrorNo::DiskFull) << false;
    QTest::newRow("write error") << int(C::Write) << EIO << int(VbErrorNo::DeviceIoError) << false;
    QTest::newRow("sync error") << int(C::Fdatasync) << EIO << int(VbErrorNo::DeviceIoError)
                                << false;
    QTest::newRow("sync finds disk full")
        << int(C::Fdatasync) << ENOSPC << int(VbErrorNo::DiskFull) << false;
    QTest::newRow("close error") << int(C::Close) << EIO << int(VbErrorNo::DeviceIoError) << false;
    QTest::newRow("close finds quota")
        << int(C::Close) << EDQUOT << int(VbErrorNo::DiskFull) << false;
    QTest::newRow("rename refused")
        << int(C::Rename) << EACCES << int(VbErrorNo::PermissionDenied) << false;
    // Once renamed the new file is there; a folder that cannot be synced is still reported.
    QTest::newRow("folder sync error")
        << int(C::Fsync) << EIO << int(VbErrorNo::DeviceIoError) << true;
}

// Every step of a save is checked: a failure keeps the old file and leaves no temporary one.
void tst_TagDocument::failedSaveStepKeepsOldFile()
{
    QFETCH(int, call);
    QFETCH(int, error);
    QFETCH(int, number);
    QFETCH(bool, replaced);
    const QString path = m_dir->filePath(u"keep.xml"_s);
    QVERIFY(writeBytes(path, "old\r\n"));
    Cls_XML document;
    document.SaveFilePath_Prop(m_dir->path());
    document.AddItem_bln(u"Data"_s, QString(8000, u'x'));
    {
        const FileFault fault(FileFault::Call(call), error, 4096);
        QVERIFY(!document.SaveFile_bln(u"keep.xml"_s));
    }
    QCOMPARE(document.LastError().number, number);
    QCOMPARE(fileBytes(path) == "old\r\n", !replaced);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"keep.xml"_s});
    QVERIFY(boxes().isEmpty());

    QVERIFY(document.SaveFile_bln(u"keep.xml"_s));
    QCOMPARE(fileBytes(path).size(), document.GetFileItemAll_str().size());
}

void tst_TagDocument::staleTemporaryFilesGoOnNextSave()
{
    // A process that has ended: its PID names no live process any more.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    QVERIFY(child > 0);
    QCOMPARE(::waitpid(child, nullptr, 0), child);
    const QByteArray dead = QByteArray::number(child);
    const QByteArray live = QByteArray::number(::getpid());
    const QDateTime old = QDateTime::currentDateTime().addSecs(-120);

    QDir dir(m_dir->path());
    const auto make = [&](const QString &name, const QDateTime &time) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write("partial") == 7 && file.flush());
        QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
    };
    const QString stale = u".s.xml.quorvel-save-"_s + dead + u"-Ab3dE9"_s;
    const QString young = u".s.xml.quorvel-save-"_s + dead + u"-Zz0000"_s;
    const QString held = u".s.xml.quorvel-save-"_s + live + u"-Qq1111"_s;
    const QString otherFile = u".s.xml.quorvel-save-notes"_s;
    make(stale, old);
    make(young, QDateTime::currentDateTime());
    make(held, old);
    make(otherFile, old);

    Cls_XML document;
    document.SaveFilePath_Prop(m_dir->path());
    document.AddItem_bln(u"A"_s, u"1"_s);
    QVERIFY(document.SaveFile_bln(u"s.xml"_s));
    QStringList expected{young, held, otherFile, u"s.xml"_s};
    expected.sort();
    QStringList found = dir.entryList(QDir::Files | QDir::Hidden);
    found.sort();
    QCOMPARE(found, expected);
}

void tst_TagDocument::readErrorPartWayFailsTheRead_data()
{
    QTest::addColumn<int>("error");
    QTest::newRow("read error") << EIO;
    QTest::newRow("ends before its size") << 0;
}

// A read that stops part way must not pass for the whole file.
void tst_TagDocument::readErrorPartWayFailsTheRead()
{
    QFETCH(int, error);
    const QString path = m_dir->filePath(u"r.xml"_s);
    QVERIFY(writeBytes(path, "<A>1</A>\r\n" + QByteArray(100000, 'x') + "<B>2</B>\r\n"));
    Cls_XML document;
    document.SaveFilePath_Prop(m_dir->path());
    {
        const FileFault fault(FileFault::Call::Read, error, 70000);
        QVERIFY(!document.ReadFile_bln(u"r.xml"_s));
        QCOMPARE(document.LastError().number, int(VbErrorNo::DeviceIoError));
        QVERIFY(!document.OnlyReadFile_bln(u"r.xml"_s));
        QCOMPARE(document.LastError().number, int(VbErrorNo::DeviceIoError));
        QVERIFY(document.FileData().isEmpty());
    }
    QVERIFY(document.ReadFile_bln(u"r.xml"_s));
    QCOMPARE(document.Gets(u"B"_s), u"2"_s);
}

void tst_TagDocument::saveKeepsWhatIsNoFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("throughLink");
    QTest::newRow("folder") << u"folder"_s << false;
    QTest::newRow("link to a folder") << u"folder"_s << true;
#ifdef Q_OS_UNIX
    QTest::newRow("pipe") << u"pipe"_s << false;
    QTest::newRow("link to a pipe") << u"pipe"_s << true;
#endif
}

void tst_TagDocument::saveKeepsWhatIsNoFile()
{
    QFETCH(QString, kind);
    QFETCH(bool, throughLink);
    const QString thing = m_dir->filePath(u"thing"_s);
    if (kind == u"folder"_s) {
        QVERIFY(QDir(m_dir->path()).mkdir(u"thing"_s));
    } else {
#ifdef Q_OS_UNIX
        QCOMPARE(::mkfifo(QFile::encodeName(thing), 0600), 0);
#endif
    }
    QString name = u"thing"_s;
    if (throughLink) {
        name = u"s.xml"_s;
        QVERIFY(QFile::link(thing, m_dir->filePath(name)));
    }
    Cls_XML document;
    document.SaveFilePath_Prop(m_dir->path());
    document.AddItem_bln(u"A"_s, u"1"_s);
    QVERIFY(!document.SaveFile_bln(name));
    QCOMPARE(document.LastError().number, int(VbErrorNo::PathFileAccessError));
    const QFileInfo after(thing);
    QVERIFY(after.exists() && !after.isFile());
    QCOMPARE(QFileInfo(m_dir->filePath(name)).isSymLink(), throughLink);
    QVERIFY(boxes().isEmpty());
}

void tst_TagDocument::pathJoin_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("neither has one") << u"/a/b"_s << u"x.xml"_s << u"/a/b/x.xml"_s;
    QTest::newRow("folder ends with one") << u"/a/b/"_s << u"x.xml"_s << u"/a/b/x.xml"_s;
    QTest::newRow("name starts with one") << u"/a/b"_s << u"/x.xml"_s << u"/a/b/x.xml"_s;
    QTest::newRow("both have one") << u"/a/b/"_s << u"/x.xml"_s << u"/a/b/x.xml"_s;
    QTest::newRow("blanks trimmed") << u"  /a/b  "_s << u"x.xml"_s << u"/a/b/x.xml"_s;
    QTest::newRow("empty folder") << QString() << u"x.xml"_s << u"x.xml"_s;
    QTest::newRow("blank folder") << u"   "_s << u"/x.xml"_s << u"/x.xml"_s;
    QTest::newRow("root folder") << u"/"_s << u"x.xml"_s << u"/x.xml"_s;
}

void tst_TagDocument::pathJoin()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    Cls_XML document;
    document.SaveFilePath_Prop(folder);
    QCOMPARE(QDir::fromNativeSeparators(document.FullPath(name)), expected);
}

QTEST_GUILESS_MAIN(tst_TagDocument)
#include "tst_tagdocument.moc"
