#include "CatalogPanel.h"
#include "MessageBoxRecorder.h"
#include "setting_catalog.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_CatalogPanel final : public QObject
{
    Q_OBJECT

private slots:
    void answerDecides_data();
    void answerDecides();
};

void tst_CatalogPanel::answerDecides_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("chosen");
    QTest::newRow("VisualBasic, Yes") << 0 << int(MsgBox::Yes) << true;
    QTest::newRow("JAVA, No") << 1 << int(MsgBox::No) << false;
    QTest::newRow("JAVA, Yes") << 1 << int(MsgBox::Yes) << true;
}

void tst_CatalogPanel::answerDecides()
{
    QFETCH(int, index);
    QFETCH(int, answer);
    QFETCH(bool, chosen);
    CatalogPanel panel;
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QSignalSpy spy(&panel, &CatalogPanel::catalogChosen);
    MessageBoxRecorder boxes;
    boxes.queueAnswer(answer);
    auto *label = panel.findChild<QLabel *>(u"Lbl_DefaultSetting_%1"_s.arg(index));
    QCOMPARE(label->text(), SettingCatalog::catalogs().at(index).caption);
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.at(0).style, MsgBox::YesNo | MsgBox::Question);
    QCOMPARE(boxes.at(0).title, QString());
    QCOMPARE(boxes.at(0).prompt, u"この設定を追加しますか？\r\n"_s + QString(32, u'-') +
                                     u"\r\n『"_s + label->text() + u"』\r\n\r\n"_s);
    QCOMPARE(spy.size(), chosen ? 1 : 0);
    if (chosen) {
        QCOMPARE(spy.at(0).at(0).toInt(), index);
    }
}

QTEST_MAIN(tst_CatalogPanel)
#include "tst_catalogpanel.moc"
