#include "Cls_Argument.h"
#include "Frm_NewName.h"
#include "Frm_Setting.h"

#include <QDateTime>
#include <QDir>
#include <QTest>

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
    void joinPath_data();
    void joinPath();
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
    QTest::newRow("name and option") << "abc.xml -x"
                                     << "abc";
    QTest::newRow("spaces only") << "    "
                                 << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("surrounding blanks") << "  Tool  "
                                        << "Tool";
    QTest::newRow("every .xml removed") << "a.xmlb.xml"
                                        << "ab";
    QTest::newRow("upper-case extension kept") << "ABC.XML"
                                               << "ABC.XML";
    QTest::newRow("quotes stay, space cuts") << "\"my file.xml\""
                                             << "\"my";
    QTest::newRow("only first line") << "first\r\nsecond"
                                     << "first";
    QTest::newRow("empty first lines vanish") << "\r\n\r\nthird x"
                                              << "third";
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
    QTest::newRow("palette start") << QStringList{"Quorvel", "--settings-dir", "/s"} << "Quorvel"
                                   << "/s";
    QTest::newRow("folder first") << QStringList{"--settings-dir", "/s", "x.xml"} << "x"
                                  << "/s";
    QTest::newRow("equals form") << QStringList{"--settings-dir=/t", "y"} << "y"
                                 << "/t";
    QTest::newRow("folder missing its value") << QStringList{"z", "--settings-dir"} << "z"
                                              << "";
    QTest::newRow("nothing") << QStringList{} << ""
                             << "";
    QTest::newRow("split words joined") << QStringList{"my", "file.xml"} << "my"
                                        << "";
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
    QTest::newRow("no lines") << "" << 0 << QStringList{} << 0 << "";
    QTest::newRow("three words") << "a b c" << 3 << QStringList{"a b c"} << 2 << "c";
    QTest::newRow("index past end") << "a b" << 2 << QStringList{"a b"} << 2 << "";
    QTest::newRow("negative index") << "a b" << 2 << QStringList{"a b"} << -1 << "";
    QTest::newRow("doubled blank is an empty word")
        << "a  b" << 3 << QStringList{"a  b"} << 1 << "";
    QTest::newRow("empty lines dropped")
        << "x\r\n\r\ny z" << 1 << QStringList{"x", "y z"} << 0 << "x";
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
    for (bool more = argument.MoveFirst(); more; more = argument.MoveNext()) {
        seen.append(argument.GetCurrentData());
    }
    QCOMPARE(seen, lines);
    if (argument.MoveFirst()) {
        QCOMPARE(argument.GetItem(index), word);
    } else {
        QCOMPARE(argument.GetItem(index), QString());
    }
}

void tst_Argument::joinPath_data()
{
    const QString s = QDir::separator();
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both separators") << "/a/"
                                     << "/b"
                                     << "/a/b";
    QTest::newRow("empty folder") << ""
                                  << "b"
                                  << "b";
    QTest::newRow("blank folder") << "   "
                                  << "b"
                                  << "b";
    QTest::newRow("neither") << "/a"
                             << "b"
                             << "/a" + s + "b";
    QTest::newRow("name leads") << "/a"
                                << "/b"
                                << "/a/b";
    QTest::newRow("folder ends") << "/a/"
                                 << "b"
                                 << "/a/b";
}

void tst_Argument::joinPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(Frm_Setting::FncStr_JoinPath(folder, name), expected);
}

void tst_Argument::folderPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("absolute") << "/a/b/c.xml"
                              << "/a/b";
    QTest::newRow("root file keeps the root") << "/c.xml"
                                              << "/";
    QTest::newRow("bare name") << "c.xml"
                               << "";
    QTest::newRow("relative") << "a/c.xml"
                              << "a";
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
    QTest::newRow("multi-line paste") << "ab\r\ncd\nef\rgh"
                                      << "abcdefgh";
    QTest::newRow("tabs") << "a\tb"
                          << "ab";
    QTest::newRow("blanks kept") << " a b "
                                 << " a b ";
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
    QTest::newRow("now") << 0 << "Root5030405";
    QTest::newRow("two hours on") << 2 << "Root5050405";
    QTest::newRow("into the next day") << 22 << "Root6010405";
    QTest::newRow("into the next month") << 27 * 24 << "Root1030405";
}

void tst_Argument::timeStampKey()
{
    QFETCH(int, hours);
    QFETCH(QString, expected);
    const QDateTime now(QDate(2026, 12, 5), QTime(3, 4, 5));
    QCOMPARE(Frm_Setting::FncStr_TimeStampKey(now, hours), expected);
}

QTEST_GUILESS_MAIN(tst_Argument)
#include "tst_argument.moc"
