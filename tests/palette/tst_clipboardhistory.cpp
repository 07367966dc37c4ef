// What the palette keeps of the clipboard before each run, and how it comes back.
#include "ClipboardHistory.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ClipboardHistory : public QObject
{
    Q_OBJECT

private slots:
    void undoOrder_data();
    void undoOrder();
    void snapshotRestores_data();
    void snapshotRestores();
};

void tst_ClipboardHistory::undoOrder_data()
{
    QTest::addColumn<QStringList>("pushed");
    QTest::addColumn<qsizetype>("maxBytes");
    QTest::addColumn<QStringList>("restored"); // in the order undo brings them back

    QStringList eleven;
    for (int i = 1; i <= 11; ++i)
        eleven << u"t%1"_s.arg(i);
    QStringList lastTen = eleven.mid(1);
    std::reverse(lastTen.begin(), lastTen.end());
    QTest::newRow("eleven runs keep ten") << eleven << ClipboardHistory::kMaxBytes << lastTen;
    // 40 bytes each: three exceed 100 bytes, so the oldest goes.
    const QString a(20, u'a'), b(20, u'b'), c(20, u'c');
    QTest::newRow("memory budget drops the oldest")
        << QStringList{a, b, c} << qsizetype(100) << QStringList{c, b};
    QTest::newRow("the newest stays even when too big")
        << QStringList{a, b} << qsizetype(10) << QStringList{b};
    QTest::newRow("nothing") << QStringList() << ClipboardHistory::kMaxBytes << QStringList();
}

void tst_ClipboardHistory::undoOrder()
{
    QFETCH(QStringList, pushed);
    QFETCH(qsizetype, maxBytes);
    QFETCH(QStringList, restored);
    ClipboardHistory history(maxBytes);
    for (const QString &text : std::as_const(pushed))
        history.push(ClipboardSnapshot::fromText(text));
    QCOMPARE(history.size(), restored.size());
    for (const QString &text : std::as_const(restored)) {
        QVERIFY(history.undo());
        QCOMPARE(QGuiApplication::clipboard()->text(), text);
    }
    QVERIFY(!history.undo());
}

void tst_ClipboardHistory::snapshotRestores_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("text") << u"text"_s;
    QTest::newRow("encoded image and other formats") << u"formats"_s;
    QTest::newRow("image without encoded bytes") << u"image"_s;
    QTest::newRow("empty clipboard") << u"empty"_s;
}

void tst_ClipboardHistory::snapshotRestores()
{
    QFETCH(QString, kind);
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QByteArray png("\x89PNG\r\n\x1a\nnot decoded", 19);
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    auto *data = new QMimeData;
    if (kind == u"text")
        data->setText(u"before\r\n"_s);
    if (kind == u"formats") {
        data->setData(u"image/png"_s, png);
        data->setData(u"application/x-quorvel-empty"_s, {});
        data->setData(u"application/x-quorvel-test"_s, QByteArray("\0\1", 2));
    }
    if (kind == u"image")
        data->setImageData(image);
    clipboard->setMimeData(data);

    const ClipboardSnapshot snapshot = ClipboardSnapshot::capture(clipboard->text());
    clipboard->setText(u"run result"_s);
    snapshot.restore();

    const QMimeData *now = clipboard->mimeData();
    if (kind == u"empty") {
        QVERIFY(now == nullptr || now->formats().isEmpty());
        return;
    }
    QVERIFY(now);
    if (kind == u"text") {
        QCOMPARE(clipboard->text(), u"before\r\n"_s);
    } else if (kind == u"formats") {
        QVERIFY(!now->hasText());
        QCOMPARE(now->data(u"image/png"_s), png);
        QCOMPARE(now->data(u"application/x-quorvel-test"_s), QByteArray("\0\1", 2));
        QVERIFY(now->hasFormat(u"application/x-quorvel-empty"_s));
    } else {
        QCOMPARE(qvariant_cast<QImage>(now->imageData()), image);
    }
}

QTEST_MAIN(tst_ClipboardHistory)
#include "tst_clipboardhistory.moc"
