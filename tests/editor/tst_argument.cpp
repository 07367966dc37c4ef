#include "Cls_Argument.h"
#include "EditTree.h"
#include "Frm_NewName.h"
#include "Frm_Setting.h"

#include <QDateTime>
#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_Argument final : public QObject
{
    Q_OBJECT

private slots:
    void settingName_data();
    void settingName();
    void editorArguments_data();
    void editorArguments();
    void lines_data();
    void lines();
    void folderPath_data();
    void folderPath();
    void cleanName_data();
    void cleanName();
    void timeStampKey_data();
    void timeStampKey();
};

void tst_Argument::settingName_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("expected");
    QTest::newRow("name and option") << u"abc.xml -x"_s << u"abc"_s;
    QTest::newRow("spaces only") << u"    "_s << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("surrounding blanks") << u"  Tool  "_s << u"Tool"_s;
    QTest::newRow("every .xml removed") << u"a.xmlb.xml"_s << u"ab"_s;
    QTest::newRow("upper-case extension kept") << u"ABC.XML"_s << u"ABC.XML"_s;
    QTest::newRow("quotes stay, space cuts") << u"\"my file.xml\""_s << u"\"my"_s;
    QTest::newRow("only first line") << u"first\r\nsecond"_s << u"first"_s;
    QTest::newRow("empty first lines vanish") << u"\r\n\r\nthird x"_s << u"third"_s;
}

void tst_Argument::settingName()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, expected);
    QCOMPARE(FncStr_SettingNameFromCommandLine(commandLine), expected);
}

void tst_Argument::editorArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder");
    QTest::newRow("palette start")
        << QStringList{"Quorvel", "--settings-dir", "/s"} << u"Quorvel"_s << u"/s"_s;
    QTest::newRow("folder first") << QStringList{"--settings-dir", "/s", "x.xml"} << u"x"_s
                                  << u"/s"_s;
    QTest::newRow("equals form") << QStringList{"--settings-dir=/t", "y"} << u"y"_s << u"/t"_s;
    QTest::newRow("folder missing its value")
        << QStringList{"z", "--settings-dir"} << u"z"_s << QString();
    QTest::newRow("nothing") << QStringList{} << QString() << QString();
    QTest::newRow("split words joined") << QStringList{"my", "file.xml"} << u"my"_s << QString();
    QTest::newRow("file from the desktop") << QStringList{"/h/.config/Quorvel/My tools.xml"}
                                           << u"My tools"_s << u"/h/.config/Quorvel"_s;
    QTest::newRow("file beats the folder option")
        << QStringList{"--settings-dir", "/s", "/t/a.xml"} << u"a"_s << u"/t"_s;
    QTest::newRow("relative file") << QStringList{"sub/../b.xml"} << u"b"_s << QDir::currentPath();
}

void tst_Argument::editorArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, name);
    QFETCH(QString, folder);
    const EditorArguments parsed = FncArg_ParseEditorArguments(arguments);
    QCOMPARE(parsed.settingName, name);
    QCOMPARE(parsed.settingsFolder, folder);
}

void tst_Argument::lines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("wordCount");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("word");
    QTest::newRow("no lines") << QString() << 0 << QStringList{} << 0 << QString();
    QTest::newRow("three words") << u"a b c"_s << 3 << QStringList{"a b c"} << 2 << u"c"_s;
    QTest::newRow("index past end") << u"a b"_s << 2 << QStringList{"a b"} << 2 << QString();
    QTest::newRow("negative index") << u"a b"_s << 2 << QStringList{"a b"} << -1 << QString();
    QTest::newRow("doubled blank is an empty word")
        << u"a  b"_s << 3 << QStringList{"a  b"} << 1 << QString();
    QTest::newRow("empty lines dropped")
        << u"x\r\n\r\ny z"_s << 1 << QStringList{"x", "y z"} << 0 << u"x"_s;
}

void tst_Argument::lines()
{
    QFETCH(QString, text);
    QFETCH(int, wordCount);
    QFETCH(QStringList, lines);
    QFETCH(int, index);
    QFETCH(QString, word);
    Cls_Argument argument;
    argument.SetBaseData(text);
    QCOMPARE(argument.GetItemCount().toInt(), wordCount);
    QStringList seen;
    for (bool more = argument.MoveFirst(); more; more = argument.MoveNext())
        seen.append(argument.GetCurrentData());
    QCOMPARE(seen, lines);
    argument.MoveFirst();
    QCOMPARE(argument.GetItem(index), word);
}

void tst_Argument::folderPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("absolute") << u"/a/b/c.xml"_s << u"/a/b"_s;
    QTest::newRow("root file keeps the root") << u"/c.xml"_s << u"/"_s;
    QTest::newRow("bare name") << u"c.xml"_s << QString();
    QTest::newRow("relative") << u"a/c.xml"_s << u"a"_s;
}

void tst_Argument::folderPath()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(Frm_Setting::FncStr_GetFolderPath(path), expected);
}

void tst_Argument::cleanName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("multi-line paste") << u"ab\r\ncd\nef\rgh"_s << u"abcdefgh"_s;
    QTest::newRow("tabs") << u"a\tb"_s << u"ab"_s;
    QTest::newRow("blanks kept") << u" a b "_s << u" a b "_s;
}

void tst_Argument::cleanName()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Frm_NewName::FncStr_CleanName(text), expected);
}

void tst_Argument::timeStampKey_data()
{
    QTest::addColumn<int>("hours");
    QTest::addColumn<QString>("expected");
    // 5 December, 03:04:05: the day's leading zero goes, the others stay.
    QTest::newRow("now") << 0 << u"Root5030405"_s;
    QTest::newRow("two hours on") << 2 << u"Root5050405"_s;
    QTest::newRow("into the next day") << 22 << u"Root6010405"_s;
    QTest::newRow("into the next month") << 27 * 24 << u"Root1030405"_s;
}

void tst_Argument::timeStampKey()
{
    QFETCH(int, hours);
    QFETCH(QString, expected);
    const QDateTime now(QDate(2026, 12, 5), QTime(3, 4, 5));
    QCOMPARE(EditTree::FncStr_TimeStampKey(now, hours), expected);
}

QTEST_GUILESS_MAIN(tst_Argument)
#include "tst_argument.moc"
