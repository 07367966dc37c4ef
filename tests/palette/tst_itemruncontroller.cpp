// The palette window's runs off the window thread, on a real X display: a slow edit shows
// that it is working, keeps the window repainting, and Esc or a click on the message
// stops it without touching the clipboard; Ctrl+Z takes back what a run replaced.
#include "ClipboardHistory.h"
#include "ItemRunController.h"
#include "tst_palette_support.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Records when a widget paints, while a timer keeps asking it to.
class PaintClock final : public QObject
{
public:
    explicit PaintClock(QWidget *widget)
        : m_widget(widget)
    {
        widget->installEventFilter(this);
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, widget, qOverload<>(&QWidget::update));
        m_clock.start();
        m_timer.start();
    }

    qint64 now() const { return m_clock.elapsed(); }
    // The longest time without a paint between from and to (clock milliseconds).
    qint64 longestGap(qint64 from, qint64 to) const
    {
        qint64 previous = from;
        qint64 longest = 0;
        for (const qint64 at : m_paints) {
            if (at < from || at > to)
                continue;
            longest = qMax(longest, at - previous);
            previous = at;
        }
        return qMax(longest, to - previous);
    }
    qsizetype paintsBetween(qint64 from, qint64 to) const
    {
        return std::count_if(m_paints.begin(), m_paints.end(),
                             [=](qint64 at) { return at >= from && at <= to; });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_widget && event->type() == QEvent::Paint)
            m_paints.append(m_clock.elapsed());
        return false;
    }

private:
    QWidget *m_widget;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QList<qint64> m_paints;
};

QString item(const QString &name, const QString &key, const QString &value)
{
    return element(u"Name"_s, name) + element(key, value);
}

QClipboard *clipboard()
{
    return QGuiApplication::clipboard();
}

QString message(const QWidget *window)
{
    return child<QLabel>(window, u"Lbl_Msg"_s)->text();
}

const QString kWorking = u"処理中… Escで中止"_s;

} // namespace

class tst_ItemRunController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { m_fixture.tearDown(); }
    void slowEditCancelledWithEsc();
    void runRefusedWhileOneRuns();
    void undo_data();
    void undo();
    void undoSurvivesReload();

private:
    Frm_Item_FromIniFile *open();
    static void click(QWidget *widget);
    static void clickItem(Frm_Item_FromIniFile *window, int button);

    PaletteFixture m_fixture;
};

void tst_ItemRunController::initTestCase()
{
    if (QGuiApplication::platformName() != u"xcb"_s)
        QSKIP("needs a real X display (run under tools/with-xvfb.sh)");
}

void tst_ItemRunController::init()
{
    m_fixture.setUp();
    ClipboardHistory::instance().clear();
}

Frm_Item_FromIniFile *tst_ItemRunController::open()
{
    // Backtracks over the rest of each run of blanks from every start position.
    const QString slow =
        item(u"slow"_s, u"Reg"_s, u"(?:\\s|\\t)+$"_s) + element(u"Replace"_s, u"-"_s);
    const QString copy = item(u"copy"_s, u"Data"_s, u"C"_s);
    const QString tab = item(u"tab"_s, u"Reg"_s, u"\t"_s) + element(u"Replace"_s, u","_s);
    Frm_Item_FromIniFile *window =
        m_fixture.open(settingFile({}, {frameText(u"F"_s, {slow, copy, tab})}));
    if (window != nullptr && !QTest::qWaitForWindowExposed(window))
        return nullptr;
    return window;
}

void tst_ItemRunController::click(QWidget *widget)
{
    QTest::mouseMove(widget);
    QTest::mouseClick(widget, Qt::LeftButton);
}

void tst_ItemRunController::clickItem(Frm_Item_FromIniFile *window, int button)
{
    ::clickItem(itemButton(window, button));
}

