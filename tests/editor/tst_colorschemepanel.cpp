#include "ColorSchemePanel.h"

#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ColorSchemePanel final : public QObject
{
    Q_OBJECT

private slots:
    void buttonsGiveTheirScheme();
};

void tst_ColorSchemePanel::buttonsGiveTheirScheme()
{
    ColorSchemePanel panel;
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QList<ColorSchemes::Scheme> chosen;
    connect(&panel, &ColorSchemePanel::schemeChosen, this,
            [&](const ColorSchemes::Scheme &scheme) { chosen << scheme; });
    QCOMPARE(panel.findChild<QPushButton *>(u"Cmd_DefaultColor_11"_s)->text(), u"Orange"_s);
    QVERIFY(!panel.findChild<QPushButton *>(u"Cmd_DefaultColor_12"_s));
    QVERIFY(!panel.findChild<QPushButton *>(u"Cmd_DefaultColorBlack_6"_s));
    QTest::mouseClick(panel.findChild<QPushButton *>(u"Cmd_DefaultColorBlack_1"_s), Qt::LeftButton);
    QTest::mouseClick(panel.findChild<QPushButton *>(u"Cmd_DefaultColor_0"_s), Qt::LeftButton);
    QCOMPARE(chosen.size(), 2);
    QCOMPARE(chosen.at(0).caption, u"Pink"_s);
    QCOMPARE(chosen.at(0).values.at(0), u"000000"_s);
    QCOMPARE(chosen.at(0).values.at(1), u"FF00FF"_s);
    QCOMPARE(chosen.at(1).values.at(0), u"C0C0FF"_s);
}

QTEST_MAIN(tst_ColorSchemePanel)
#include "tst_colorschemepanel.moc"
