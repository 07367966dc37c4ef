#include "item_runner.h"
#include "setting_model.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString item(const QString &inner)
{
    return u"<Item%1>"_s + inner + u"</Item%1>"_s;
}

QString element(const QString &key, const QString &value)
{
    return u"<%1>%2</%1>"_s.arg(key, value);
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
    void nothingToRun_data();
    void nothingToRun();
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
    QString frame = element(u"Title"_s, u"F"_s);
    for (int i = 0; i < items.size(); ++i) {
        frame += item(items.at(i)).arg(i + 1);
    }
    const QString text = QStringLiteral("<root><CommonSetting></CommonSetting><DataSetting>"
                                        "<Frame1>%1</Frame1></DataSetting></root>\r\n")
                             .arg(frame);
    auto writer = std::make_unique<Cls_MySettingFile>();
    writer->Path(m_dir->path());
    writer->Name(u"t.xml"_s);
    QVERIFY(writer->SaveFile(text));

    m_model = std::make_unique<Cls_MySettingFile>();
    m_model->Path(m_dir->path());
    m_model->Name(u"t.xml"_s);
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
        return element(u"Name"_s, u"e"_s) + element(u"Reg"_s, reg) + element(u"Replace"_s, replace);
    };
    const auto copy = [](const QString &data) {
        return element(u"Name"_s, u"c"_s) + element(u"Data"_s, data);
    };
    const int Edit = int(ItemKind::Edit);
    const int Copy = int(ItemKind::Copy);
    const int Link = int(ItemKind::Link);

    QTest::newRow("tab to comma") << edit("\t", ",") << u"a\tb"_s << false << Edit << u"a,b"_s
                                  << false;
    QTest::newRow("edit ignores append")
        << edit("\t", ",") << u"a\tb"_s << true << Edit << u"a,b"_s << false;
    QTest::newRow("edit wins over data") << edit("a", "b") + element(u"Data"_s, u"zzz"_s)
                                         << u"banana"_s << false << Edit << u"bbnbnb"_s << false;
    QTest::newRow("copy") << copy("xyz") << u"abc"_s << false << Copy << u"xyz"_s << false;
    QTest::newRow("copy appended")
        << copy("xyz") << u"abc"_s << true << Copy << u"abcxyz"_s << false;
    QTest::newRow("marker alone") << copy("@@@@@@@@") << u"日本語\r\n"_s << false << Copy
                                  << u"日本語\r\n"_s << false;
    QTest::newRow("marker between texts")
        << copy("<@@@@@@@@>") << u"abc"_s << false << Copy << u"<abc>"_s << false;
    // The clipboard text put in front is not searched for markers.
    QTest::newRow("appended clipboard keeps its own marker")
        << copy("[@@@@@@@@]") << u"m@@@@@@@@"_s << true << Copy << u"m@@@@@@@@[m@@@@@@@@]"_s
        << false;
    QTest::newRow("link") << element(u"Name"_s, u"l"_s) + element(u"Link"_s, u"/tmp/some dir"_s)
                          << u"abc"_s << true << Link << u"/tmp/some dir"_s << false;
    QTest::newRow("unclosed bracket")
        << edit("[a", "b") << u"abc"_s << false << Edit << u""_s << true;
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

void tst_ItemRunner::nothingToRun_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("found");
    // An empty item is no copy item, even right after one.
    QTest::newRow("empty item after a copy item") << 1 << true;
    QTest::newRow("missing item") << 5 << false;
}

void tst_ItemRunner::nothingToRun()
{
    QFETCH(int, index);
    QFETCH(bool, found);
    load({element(u"Name"_s, u"c"_s) + element(u"Data"_s, u"xyz"_s),
          element(u"Name"_s, u"nothing"_s)});
    QCOMPARE(RunItem(*m_model, 0, u"abc"_s, true).kind, ItemKind::Copy);

    const ItemRunResult result = RunItem(*m_model, index, u"abc"_s, true);
    QCOMPARE(result.found, found);
    QCOMPARE(result.kind, ItemKind::None);
    QCOMPARE(result.output, QString());
}

void tst_ItemRunner::datePlaceholderIsTheLoadDate()
{
    Cls_MySettingFile::SetDateSource([] { return QDate(2007, 1, 20); });
    load({element(u"Name"_s, u"d"_s) + element(u"Data"_s, u"@@@@/@@/@@ @@@@.@@.@@ @@@@@@@@"_s)});
    const ItemRunResult result = RunItem(*m_model, 0, u"clip"_s, false);
    QCOMPARE(result.kind, ItemKind::Copy);
    QCOMPARE(result.output, u"2007/01/20 2007.01.20 clip"_s);
}

QTEST_GUILESS_MAIN(tst_ItemRunner)
#include "tst_itemrunner.moc"
