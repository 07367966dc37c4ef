#include "RegPresetPanel.h"
#include "TextCommands.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

class tst_RegPresetPanel final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void itemPresetFour();
    void directiveNarrow();
    void searchPresetKeepsReplacement();
    void tabsAndPressEffect();

private:
    template<typename T> T *child(const QString &name) const
    {
        return m_window->findChild<T *>(name);
    }
    QString text(const QString &name) const
    {
        return TextCommands::fieldText(child<QWidget>(name));
    }
    void click(const QString &label) { QTest::mouseClick(child<QLabel>(label), Qt::LeftButton); }

    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<QSignalSpy> m_status;
};

void tst_RegPresetPanel::init()
{
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    auto *title = new QLineEdit(m_window.get());
    title->setObjectName(u"Txt_ItemTitle"_s);
    auto *reg = new QPlainTextEdit(m_window.get());
    reg->setObjectName(u"Txt_Reg"_s);
    auto *replace = new QPlainTextEdit(u"keep"_s, m_window.get());
    replace->setObjectName(u"Txt_Replace"_s);
    auto *panel = new RegPresetPanel(title, reg, replace, m_window.get());
    for (QWidget *w : {static_cast<QWidget *>(title), static_cast<QWidget *>(reg),
                       static_cast<QWidget *>(replace), static_cast<QWidget *>(panel)}) {
        layout->addWidget(w);
    }
    m_status = std::make_unique<QSignalSpy>(panel, &RegPresetPanel::statusMessage);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_RegPresetPanel::cleanup()
{
    m_status.reset();
    m_window.reset();
}

void tst_RegPresetPanel::itemPresetFour()
{
    click(u"Lbl_RegSet_4"_s);
    QCOMPARE(text(u"Txt_ItemTitle"_s), u"改行を詰める"_s);
    QCOMPARE(text(u"Txt_Reg"_s), u"\r\n\r\n"_s);
    QCOMPARE(text(u"Txt_Replace"_s), u"\r\n"_s);
    QCOMPARE(m_status->last().at(0).toString(), u"「改行を詰める」を設定しました。"_s);
}

void tst_RegPresetPanel::directiveNarrow()
{
    child<QTabWidget>(u"Tab_RegSampleArea"_s)->setCurrentIndex(1);
    click(u"Lbl_RegSetEtc_5"_s);
    QCOMPARE(text(u"Txt_Replace"_s), u"/Narrow"_s);
    QCOMPARE(m_status->last().at(0).toString(), u"検索対象を全て半角文字に変換します。"_s);
}

void tst_RegPresetPanel::searchPresetKeepsReplacement()
{
    child<QTabWidget>(u"Tab_RegSampleArea"_s)->setCurrentIndex(1);
    click(u"Lbl_RegSearchEtc_8"_s);
    QCOMPARE(text(u"Txt_Reg"_s), u"(AAA|BBB)"_s);
    QCOMPARE(text(u"Txt_Replace"_s), u"keep"_s);
    QCOMPARE(m_status->last().at(0).toString(), u"「AAAかBBB」の設定を選択しました。"_s);
}

void tst_RegPresetPanel::tabsAndPressEffect()
{
    auto *tabs = child<QTabWidget>(u"Tab_RegSampleArea"_s);
    QCOMPARE(tabs->tabText(0), u"設定サンプル集"_s);
    QCOMPARE(tabs->tabText(1), u"既定値のサンプル集"_s);
    QVERIFY(child<QWidget>(u"Fra_RegSampleArea_0"_s)->isVisible());
    QTabBar *bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    QTRY_VERIFY(child<QWidget>(u"Fra_RegSampleArea_1"_s)->isVisible());
    QVERIFY(!child<QWidget>(u"Fra_RegSampleArea_0"_s)->isVisible());

    auto *label = child<QLabel>(u"Lbl_RegSearchEtc_0"_s);
    for (int round = 0; round < 2; ++round) {
        QTest::mousePress(label, Qt::LeftButton);
        QCOMPARE(label->font().pointSize(), 8);
        QTest::mouseRelease(label, Qt::LeftButton);
        QCOMPARE(label->font().pointSize(), 9);
    }
}

QTEST_MAIN(tst_RegPresetPanel)
#include "tst_regpresetpanel.moc"
