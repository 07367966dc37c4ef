// The command-line filter, through the real program.
#include "setting_model.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kProgram = QStringLiteral(QUORVEL_BINARY_DIR "/programs/Quorvel");

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Frames of the test setting file. Frame 3 repeats frame 1's title and one item name,
// frame 4 has a slash in its title, and frame 5 skips unnamed items.
const char *const kSettingText =
    "<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n<myItem>\r\n"
    "<CommonSetting><Title>T</Title></CommonSetting>\r\n<DataSetting>\r\n"
    "<Frame1><Title>for Edit</Title>"
    "<Item1><Name>TABをカンマに置換</Name><Reg>\t</Reg><Replace>,</Replace></Item1>"
    "<Item2><Name> 壊れた </Name><Reg>a(b</Reg><Replace>x</Replace></Item2>"
    "<Item3><Name>dup</Name><Data>one</Data></Item3>"
    "</Frame1>\r\n"
    "<Frame2><Title>Tips</Title>"
    "<Item1><Name>今日日付</Name><Data>@@@@/@@/@@</Data></Item1>"
    "<Item2><Name>囲む</Name><Data>「@@@@@@@@」</Data></Item2>"
    "<Item3><Name>リンク</Name><Link>/nonexistent/quorvel/target.txt</Link></Item3>"
    "</Frame2>\r\n"
    "<Frame3><Title>for Edit</Title>"
    "<Item1><Name>dup</Name><Data>two</Data></Item1>"
    "</Frame3>\r\n"
    "<Frame4><Title>a/b</Title>"
    "<Item1><Name>c</Name><Data>slash</Data></Item1>"
    "</Frame4>\r\n"
    "<Frame5><Title>gaps</Title>"
    "<Item1><Reg>x</Reg><Replace>y</Replace></Item1>"
    "<Item5><Name>fifth</Name><Data>5</Data></Item5>"
    "<Item7><Name>seventh</Name></Item7>"
    "</Frame5>\r\n"
    "</DataSetting>\r\n</myItem>\r\n";

} // namespace

class tst_PaletteFilter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void apply_data();
    void apply();
    void rejected_data();
    void rejected();
    void list();
    void missingSettingFileIsNotCreated();
    void openFailureIsNotSuccess();
    void brokenStreamIsNotSuccess_data();
    void brokenStreamIsNotSuccess();
    void withoutDisplay_data();
    void withoutDisplay();

private:
    Run run(const QStringList &arguments, const QByteArray &input = {},
            bool withoutDisplay = false);
    QString settingFile() const { return m_dir.filePath(QStringLiteral("palette.xml")); }

    QTemporaryDir m_dir;
};

Run tst_PaletteFilter::run(const QStringList &arguments, const QByteArray &input,
                           bool withoutDisplay)
{
    QProcess process;
    if (withoutDisplay) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(environment);
    }
    process.start(kProgram, arguments);
    if (!process.waitForStarted(10000)) {
        return {};
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    Run result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void tst_PaletteFilter::initTestCase()
{
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
    QVERIFY(m_dir.isValid());
    Cls_MySettingFile writer;
    writer.Path(m_dir.path());
    writer.Name(QStringLiteral("palette.xml"));
    QVERIFY(writer.SaveFile(QString::fromUtf8(kSettingText)));
}

void tst_PaletteFilter::apply_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");

    const QByteArray today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")).toUtf8();

    QTest::newRow("edit by name") << QStringList{"--apply", "for Edit/TABをカンマに置換"}
                                  << QByteArray("a\tb") << QByteArray("a,b");
    QTest::newRow("blanks trimmed") << QStringList{"--apply", "  for Edit /TABをカンマに置換 "}
                                    << QByteArray("a\tb") << QByteArray("a,b");
    QTest::newRow("japanese through stdin and stdout")
        << QStringList{"--apply=1/1"} << QString("日本語\tテキスト\r\n").toUtf8()
        << QString("日本語,テキスト\r\n").toUtf8();
    QTest::newRow("empty input") << QStringList{"--apply", "1/1"} << QByteArray() << QByteArray();
    QTest::newRow("date placeholder appended")
        << QStringList{"--apply", "Tips/今日日付", "--append"} << QByteArray("Day: ")
        << QByteArray("Day: ") + today;
    QTest::newRow("clipboard marker appended") << QStringList{"--apply", "2/2", "--append"}
                                               << QByteArray("x") << QString("x「x」").toUtf8();
    QTest::newRow("link prints its link")
        << QStringList{"--apply", "Tips/リンク"} << QByteArray("x")
        << QByteArray("/nonexistent/quorvel/target.txt");
    QTest::newRow("number picks one of a repeated name")
        << QStringList{"--apply", "3/1"} << QByteArray("x") << QByteArray("two");
    QTest::newRow("slash in frame title")
        << QStringList{"--apply", "a/b/c"} << QByteArray("") << QByteArray("slash");
    QTest::newRow("unnamed item takes no position")
        << QStringList{"--apply", "5/1"} << QByteArray("") << QByteArray("5");
    QTest::newRow("item with nothing gives nothing")
        << QStringList{"--apply", "gaps/seventh", "--append"} << QByteArray("keep") << QByteArray();
    QTest::newRow("settings dir default file")
        << QStringList{"--apply", "1/1", "--settings-dir", "SETTINGS_DIR"} << QByteArray("p\tq")
        << QByteArray("p,q");
}

