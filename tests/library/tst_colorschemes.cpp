#include "color_schemes.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace ColorSchemes;

class tst_ColorSchemes final : public QObject
{
    Q_OBJECT

private slots:
    void schemes();
    void showRow_data();
    void showRow();
    void fromText_data();
    void fromText();
    void fromColor();
    void flags_data();
    void flags();
};

void tst_ColorSchemes::schemes()
{
    QCOMPARE(lightSchemes().size(), 12);
    QCOMPARE(blackSchemes().size(), 6);
    const Scheme &pink = blackSchemes().at(1);
    QCOMPARE(pink.caption, u"Pink"_s);
    QCOMPARE(pink.values, (std::array<QString, RowCount>{u"000000"_s, u"FF00FF"_s, u"FF80FF"_s,
                                                         u"FF80FF"_s, u"FFFFFF"_s}));
    QCOMPARE(lightSchemes().at(8).caption, u"Extra 01"_s);
    QCOMPARE(lightSchemes().at(11).values.at(4), u"FF8000"_s);
    QCOMPARE(schemeStatus(pink.caption), u"Default Settingの「Pink」を選択しました。"_s);
    for (const auto *list : {&lightSchemes(), &blackSchemes()}) {
        for (const Scheme &scheme : *list) {
            for (const QString &value : scheme.values) {
                QCOMPARE(ColorSchemes::fromColor(ColorSchemes::fromText(value)), value);
            }
        }
    }
}

void tst_ColorSchemes::showRow_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("short") << u"ff"_s << u"0000ff"_s << QColor(0, 0, 255);
    QTest::newRow("long keeps last six")
        << u"12C0C0FF"_s << u"C0C0FF"_s << QColor(0xC0, 0xC0, 0xFF);
    QTest::newRow("empty") << QString() << u"000000"_s << QColor(0, 0, 0);
}

void tst_ColorSchemes::showRow()
{
    QFETCH(QString, text);
    QFETCH(QString, row);
    QFETCH(QColor, colour);
    QCOMPARE(normalizeRow(text), row);
    QCOMPARE(ColorSchemes::fromText(normalizeRow(text)), colour);
}

void tst_ColorSchemes::fromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("digits padded") << u"12"_s << QColor(0, 0, 0x12);
    QTest::newRow("letters not padded") << u"ff"_s << QColor(255, 0, 0);
    QTest::newRow("lower case") << u"c0c0ff"_s << QColor(0xC0, 0xC0, 0xFF);
    QTest::newRow("blanks trimmed") << u" \t0000FF "_s << QColor(0, 0, 255);
    QTest::newRow("stops at non-digit") << u"1GG0F"_s << QColor(1, 0, 15);
    QTest::newRow("full-width digits are not digits") << u"１２"_s << QColor(0, 0, 0);
}

void tst_ColorSchemes::fromText()
{
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    QCOMPARE(ColorSchemes::fromText(text), colour);
}

void tst_ColorSchemes::fromColor()
{
    QCOMPARE(ColorSchemes::fromColor(QColor(255, 0, 0)), u"FF0000"_s);
    QCOMPARE(ColorSchemes::fromColor(QColor(0, 0, 5)), u"000005"_s);
}

void tst_ColorSchemes::flags_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("on");
    QTest::newRow("TRUE") << u"TRUE"_s << true;
    QTest::newRow("True") << u"True"_s << true;
    QTest::newRow("yes") << u"yes"_s << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blank around") << u" true"_s << false;
}

void tst_ColorSchemes::flags()
{
    QFETCH(QString, text);
    QFETCH(bool, on);
    QCOMPARE(flagOn(text), on);
    QCOMPARE(flagText(on), on ? u"True"_s : u"False"_s);
}

QTEST_GUILESS_MAIN(tst_ColorSchemes)
#include "tst_colorschemes.moc"