void tst_ItemRunController::slowEditCancelledWithEsc()
{
    Frm_Item_FromIniFile *window = open();
    QVERIFY(window);
    // 50 million characters in blocks of blanks: each start position scans to the end
    // of its block and back, which the time limit (7 s here) would stop.
    const QString big = (QString(1000, u' ') + u'x').repeated(50'000);
    clipboard()->setText(big);

    PaintClock paints(window);
    QTest::qWait(100);
    const qint64 clickAt = paints.now();
    clickItem(window, 0);
    const qint64 running = paints.now();
    QVERIFY(window->Runner()->isRunning());
    QTRY_COMPARE_WITH_TIMEOUT(message(window), kWorking, 2000);
    QTest::qWait(700);
    QVERIFY(window->Runner()->isRunning());
    QTest::keyClick(window, Qt::Key_Escape);
    const qint64 cancelled = paints.now();
    QCOMPARE(message(window), u"中止しました"_s);
    QVERIFY(!window->Runner()->isRunning());
    QTest::qWait(100);
    const qint64 end = paints.now();

    const qint64 gap = paints.longestGap(running, end);
    std::printf("slow edit over %lld characters: click %lld ms, then %lld ms until Esc; "
                "longest time between two repaints %lld ms (%lld repaints)\n",
                qlonglong(big.size()), qlonglong(running - clickAt), qlonglong(cancelled - running),
                qlonglong(gap), qlonglong(paints.paintsBetween(running, end)));
    std::fflush(stdout);
    QVERIFY2(gap < 100, qPrintable(QString::number(gap)));
    // The clipboard never changed, also not once the worker has wound down.
    QTest::qWait(300);
    QCOMPARE(message(window), u"中止しました"_s);
    QVERIFY(clipboard()->text() == big);
    // Nothing was replaced, so there is nothing to take back.
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(message(window), u"元に戻す内容がありません"_s);
}

void tst_ItemRunController::runRefusedWhileOneRuns()
{
    Frm_Item_FromIniFile *window = open();
    QVERIFY(window);
    const QString big = (QString(1000, u' ') + u'x').repeated(5'000);
    clipboard()->setText(big);
    clickItem(window, 0);
    QVERIFY(window->Runner()->isRunning());

    // A second click is refused, not queued; undo waits too.
    clickItem(window, 1);
    QCOMPARE(message(window), u"処理中のため[copy]は実行しませんでした（Escで中止）"_s);
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(message(window), u"処理中のため元に戻せません（Escで中止）"_s);
    QVERIFY(clipboard()->text() == big);

    // A click on the message cancels like Esc.
    QTest::mouseClick(child<QLabel>(window, u"Lbl_Msg"_s), Qt::LeftButton);
    QCOMPARE(message(window), u"中止しました"_s);
    QTest::qWait(300);
    QVERIFY(clipboard()->text() == big);
    // The palette works as before afterwards.
    clickItem(window, 1);
    QCOMPARE(clipboard()->text(), u"C"_s);
    QCOMPARE(message(window), u"[copy]をｺﾋﾟｰしました"_s);
}

void tst_ItemRunController::undo_data()
{
    QTest::addColumn<QString>("before"); // empty: an image in two formats
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("after");

    QTest::newRow("edit") << u"a\tb"_s << 2 << u"a,b"_s;
    QTest::newRow("copy over an image") << QString() << 1 << u"C"_s;
    QTest::newRow("nothing run") << u"kept"_s << -1 << u"kept"_s;
}

void tst_ItemRunController::undo()
{
    QFETCH(QString, before);
    QFETCH(int, button);
    QFETCH(QString, after);
    Frm_Item_FromIniFile *window = open();
    QVERIFY(window);
    const QByteArray png("\x89PNG\r\n\x1a\n-not-decoded", 20);
    const QByteArray other("\x00\x01\x02", 3);
    if (before.isEmpty()) {
        auto *data = new QMimeData;
        data->setData(u"image/png"_s, png);
        data->setData(u"application/x-quorvel-test"_s, other);
        clipboard()->setMimeData(data);
    } else {
        clipboard()->setText(before);
    }
    if (button >= 0)
        clickItem(window, button);
    QCOMPARE(clipboard()->text(), after);

    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    if (button < 0) {
        QCOMPARE(message(window), u"元に戻す内容がありません"_s);
        QCOMPARE(clipboard()->text(), after);
        return;
    }
    QCOMPARE(message(window), u"クリップボードを元に戻しました"_s);
    if (before.isEmpty()) {
        const QMimeData *data = clipboard()->mimeData();
        QVERIFY(data);
        QVERIFY(!data->hasText());
        QCOMPARE(data->data(u"image/png"_s), png);
        QCOMPARE(data->data(u"application/x-quorvel-test"_s), other);
    } else {
        QCOMPARE(clipboard()->text(), before);
    }
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(message(window), u"元に戻す内容がありません"_s);
}

void tst_ItemRunController::undoSurvivesReload()
{
    Frm_Item_FromIniFile *window = open();
    QVERIFY(window);
    clipboard()->setText(u"x\ty"_s);
    clickItem(window, 2);
    QCOMPARE(clipboard()->text(), u"x,y"_s);
    // Without an editor program the Edit label opens the file and shows Reload.
    click(child<QLabel>(window, u"Lbl_ButtonEdit"_s));
    QLabel *reload = child<QLabel>(window, u"Lbl_Reload"_s);
    QVERIFY(reload->isVisible());
    click(reload);
    QTRY_VERIFY(mdl_Palette::CurrentWindow() != nullptr && mdl_Palette::CurrentWindow() != window);
    window = mdl_Palette::CurrentWindow();
    QVERIFY(window);
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(message(window), u"クリップボードを元に戻しました"_s);
    QCOMPARE(clipboard()->text(), u"x\ty"_s);
}

QTEST_MAIN(tst_ItemRunController)
#include "tst_itemruncontroller.moc"
