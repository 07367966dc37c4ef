// Start-up work held until the first window is on screen.
#include "first_exposure.h"

#include <QGuiApplication>
#include <QRasterWindow>
#include <QTest>

class tst_FirstExposure final : public QObject
{
    Q_OBJECT

private slots:
    void heldUntilAWindowIsExposed();
    void runsWithoutAWindowAfterTheFallback();
};

void tst_FirstExposure::heldUntilAWindowIsExposed()
{
    FirstExposure exposure(60000);
    QStringList ran;
    QObject context;
    auto gone = std::make_unique<QObject>();
    exposure.add(&context, [&ran] { ran << QStringLiteral("first"); });
    exposure.add(gone.get(), [&ran] { ran << QStringLiteral("gone"); });
    exposure.add(&context, [&ran] { ran << QStringLiteral("second"); });
    gone.reset();

    // A window that is created but not shown is no exposure.
    QRasterWindow hidden;
    hidden.create();
    QTest::qWait(100);
    QVERIFY(ran.isEmpty());

    QRasterWindow window;
    window.resize(100, 80);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(ran, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    QVERIFY(exposure.hasExposed());

    // Later work waits for the loop, never runs inside the caller.
    exposure.add(&context, [&ran] { ran << QStringLiteral("later"); });
    QCOMPARE(ran.size(), 2);
    QTRY_COMPARE(ran.size(), 3);
    QCOMPARE(ran.last(), QStringLiteral("later"));
}

void tst_FirstExposure::runsWithoutAWindowAfterTheFallback()
{
    FirstExposure exposure(150);
    bool ran = false;
    exposure.add(this, [&ran] { ran = true; });
    QTest::qWait(50);
    QVERIFY(!ran);
    QTRY_VERIFY_WITH_TIMEOUT(ran, 2000);
}

QTEST_MAIN(tst_FirstExposure)
#include "tst_firstexposure.moc"
