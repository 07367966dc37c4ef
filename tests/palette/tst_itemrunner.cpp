#include "item_runner.h"
#include "setting_model.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QString item(const QString &inner)
{
    return QStringLiteral("<Item%1>") + inner + QStringLiteral("</Item%1>");
}

QString element(const QString &key, const QString &value)
{
    return QStringLiteral("<%1>%2</%1>").arg(key, value);
}

} // namespace

class tst_ItemRunner : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void runItem_data();
    void runItem();
    void emptyItemAfterCopyItemIsNotACopy();
    void missingItemIsNotFound();
    void datePlaceholderIsTheLoadDate();

private:
    // One frame whose items are the given inner texts, Item1, Item2, ...
    void load(const QStringList &items);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Cls_MySettingFile> m_model;
};

void tst_ItemRunner::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_ItemRunner::cleanup()
{
    m_model.reset();
    m_dir.reset();
    Cls_MySettingFile::SetDateSource({});
}

void tst_ItemRunner::load(const QStringList &items)
{
    QString frame = element(QStringLiteral("Title"), QStringLiteral("F"));
    for (int i = 0; i < items.size(); ++i) {
        frame += item(items.at(i)).arg(i + 1);
    }
    const QString text = QStringLiteral("<root><CommonSetting></CommonSetting><DataSetting>"
                                        "<Frame1>%1</Frame1></DataSetting></root>\r\n")
                             .arg(frame);
    auto writer = std::make_unique<Cls_MySettingFile>();
    writer->Path(m_dir->path());
    writer->Name(QStringLiteral("t.xml"));
    QVERIFY(writer->SaveFile(text));

    m_model = std::make_unique<Cls_MySettingFile>();
    m_model->Path(m_dir->path());
    m_model->Name(QStringLiteral("t.xml"));
    QVERIFY(m_model->LoadFile());
    QCOMPARE(m_model->GetCount(), 1);
    m_model->CurrentFrame(0);
}

void tst_ItemRunner::runItem_data()
{
    QTest::addColumn<QString>("itemText");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<bool>("append");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("patternError");

    const auto edit = [](const QString &reg, const QString &replace) {
        return element(QStringLiteral("Name"), QStringLiteral("e")) +
               element(QStringLiteral("Reg"), reg) + element(QStringLiteral("Replace"), replace);
    };
    const auto copy = [](const QString &data) {
        return element(QStringLiteral("Name"), QStringLiteral("c")) +
               element(QStringLiteral("Data"), data);
    };
    const int Edit = int(ItemKind::Edit);
    const int Copy = int(ItemKind::Copy);
    const int Link = int(ItemKind::Link);

    QTest::newRow("tab to comma") << edit("\t", ",") << "a\tb" << false << Edit << "a,b" << false;
    QTest::newRow("edit ignores append")
        << edit("\t", ",") << "a\tb" << true << Edit << "a,b" << false;
    QTest::newRow("edit wins over data")
        << edit("a", "b") + element(QStringLiteral("Data"), QStringLiteral("zzz")) << "banana"
        << false << Edit << "bbnbnb" << false;
    QTest::newRow("copy") << copy("xyz") << "abc" << false << Copy << "xyz" << false;
    QTest::newRow("copy appended") << copy("xyz") << "abc" << true << Copy << "abcxyz" << false;
    QTest::newRow("marker alone") << copy("@@@@@@@@") << "日本語\r\n"
                                  << false << Copy << "日本語\r\n"
                                  << false;
    QTest::newRow("marker between texts")
        << copy("<@@@@@@@@>") << "abc" << false << Copy << "<abc>" << false;
    // The clipboard text put in front is not searched for markers.
    QTest::newRow("appended clipboard keeps its own marker")
        << copy("[@@@@@@@@]") << "m@@@@@@@@" << true << Copy << "m@@@@@@@@[m@@@@@@@@]" << false;
    QTest::newRow("link") << element(QStringLiteral("Name"), QStringLiteral("l")) +
                                 element(QStringLiteral("Link"), QStringLiteral("/tmp/some dir"))
                          << "abc" << true << Link << "/tmp/some dir" << false;
    QTest::newRow("unclosed bracket") << edit("[a", "b") << "abc" << false << Edit << "" << true;
}

void tst_ItemRunner::runItem()
{
    QFETCH(QString, itemText);
    QFETCH(QString, clipboard);
    QFETCH(bool, append);
    QFETCH(int, kind);
    QFETCH(QString, output);
    QFETCH(bool, patternError);

    load({itemText});
    const ItemRunResult result = RunItem(*m_model, 0, clipboard, append);
    QVERIFY(result.found);
    QCOMPARE(int(result.kind), kind);
    QCOMPARE(result.output, output);
    QCOMPARE(result.patternError.isSet(), patternError);
}

void tst_ItemRunner::emptyItemAfterCopyItemIsNotACopy()
{
    load({element(QStringLiteral("Name"), QStringLiteral("c")) +
              element(QStringLiteral("Data"), QStringLiteral("xyz")),
          element(QStringLiteral("Name"), QStringLiteral("nothing"))});
    QCOMPARE(RunItem(*m_model, 0, QStringLiteral("abc"), true).kind, ItemKind::Copy);

    const ItemRunResult result = RunItem(*m_model, 1, QStringLiteral("abc"), true);
    QVERIFY(result.found);
    QCOMPARE(result.kind, ItemKind::None);
    QCOMPARE(result.output, QString());
}

void tst_ItemRunner::missingItemIsNotFound()
{
    load({element(QStringLiteral("Name"), QStringLiteral("c")) +
          element(QStringLiteral("Data"), QStringLiteral("xyz"))});
    QVERIFY(RunItem(*m_model, 0, QStringLiteral("abc"), false).found);

    const ItemRunResult result = RunItem(*m_model, 5, QStringLiteral("abc"), true);
    QVERIFY(!result.found);
    QCOMPARE(result.kind, ItemKind::None);
    QCOMPARE(result.output, QString());
}

void tst_ItemRunner::datePlaceholderIsTheLoadDate()
{
    Cls_MySettingFile::SetDateSource([] { return QDate(2007, 1, 20); });
    load({element(QStringLiteral("Name"), QStringLiteral("d")) +
          element(QStringLiteral("Data"), QStringLiteral("@@@@/@@/@@ @@@@.@@.@@ @@@@@@@@"))});
    const ItemRunResult result = RunItem(*m_model, 0, QStringLiteral("clip"), false);
    QCOMPARE(result.kind, ItemKind::Copy);
    QCOMPARE(result.output, QStringLiteral("2007/01/20 2007.01.20 clip"));
}

QTEST_GUILESS_MAIN(tst_ItemRunner)
#include "tst_itemrunner.moc"
