#include "cp932_codec.h"
#include "text_file.h"

#include <QFile>
#include <QtTest>

#ifndef Q_OS_WIN
#include <iconv.h>
#endif

using namespace Qt::StringLiterals;

class tst_Cp932Codec final : public QObject
{
    Q_OBJECT

private slots:
    void referenceFilesRoundTrip();
    void bytesDecodeTo_data();
    void bytesDecodeTo();
    void textEncodesTo_data();
    void textEncodesTo();
    void refusedText_data();
    void refusedText();
    void everyByteSequenceSurvivesDecoding();
    void pairsReadAsTheConverterReadsThemAlone();
};

static QByteArray readReference(const QString &name)
{
    QFile file(QStringLiteral(QUORVEL_TESTDATA_DIR) + u'/' + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void tst_Cp932Codec::referenceFilesRoundTrip()
{
    const QByteArray utf8 = readReference(u"cp932_roundtrip.txt"_s);
    const QByteArray windowsBytes = readReference(u"cp932_roundtrip.cp932"_s);
    if (utf8.isEmpty() || windowsBytes.isEmpty())
        QSKIP("Reference data not found in " QUORVEL_TESTDATA_DIR);

    QString text = QString::fromUtf8(utf8);
    text.replace(u'\n', u"\r\n"_s);

    const QString decoded = Cp932Codec::decode(windowsBytes);
    QCOMPARE(decoded, text);

    Cp932Unencodable failure;
    const std::optional<QByteArray> encoded = Cp932Codec::encode(text, &failure);
    QVERIFY2(
        encoded.has_value(),
        qPrintable(
            u"refused U+%1 at %2"_s.arg(uint(failure.codePoint), 4, 16).arg(failure.position)));
    QVERIFY(!failure.isSet());
    QCOMPARE(*encoded, windowsBytes);
}

void tst_Cp932Codec::bytesDecodeTo_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << QString();
    // Bytes that other converters move or drop.
    QTest::newRow("control bytes")
        << QByteArray("\x1a\x1c\x7f\x00", 4) << QString::fromUtf16(u"\x1a\x1c\x7f\x00", 4);
    QTest::newRow("backslash and tilde stay ASCII") << QByteArray("\\~") << u"\\~"_s;
    QTest::newRow("0x80") << QByteArray("\x80") << QString(QChar(0x0080));
    QTest::newRow("0xA0") << QByteArray("\xa0") << QString(QChar(0xF8F0));
    QTest::newRow("0xFD") << QByteArray("\xfd") << QString(QChar(0xF8F1));
    QTest::newRow("0xFE") << QByteArray("\xfe") << QString(QChar(0xF8F2));
    QTest::newRow("0xFF") << QByteArray("\xff") << QString(QChar(0xF8F3));
    QTest::newRow("0x8160 is the full-width tilde")
        << QByteArray("\x81\x60") << QString(QChar(0xFF5E));
    QTest::newRow("user-defined area") << QByteArray("\xf0\x40") << QString(QChar(0xE000));

    // Damaged sequences: one U+FFFD each, and reading goes on.
    QTest::newRow("lead byte at the end") << QByteArray("a\x81") << u"a\uFFFD"_s;
    QTest::newRow("lead byte before a tag") << QByteArray("\x82<A>") << u"\uFFFD<A>"_s;
    QTest::newRow("lead byte before CR LF") << QByteArray("\x88\r\nx") << u"\uFFFD\r\nx"_s;
    QTest::newRow("lead byte before DEL")
        << QByteArray("\x81\x7f") << QString::fromUtf16(u"\xFFFD\x7f", 2);
    QTest::newRow("unassigned pair") << QByteArray("\x85\x81z") << u"\uFFFDz"_s;
    QTest::newRow("unassigned pair, ASCII trail") << QByteArray("\x85\x40z") << u"\uFFFD@z"_s;
    QTest::newRow("lead byte before a non-trail")
        << QByteArray("\x81\xfd\x82\xa0") << u"\uFFFD\uF8F1\u3042"_s;
    // Line ends of every kind, for the reading that makes them CR LF on the way.
    QTest::newRow("line ends") << QByteArray("a\rb\nc\r\n\r\rd\n\r") << u"a\rb\nc\r\n\r\rd\n\r"_s;
    QTest::newRow("lead byte before CR") << QByteArray("\x88\r") << u"\uFFFD\r"_s;
    QTest::newRow("CR after a character")
        << QByteArray("\x82\xa0\r\x82\xa0") << u"\u3042\r\u3042"_s;
}

void tst_Cp932Codec::bytesDecodeTo()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Cp932Codec::decode(bytes), text);
    // Decoding and line-end conversion in one pass give what the two steps give.
    QCOMPARE(Cp932Codec::decodeText(bytes, true), TextFile::normaliseLineEnds(text));
    QCOMPARE(Cp932Codec::decodeText(bytes, false), text);
}

void tst_Cp932Codec::textEncodesTo_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ASCII with CR LF and TAB")
        << u"<A>\t1</A>\r\n"_s << QByteArray("<A>\t1</A>\r\n");
    QTest::newRow("U+0080") << QString(QChar(0x0080)) << QByteArray("\x80");
    QTest::newRow("U+F8F0..U+F8F3")
        << u"\uF8F0\uF8F1\uF8F2\uF8F3"_s << QByteArray("\xa0\xfd\xfe\xff");
    QTest::newRow("full-width tilde") << QString(QChar(0xFF5E)) << QByteArray("\x81\x60");
    QTest::newRow("MS gothic") << u"ＭＳ ゴシック"_s
                               << QByteArray(
                                      "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e");
    // Characters with two codes take the one Windows writes.
    QTest::newRow("U+2252 takes the JIS code") << QString(QChar(0x2252)) << QByteArray("\x81\xe0");
    QTest::newRow("U+2170 takes the IBM code") << QString(QChar(0x2170)) << QByteArray("\xfa\x40");
    QTest::newRow("U+FFE2 takes the JIS code") << QString(QChar(0xFFE2)) << QByteArray("\x81\xca");
    QTest::newRow("half-width katakana") << u"ｱﾞ"_s << QByteArray("\xb1\xde");
}

