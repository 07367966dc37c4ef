// The programs' own icon: built in, and shown by the palette that names no picture.
#include "ProgramIcon.h"
#include "tst_palette_support.h"

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ProgramIcon final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { SetProgramIcon(QStringLiteral(QUORVEL_APP_ID)); }
    void init() { m_fixture.setUp(); }
    void cleanup() { m_fixture.tearDown(); }
    void builtIn();
    void paletteWindow_data();
    void paletteWindow();

private:
    PaletteFixture m_fixture;
};

void tst_ProgramIcon::builtIn()
{
    // The large picture joins once the event loop runs.
    QTRY_COMPARE(QGuiApplication::windowIcon().availableSizes(),
                 (QList<QSize>{{48, 48}, {256, 256}}));
    const QIcon icon = QGuiApplication::windowIcon();
    // Pictures that loaded, not just names: the corners are clear, the middle is drawn.
    const QImage picture = icon.pixmap(QSize(48, 48)).toImage();
    QCOMPARE(picture.size(), QSize(48, 48));
    QCOMPARE(qAlpha(picture.pixel(0, 47)), 0);
    QCOMPARE(qAlpha(picture.pixel(24, 24)), 255);
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral(QUORVEL_APP_ID));
}

void tst_ProgramIcon::paletteWindow_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QList<QSize>>("sizes");
    QTest::newRow("no picture named") << QString() << QList<QSize>{{48, 48}, {256, 256}};
    QTest::newRow("missing picture") << u"missing.png"_s << QList<QSize>{{48, 48}, {256, 256}};
    QTest::newRow("own picture") << u"icon.png"_s << QList<QSize>{{16, 16}};
}

void tst_ProgramIcon::paletteWindow()
{
    QFETCH(QString, picture);
    QFETCH(QList<QSize>, sizes);
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(m_fixture.dir->filePath(u"icon.png"_s)));
    const QString path = picture.isEmpty() ? picture : m_fixture.dir->filePath(picture);
    Frm_Item_FromIniFile *window = m_fixture.open(settingFile(element(u"PictureName"_s, path), {}));
    QVERIFY(window);
    QTRY_COMPARE(window->windowIcon().availableSizes(), sizes);
}

QTEST_MAIN(tst_ProgramIcon)
#include "tst_programicon.moc"