void tst_PaletteFilter::apply()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);

    if (arguments.contains(QStringLiteral("SETTINGS_DIR"))) {
        // The default name is the program's own: Quorvel.xml.
        QTemporaryDir folder;
        QVERIFY(QFile::copy(settingFile(), folder.filePath(QStringLiteral("Quorvel.xml"))));
        arguments.replace(arguments.indexOf(QStringLiteral("SETTINGS_DIR")), folder.path());
        const Run result = run(arguments, input);
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out, output);
        return;
    }
    const Run result = run(arguments + QStringList{"--settings", settingFile()}, input);
    QVERIFY2(result.status == 0, result.err.constData());
    QCOMPARE(result.out, output);
}

void tst_PaletteFilter::rejected_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("messages");

    const QByteArray tab("a\tb");
    const QString known = QStringLiteral("1/1\tfor Edit/TABをカンマに置換");
    QTest::newRow("unknown item") << QStringList{"--apply", "for Edit/nothing"} << tab << 2
                                  << QStringList{"no item"};
    QTest::newRow("unknown frame, known name")
        << QStringList{"--apply", "Other/TABをカンマに置換"} << tab << 2 << QStringList{known};
    QTest::newRow("position beyond the frame")
        << QStringList{"--apply", "1/4"} << tab << 2 << QStringList{"no item"};
    QTest::newRow("frame zero") << QStringList{"--apply", "0/1"} << tab << 2
                                << QStringList{"no item"};
    QTest::newRow("no slash") << QStringList{"--apply", "TABをカンマに置換"} << tab << 2
                              << QStringList{known};
    QTest::newRow("ambiguous item lists candidates")
        << QStringList{"--apply", "for Edit/dup"} << tab << 2
        << QStringList{"ambiguous", "1/3\tfor Edit/dup", "3/1\tfor Edit/dup"};
    QTest::newRow("unknown option")
        << QStringList{"--bogus", "--list"} << tab << 2 << QStringList{"bogus"};
    QTest::newRow("apply without item")
        << QStringList{"--apply"} << tab << 2 << QStringList{"apply"};
    QTest::newRow("apply and list")
        << QStringList{"--apply", "1/1", "--list"} << tab << 2 << QStringList{"--list"};
    QTest::newRow("append without apply")
        << QStringList{"--list", "--append"} << tab << 2 << QStringList{"--append"};
    QTest::newRow("stray argument")
        << QStringList{"--list", "extra"} << tab << 2 << QStringList{"extra"};
    QTest::newRow("input not UTF-8")
        << QStringList{"--apply", "1/1"} << QByteArray("a\tb\xff\xfe") << 2 << QStringList{"UTF-8"};
    // The name has blanks around it; the trimmed form finds it.
    QTest::newRow("pattern error") << QStringList{"--apply", "for Edit/壊れた"} << tab << 3
                                   << QStringList{"pattern error", "a(b"};
}

void tst_PaletteFilter::rejected()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QStringList, messages);

    const Run result = run(QStringList{"--settings", settingFile()} + arguments, input);
    QCOMPARE(result.status, status);
    QCOMPARE(result.out, QByteArray());
    const QString err = QString::fromUtf8(result.err);
    for (const QString &message : messages)
        QVERIFY2(err.contains(message), result.err.constData());
}

void tst_PaletteFilter::list()
{
    const Run result = run({"--list", "--settings", settingFile()});
    QCOMPARE(result.status, 0);
    const QString expected = QStringLiteral("1\tfor Edit\n"
                                            "1/1\tedit\tTABをカンマに置換\n"
                                            "1/2\tedit\t 壊れた \n"
                                            "1/3\tcopy\tdup\n"
                                            "2\tTips\n"
                                            "2/1\tcopy\t今日日付\n"
                                            "2/2\tcopy\t囲む\n"
                                            "2/3\tlink\tリンク\n"
                                            "3\tfor Edit\n"
                                            "3/1\tcopy\tdup\n"
                                            "4\ta/b\n"
                                            "4/1\tcopy\tc\n"
                                            "5\tgaps\n"
                                            "5/1\tcopy\tfifth\n"
                                            "5/2\tnone\tseventh\n");
    QCOMPARE(QString::fromUtf8(result.out), expected);
}

