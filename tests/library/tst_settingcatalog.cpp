#include "setting_catalog.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_SettingCatalog final : public QObject
{
    Q_OBJECT

private slots:
    void itemCounts_data();
    void itemCounts();
    void framesKeepTheirValuesThroughTheFile();
    void names();
    void question();
};

void tst_SettingCatalog::itemCounts_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QList<int>>("counts");
    QTest::addColumn<QList<int>>("lineCounts");
    QTest::newRow("VisualBasic") << 0 << QList<int>{4, 4, 1, 4, 3, 4, 4, 2, 1}
                                 << QList<int>{1, 1, 1, 1, 3, 2, 2, 2, 1};
    QTest::newRow("JAVA") << 1 << QList<int>{3, 4, 1, 4, 3, 4, 1, 4, 1}
                          << QList<int>{1, 1, 1, 1, 3, 2, 1, 2, 1};
    QTest::newRow("no such catalogue") << 2 << QList<int>{} << QList<int>{};
}

void tst_SettingCatalog::itemCounts()
{
    QFETCH(int, index);
    QFETCH(QList<int>, counts);
    QFETCH(QList<int>, lineCounts);
    const QList<SettingFrame> frames = SettingCatalog::frames(index);
    QList<int> actual, actualLines;
    for (const SettingFrame &frame : frames) {
        actual << int(frame.items.size());
        actualLines << frame.lineCount.toInt();
        QCOMPARE(frame.font, u"Times New Roman"_s);
        QCOMPARE(frame.itemFont, QString());
    }
    QCOMPARE(actual, counts);
    QCOMPARE(actualLines, lineCounts);
}

void tst_SettingCatalog::framesKeepTheirValuesThroughTheFile()
{
    // Trailing blanks and half-width katakana must survive composing and reading back.
    for (int index = 0; index < 2; ++index) {
        for (const SettingFrame &frame : SettingCatalog::frames(index)) {
            const SettingFrame back = SettingFrame::parse(frame.compose());
            QCOMPARE(back.title, frame.title);
            QCOMPARE(back.lineCount, frame.lineCount);
            QCOMPARE(back.font, frame.font);
            QCOMPARE(back.items.size(), frame.items.size());
            for (qsizetype i = 0; i < frame.items.size(); ++i) {
                QCOMPARE(back.items.at(i).name, frame.items.at(i).name);
                QVERIFY(back.items.at(i).data.isEmpty());
                QVERIFY(back.items.at(i).reg.isEmpty());
            }
        }
    }
}

void tst_SettingCatalog::names()
{
    const QList<SettingFrame> vb = SettingCatalog::frames(0);
    QCOMPARE(vb.first().items.at(2).name, u"Priavte Type "_s);
    QCOMPARE(vb.first().items.at(3).name, u"Priavte Enum "_s);
    QCOMPARE(vb.last().items.first().name, u"\uFF8F\uFF86\uFF6D\uFF71\uFF99"_s);
    QCOMPARE(vb.at(4).title, u"Separat Comment"_s);
    QCOMPARE(SettingCatalog::catalogs().at(1).caption, u"初期設定：JAVA Style"_s);
}

void tst_SettingCatalog::question()
{
    const QStringList lines = SettingCatalog::question(u"初期設定：JAVA Style"_s).split(u"\r\n"_s);
    QCOMPARE(lines, QStringList({u"この設定を追加しますか？"_s, QString(32, u'-'),
                                 u"『初期設定：JAVA Style』"_s, QString(), QString()}));
}

QTEST_GUILESS_MAIN(tst_SettingCatalog)
#include "tst_settingcatalog.moc"
