// The palette window on an X display with a window manager: where keep-on-top leaves it,
// and what still works after keep-on-top is switched.
#include "WindowManager.h"
#include "tst_palette_support.h"

#include <QCheckBox>
#include <QCursor>
#include <QLabel>
#include <QToolTip>
#include <QWindow>

using namespace Qt::StringLiterals;

class tst_PaletteDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_fixture.setUp(); }
    void cleanup() { m_fixture.tearDown(); }

    void keepOnTopAtStartKeepsCaptionOnScreen();
    void switchingKeepsWindowPlaceAndTooltips();

private:
    Frm_Item_FromIniFile *openTopLeft(bool topMost);

    WindowManager m_windowManager;
    PaletteFixture m_fixture;
};

namespace {

// The window manager has framed the window: its frame is known and it was placed.
bool framed(const QWidget *window)
{
    return window->isVisible() && window->frameGeometry() != window->geometry();
}

} // namespace

void tst_PaletteDesktop::initTestCase()
{
    if (QGuiApplication::platformName() != u"xcb"_s)
        QSKIP("needs an X display (run under tools/with-xvfb.sh)");
    if (!m_windowManager.start())
        QSKIP("needs openbox");
}

Frm_Item_FromIniFile *tst_PaletteDesktop::openTopLeft(bool topMost)
{
    const QString common = element(u"Align"_s, u"Left"_s) + element(u"Valign"_s, u"Top"_s) +
                           element(u"PositioningTop"_s, u"0"_s) +
                           element(u"PositioningLeft"_s, u"0"_s) +
                           element(u"TopMost"_s, topMost ? u"True"_s : u"False"_s);
    const QString frame = frameText(u"F"_s, {element(u"Name"_s, u"a"_s) + element(u"Data"_s, "a")});
    Frm_Item_FromIniFile *window = m_fixture.open(settingFile(common, {frame}));
    if (window != nullptr && QTest::qWaitForWindowExposed(window))
        QTest::qWait(300);
    return window;
}

void tst_PaletteDesktop::keepOnTopAtStartKeepsCaptionOnScreen()
{
    // At the top left corner the frame, caption included, starts at the screen's corner and
    // the client area below the caption.
    Frm_Item_FromIniFile *window = openTopLeft(true);
    QVERIFY(window);
    QTRY_VERIFY(framed(window));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTRY_COMPARE(window->frameGeometry().topLeft(), QPoint(0, 0));
    QVERIFY(window->geometry().top() > 0);

    // A reload with keep-on-top carried over builds the new window at the same place.
    const QRect before = window->frameGeometry();
    window->Lbl_Reload_Click();
    Frm_Item_FromIniFile *renewed = mdl_Palette::CurrentWindow();
    QVERIFY(renewed && renewed != window);
    QVERIFY(QTest::qWaitForWindowExposed(renewed));
    QTRY_VERIFY(framed(renewed));
    QVERIFY(child<QCheckBox>(renewed, u"Chk_Most"_s)->isChecked());
    QTest::qWait(300);
    QCOMPARE(renewed->frameGeometry(), before);
}

void tst_PaletteDesktop::switchingKeepsWindowPlaceAndTooltips()
{
    Frm_Item_FromIniFile *window = openTopLeft(false);
    QVERIFY(window);
    QTRY_VERIFY(framed(window));
    QTRY_COMPARE(window->frameGeometry().topLeft(), QPoint(0, 0));
    const QRect before = window->frameGeometry();
    const QWindow *native = window->windowHandle();
    auto *most = child<QCheckBox>(window, u"Chk_Most"_s);

    // On: the live window is asked to stay above the others, where it is.
    QTest::mouseClick(most, Qt::LeftButton);
    QVERIFY(most->isChecked());
    QCOMPARE(window->windowHandle(), native);
    const QString id = QString::number(window->winId());
    QTRY_VERIFY(
        WindowManager::windowProperty(id, u"_NET_WM_STATE"_s).contains("_NET_WM_STATE_ABOVE"));
    QTest::qWait(300);
    QCOMPARE(window->frameGeometry(), before);

    // Tooltips still come up under the pointer.
    auto *edit = child<QLabel>(window, u"Lbl_ButtonEdit"_s);
    QCursor::setPos(edit->mapToGlobal(edit->rect().center()));
    QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 5000);
    QCOMPARE(QToolTip::text(), u"設定ファイルを開きます。"_s);
    auto *area = child<QWidget>(window, u"Fra_Items_0"_s);
    QCursor::setPos(area->mapToGlobal(QPoint(area->width() / 2, 2)));
    QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 5000);
    // And after the pointer has left the window, from a tooltip or not, and come back. One
    // jump into the window reports only its entry there, which starts no tooltip (a hand on
    // the mouse moves on from it): the pointer moves on by a pixel, as a hand does.
    const QPoint outside = window->frameGeometry().bottomRight() + QPoint(200, 200);
    for (const bool fromTooltip : {false, true}) {
        if (fromTooltip) {
            QCursor::setPos(edit->mapToGlobal(edit->rect().center()));
            QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 5000);
        }
        QCursor::setPos(outside);
        QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 5000);
        QTest::qWait(500);
        QCursor::setPos(edit->mapToGlobal(edit->rect().center()));
        QTest::qWait(100);
        QCursor::setPos(edit->mapToGlobal(edit->rect().center() + QPoint(1, 0)));
        QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 5000);
        QCursor::setPos(area->mapToGlobal(QPoint(area->width() / 2, 2)));
        QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 5000);
    }

    // Off again: the state goes, the place stays.
    QTest::mouseClick(most, Qt::LeftButton);
    QTRY_VERIFY(
        !WindowManager::windowProperty(id, u"_NET_WM_STATE"_s).contains("_NET_WM_STATE_ABOVE"));
    QTest::qWait(300);
    QCOMPARE(window->frameGeometry(), before);
    QCursor::setPos(edit->mapToGlobal(edit->rect().center()));
    QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 5000);
}

QTEST_MAIN(tst_PaletteDesktop)
#include "tst_palette_desktop.moc"