void tst_PaletteFilter::missingSettingFileIsNotCreated()
{
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("missing.xml"));
    Run result = run({"--apply", "1/1", "--settings", missing}, "a\tb");
    QCOMPARE(result.status, 2);
    QCOMPARE(result.out, QByteArray());
    QVERIFY(result.err.contains("missing.xml"));
    QVERIFY(!QFile::exists(missing));

    // Nor the default file in a settings folder, nor the folder itself.
    const QString sub = folder.filePath(QStringLiteral("sub"));
    result = run({"--list", "--settings-dir", sub});
    QCOMPARE(result.status, 2);
    QVERIFY(!QFile::exists(sub));
    result = run({"--list", "--settings-dir", folder.path()});
    QCOMPARE(result.status, 2);
    QVERIFY(QDir(folder.path()).isEmpty());
}

void tst_PaletteFilter::openFailureIsNotSuccess()
{
    const Run result = run({"--apply", "Tips/リンク", "--open", "--settings", settingFile()}, "");
    QCOMPARE(result.status, 4);
    QCOMPARE(result.out, QByteArray("/nonexistent/quorvel/target.txt"));
    QVERIFY(!result.err.isEmpty());
}

void tst_PaletteFilter::brokenStreamIsNotSuccess_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString folder = m_dir.path();
#ifdef Q_OS_LINUX
    // A full disk: the result is lost, so the run must not report success.
    QTest::newRow("apply into a full disk") << QStringList{"--apply", "Tips/今日日付"} << QString()
                                            << "/dev/full" << 1 << "cannot write standard output";
    QTest::newRow("list into a full disk")
        << QStringList{"--list"} << QString() << "/dev/full" << 1 << "cannot write standard output";
#endif
    QTest::newRow("input is a folder") << QStringList{"--apply", "1/1"} << folder << QString() << 2
                                       << "cannot read standard input";
}

void tst_PaletteFilter::brokenStreamIsNotSuccess()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(int, status);
    QFETCH(QString, message);
    QProcess process;
    if (!input.isEmpty()) {
        process.setStandardInputFile(input);
    }
    if (!output.isEmpty()) {
        process.setStandardOutputFile(output);
    }
    process.start(kProgram, QStringList{"--settings", settingFile()} + arguments);
    QVERIFY(process.waitForStarted(10000));
    if (input.isEmpty()) {
        process.closeWriteChannel();
    }
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QByteArray err = process.readAllStandardError();
    QCOMPARE(process.exitCode(), status);
    QVERIFY2(QString::fromUtf8(err).contains(message), err.constData());
}

void tst_PaletteFilter::withoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray("Quorvel ")
                             << QByteArray();
    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("--apply") << QByteArray();
    QTest::newRow("apply") << QStringList{"--apply", "1/1", "--settings", "SETTING_FILE"} << 0
                           << QByteArray("a,b") << QByteArray();
    // The window needs one, and says so instead of aborting.
    QTest::newRow("window") << QStringList{} << 2 << QByteArray() << QByteArray("--screenshot");
    // A wrong argument is named before the missing display.
    QTest::newRow("unknown option")
        << QStringList{"--bogus"} << 2 << QByteArray() << QByteArray("Unknown option 'bogus'");
    QTest::newRow("settings folder is a file") << QStringList{"--settings-dir", "SETTING_FILE"} << 2
                                               << QByteArray() << QByteArray("is no folder");
    // The usage line names the program, not the path it was started by.
    QTest::newRow("help names the program")
        << QStringList{"--help"} << 0 << QByteArray("Usage: Quorvel [options]") << QByteArray();
    // Any text file loads; one without frames is no setting file.
    QTest::newRow("list of a text file") << QStringList{"--list", "--settings", "NOTES_FILE"} << 2
                                         << QByteArray() << QByteArray("has no frames");
    QTest::newRow("apply of a text file")
        << QStringList{"--apply", "1/1", "--settings", "NOTES_FILE"} << 2 << QByteArray()
        << QByteArray("has no frames");
}

void tst_PaletteFilter::withoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    const qsizetype file = arguments.indexOf(QStringLiteral("SETTING_FILE"));
    if (file >= 0)
        arguments.replace(file, settingFile());
    const qsizetype notes = arguments.indexOf(QStringLiteral("NOTES_FILE"));
    if (notes >= 0) {
        QFile text(m_dir.filePath(QStringLiteral("notes.txt")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("just some notes\r\n");
        text.close();
        arguments.replace(notes, text.fileName());
    }

    const Run result = run(arguments, "a\tb", true);
    QCOMPARE(result.status, status);
    QVERIFY2(result.out.contains(out), result.out.constData());
    QVERIFY2(result.err.contains(err), result.err.constData());
    if (out.isEmpty())
        QCOMPARE(result.out, QByteArray());
}

QTEST_GUILESS_MAIN(tst_PaletteFilter)
#include "tst_palettefilter.moc"