void tst_Cp932Codec::textEncodesTo()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    Cp932Unencodable failure;
    const std::optional<QByteArray> encoded = Cp932Codec::encode(text, &failure);
    QVERIFY(encoded.has_value());
    QVERIFY(!failure.isSet());
    QCOMPARE(*encoded, bytes);
    QCOMPARE(Cp932Codec::decode(*encoded), text);
}

void tst_Cp932Codec::refusedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<uint>("codePoint");

    // One-way mappings: the converter accepts them, but they read back as something else.
    QTest::newRow("wave dash U+301C") << u"1\u301C9"_s << qsizetype(1) << 0x301Cu;
    QTest::newRow("yen sign U+00A5") << u"\u00A5100"_s << qsizetype(0) << 0x00A5u;
    QTest::newRow("em dash U+2014") << u"a\u2014"_s << qsizetype(1) << 0x2014u;
    QTest::newRow("double bar U+2016") << u"\u2016"_s << qsizetype(0) << 0x2016u;
    QTest::newRow("minus U+2212") << u"5\u22122"_s << qsizetype(1) << 0x2212u;
    QTest::newRow("cent U+00A2") << u"\u00A2"_s << qsizetype(0) << 0x00A2u;
    QTest::newRow("pound U+00A3") << u"\u00A3"_s << qsizetype(0) << 0x00A3u;
    QTest::newRow("not U+00AC") << u"\u00AC"_s << qsizetype(0) << 0x00ACu;
    QTest::newRow("overline U+203E") << u"\u203E"_s << qsizetype(0) << 0x203Eu;
    // Characters the code page has no place for at all.
    QTest::newRow("broken bar U+00A6") << u"\u00A6"_s << qsizetype(0) << 0x00A6u;
    QTest::newRow("emoji after kana") << u"あ\U0001F600い"_s << qsizetype(1) << 0x1F600u;
    QTest::newRow("replacement character") << u"x\uFFFD"_s << qsizetype(1) << 0xFFFDu;
    QTest::newRow("lone high surrogate")
        << QString::fromUtf16(u"ab\xD83D", 3) << qsizetype(2) << 0xD83Du;
    QTest::newRow("lone low surrogate")
        << QString::fromUtf16(u"\xDE00z", 2) << qsizetype(0) << 0xDE00u;
    QTest::newRow("first of several") << u"ok\u301C\u00A5"_s << qsizetype(2) << 0x301Cu;
    QTest::newRow("e with acute") << u"caf\u00E9"_s << qsizetype(3) << 0x00E9u;
}

void tst_Cp932Codec::refusedText()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, position);
    QFETCH(uint, codePoint);
    Cp932Unencodable failure;
    QVERIFY(!Cp932Codec::encode(text, &failure).has_value());
    QVERIFY(failure.isSet());
    QCOMPARE(failure.position, position);
    QCOMPARE(uint(failure.codePoint), codePoint);
    QVERIFY(!Cp932Codec::encode(text).has_value());
}

// Whatever the bytes, decoding gives back text that encodes to bytes which decode the same.
void tst_Cp932Codec::everyByteSequenceSurvivesDecoding()
{
    QByteArray all;
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = 0; trail < 256; trail += 7) {
            all.append(char(lead));
            all.append(char(trail));
        }
    }
    const QString text = Cp932Codec::decode(all);
    QCOMPARE(Cp932Codec::decodeText(all, true), TextFile::normaliseLineEnds(text));
    QString cleaned = text;
    cleaned.remove(QChar(0xFFFD));
    const std::optional<QByteArray> encoded = Cp932Codec::encode(cleaned);
    QVERIFY(encoded.has_value());
    QCOMPARE(Cp932Codec::decode(*encoded), cleaned);
}

// A lead byte's pairs are converted a run at a time; each must still read exactly as the
// system converter reads it on its own.
void tst_Cp932Codec::pairsReadAsTheConverterReadsThemAlone()
{
#ifdef Q_OS_WIN
    QSKIP("the converter is asked pair by pair here");
#else
    const iconv_t converter = iconv_open("UTF-16LE", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1))
        QSKIP("no code page 932 converter");
    int valid = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFF; ++trail) {
            char in[2] = {char(lead), char(trail)};
            char out[8] = {};
            char *inPtr = in;
            char *outPtr = out;
            size_t inLeft = 2;
            size_t outLeft = sizeof out;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
            const bool one = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) &&
                             inLeft == 0 && outLeft == sizeof out - 2;
            const QString decoded = Cp932Codec::decode(QByteArray(in, 2));
            const QString where = u"%1 %2"_s.arg(lead, 2, 16).arg(trail, 2, 16);
            if (one) {
                ++valid;
                const QChar expected(char16_t(uchar(out[0]) | uchar(out[1]) << 8));
                QVERIFY2(decoded == QString(expected), qPrintable(where));
            } else {
                QVERIFY2(decoded.startsWith(QChar(0xFFFD)), qPrintable(where));
            }
        }
    }
    iconv_close(converter);
    // The code page's double-byte characters, NEC and IBM extensions included.
    QVERIFY(valid > 7000);
#endif
}

QTEST_APPLESS_MAIN(tst_Cp932Codec)
#include "tst_cp932codec.moc"
