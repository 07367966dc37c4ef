#include "text_transformation.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_TextWidth final : public QObject
{
    Q_OBJECT

private slots:
    void referenceCases_data();
    void referenceCases();
    void singleCharactersRoundTrip();
};

static QString codePoints(const QString &text)
{
    QStringList parts;
    for (const QChar c : text)
        parts << QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
    return parts.join(u' ');
}

void tst_TextWidth::referenceCases_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("wide");
    QTest::addColumn<QString>("narrow");

    // Cases the reference table cannot hold: a lone surrogate is no valid UTF-8.
    const QChar high(0xD842);
    QTest::newRow("lone surrogate") << QString(high) << QString(high) << QString(high);
    QTest::newRow("letter before a lone surrogate")
        << (u"ｶ"_s + high) << (u"カ"_s + high) << (u"ｶ"_s + high);
    QTest::newRow("combining marks") << u"\u3099\u309A"_s << u"\u3099\u309A"_s << u"ﾞﾟ"_s;
    QTest::newRow("voiced then semi-voiced") << u"ﾊﾞﾟ"_s << u"バ゜"_s << u"ﾊﾞﾟ"_s;

    QFile file(QStringLiteral(QUORVEL_TESTDATA_DIR "/width_cases.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        QSKIP("width_cases.tsv not found beside the project");
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (qsizetype n = 1; n < lines.size(); ++n) {
        QString line = lines.at(n);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QStringList columns = line.split(u'\t');
        QVERIFY2(columns.size() >= 3, qPrintable(QStringLiteral("line %1").arg(n + 1)));
        const QString note = columns.size() > 3 ? columns.at(3) : QString();
        QTest::addRow("line %lld: %s", qlonglong(n + 1), qPrintable(note.left(60)))
            << columns.at(0) << columns.at(1) << columns.at(2);
    }
}

void tst_TextWidth::referenceCases()
{
    QFETCH(QString, input);
    QFETCH(QString, wide);
    QFETCH(QString, narrow);

    QCOMPARE(codePoints(FncStr_ToWide(input)), codePoints(wide));
    QCOMPARE(codePoints(FncStr_ToNarrow(input)), codePoints(narrow));
}

// Each conversion undoes the other on single characters, voiced katakana included. The
// exceptions are by design: the half-width arrows and shapes (their full-width forms stay)
// and the combining marks (they come back as the spacing ones).
void tst_TextWidth::singleCharactersRoundTrip()
{
    int splits = 0;
    for (char32_t c = 0; c < 0x10000; ++c) {
        const QString one{QChar(char16_t(c))};
        const QString wide = FncStr_ToWide(one);
        if (wide != one && (c < 0xFFE8 || c > 0xFFEE))
            QVERIFY2(FncStr_ToNarrow(wide) == one, qPrintable(codePoints(one)));
        const QString narrow = FncStr_ToNarrow(one);
        if (narrow != one && c != 0x3099 && c != 0x309A) {
            splits += narrow.size() == 2 ? 1 : 0;
            QVERIFY2(FncStr_ToWide(narrow) == one, qPrintable(codePoints(one)));
        }
    }
    // ガ-row through ボ, パ-row, ヴ, ヷ and ヺ.
    QCOMPARE(splits, 28);
}

QTEST_APPLESS_MAIN(tst_TextWidth)
#include "tst_textwidth.moc"
