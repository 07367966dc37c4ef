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
    void edgeCases_data();
    void edgeCases();
    void narrowUndoesWide();
    void wideUndoesNarrow();
};

static QString codePoints(const QString &text)
{
    QStringList parts;
    for (const QChar c : text) {
        parts << QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
    }
    return parts.join(u' ');
}

void tst_TextWidth::referenceCases_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("wide");
    QTest::addColumn<QString>("narrow");

    QFile file(QStringLiteral(QUORVEL_TESTDATA_DIR "/width_cases.tsv"));
    if (!file.open(QIODevice::ReadOnly)) {
        QSKIP("width_cases.tsv not found beside the project");
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (qsizetype n = 1; n < lines.size(); ++n) {
        QString line = lines.at(n);
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (line.isEmpty()) {
            continue;
        }
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

void tst_TextWidth::edgeCases_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("wide");
    QTest::addColumn<QString>("narrow");

    const QChar high(0xD842);
    const QChar low(0xDFB7);
    QTest::newRow("empty") << QString() << QString() << QString();
    QTest::newRow("lone high surrogate") << QString(high) << QString(high) << QString(high);
    QTest::newRow("lone low surrogate") << QString(low) << QString(low) << QString(low);
    QTest::newRow("half-width letter at the end") << u"ｶ"_s << u"カ"_s << u"ｶ"_s;
    QTest::newRow("letter before a lone surrogate")
        << (u"ｶ"_s + high) << (u"カ"_s + high) << (u"ｶ"_s + high);
    QTest::newRow("combining marks narrow") << u"\u3099\u309A"_s << u"\u3099\u309A"_s << u"ﾞﾟ"_s;
    QTest::newRow("voiced then semi-voiced mark") << u"ﾊﾞﾟ"_s << u"バ゜"_s << u"ﾊﾞﾟ"_s;
    QTest::newRow("long vowel takes no mark") << u"ｰﾞ"_s << u"ー゛"_s << u"ｰﾞ"_s;
    QTest::newRow("NUL and controls stay") << u"\0\t\r\n"_s << u"\0\t\r\n"_s << u"\0\t\r\n"_s;
}

void tst_TextWidth::edgeCases()
{
    QFETCH(QString, input);
    QFETCH(QString, wide);
    QFETCH(QString, narrow);

    QCOMPARE(codePoints(FncStr_ToWide(input)), codePoints(wide));
    QCOMPARE(codePoints(FncStr_ToNarrow(input)), codePoints(narrow));
}

// Every character that widens narrows back to itself, apart from the half-width
// arrows and shapes, whose full-width forms are left alone by design.
void tst_TextWidth::narrowUndoesWide()
{
    for (char32_t c = 0; c < 0x10000; ++c) {
        const QString one{QChar(char16_t(c))};
        const QString wide = FncStr_ToWide(one);
        if (wide == one || (c >= 0xFFE8 && c <= 0xFFEE)) {
            continue;
        }
        QVERIFY2(wide.size() == 1, qPrintable(codePoints(one)));
        QVERIFY2(FncStr_ToNarrow(wide) == one, qPrintable(codePoints(one)));
    }
}

// Every character that narrows widens back, voiced katakana included; only the
// combining marks come back as the spacing ones.
void tst_TextWidth::wideUndoesNarrow()
{
    int splits = 0;
    for (char32_t c = 0; c < 0x10000; ++c) {
        const QString one{QChar(char16_t(c))};
        const QString narrow = FncStr_ToNarrow(one);
        if (narrow == one || c == 0x3099 || c == 0x309A) {
            continue;
        }
        if (narrow.size() == 2) {
            ++splits;
        }
        QVERIFY2(FncStr_ToWide(narrow) == one, qPrintable(codePoints(one)));
    }
    // ガ-row through ボ/ポ, ヴ, ヷ and ヺ.
    QCOMPARE(splits, 28);
}

QTEST_APPLESS_MAIN(tst_TextWidth)
#include "tst_textwidth.moc"
