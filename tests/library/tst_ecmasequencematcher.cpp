// The sequence matcher takes only patterns that cannot backtrack, and on those it finds
// what the backtracking matcher finds, run by run and across the 64-unit blocks it
// reads; a pattern that is slow on it still stops at the deadline or a cancel.
#include "ecma_backtrack_matcher.h"
#include "ecma_pattern_parser.h"
#include "ecma_sequence_matcher.h"

#include <QRandomGenerator>
#include <QTest>

#include <memory>

class tst_EcmaSequenceMatcher : public QObject
{
    Q_OBJECT

private slots:
    void takesOnlyPatternsThatCannotBacktrack_data();
    void takesOnlyPatternsThatCannotBacktrack();
    void findsWhatBacktrackingFinds();
    void deadlineAndCancelStop();
};

namespace {

using Result = EcmaBacktrackMatcher::Result;

const char16_t *unitsOf(const QString &text)
{
    return reinterpret_cast<const char16_t *>(text.utf16());
}

// Every match of a global search, "start-end" per group, as the replace loop steps.
template<typename Matcher> QStringList allMatches(Matcher &matcher, const QString &subject)
{
    QStringList found;
    std::vector<qsizetype> captures;
    qsizetype from = 0;
    while (from <= subject.size()) {
        const Result result = matcher.search(unitsOf(subject), subject.size(), from, captures);
        if (result != Result::Match) {
            if (result != Result::NoMatch)
                found << u"stopped"_qs;
            break;
        }
        QStringList groups;
        for (size_t i = 0; i + 1 < captures.size(); i += 2)
            groups << (captures[i] < 0 ? u"-"_qs
                                       : u"%1-%2"_qs.arg(captures[i]).arg(captures[i + 1]));
        found << groups.join(u' ');
        from = captures[1] == captures[0] ? captures[1] + 1 : captures[1];
    }
    return found;
}

// The first match from each offset in turn, as a caller may ask for it.
template<typename Matcher> QStringList firstMatches(Matcher &matcher, const QString &subject)
{
    QStringList found;
    std::vector<qsizetype> captures;
    for (qsizetype from = 0; from <= subject.size(); from += 1 + from / 8) {
        const Result result = matcher.search(unitsOf(subject), subject.size(), from, captures);
        found << (result == Result::Match ? u"%1-%2"_qs.arg(captures[0]).arg(captures[1])
                                          : u"none"_qs);
    }
    return found;
}

// Sequences of the atoms and repeats users write, over a small alphabet so that sets
// overlap often; most are rejected, the rest are what the matcher must get right.
QString randomPattern(QRandomGenerator &random)
{
    static const QStringList atoms = {u"a"_qs,    u"b"_qs,     u"\\t"_qs,    u"[ab]"_qs,
                                      u"[^a]"_qs, u"\\s"_qs,   u"\\w"_qs,    u"."_qs,
                                      u"\\d"_qs,  u"[b-z]"_qs, u"[^\\w]"_qs, u"1"_qs};
    static const QStringList repeats = {u""_qs,  u""_qs,    u"+"_qs,     u"+"_qs,    u"*"_qs,
                                        u"?"_qs, u"{2}"_qs, u"{1,3}"_qs, u"{2,}"_qs, u"{0}"_qs};
    QString pattern;
    const int items = 1 + int(random.bounded(4));
    int open = 0;
    for (int i = 0; i < items; ++i) {
        if (random.bounded(4) == 0) {
            pattern += random.bounded(2) == 0 ? u"("_qs : u"(?:"_qs;
            ++open;
        }
        pattern += atoms[int(random.bounded(int(atoms.size())))];
        pattern += repeats[int(random.bounded(int(repeats.size())))];
        if (open > 0 && random.bounded(3) == 0) {
            pattern += u')';
            --open;
        }
    }
    pattern += QString(open, u')');
    return pattern;
}

// Runs long enough to cross the 64-unit blocks, and short ones.
QString randomSubject(QRandomGenerator &random)
{
    static const QString alphabet = u"aab1 \t\n"_qs;
    QString subject;
    const int pieces = int(random.bounded(12));
    for (int i = 0; i < pieces; ++i) {
        const QChar c = alphabet[int(random.bounded(int(alphabet.size())))];
        const int run =
            random.bounded(5) == 0 ? 50 + int(random.bounded(90)) : 1 + int(random.bounded(4));
        subject += QString(run, c);
    }
    return subject;
}

} // namespace

void tst_EcmaSequenceMatcher::takesOnlyPatternsThatCannotBacktrack_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("taken");

    QTest::newRow("two runs around a tab") << u"(\\w+)\\t(\\w+)"_qs << true;
    QTest::newRow("counted digits") << u"\\d+-\\d{4}"_qs << true;
    QTest::newRow("optional tail") << u"[a-z]+,\\s*"_qs << true;
    QTest::newRow("count past PCRE2's") << u"a{70000}"_qs << true;
    QTest::newRow("nested captures") << u"((a)(b))c?"_qs << true;
    QTest::newRow("nothing required after") << u"\\w+\\w?"_qs << true;
    QTest::newRow("run gives back to the same set") << u"\\w+\\w"_qs << false;
    QTest::newRow("gives back past an optional") << u"a+b?a"_qs << false;
    QTest::newRow("dot gives back") << u".+x"_qs << false;
    QTest::newRow("lazy") << u"a+?b"_qs << false;
    QTest::newRow("repeated group") << u"(ab)+"_qs << false;
    QTest::newRow("alternation") << u"a|b"_qs << false;
    QTest::newRow("anchor") << u"^a+"_qs << false;
    QTest::newRow("word boundary") << u"\\ba+"_qs << false;
    QTest::newRow("lookahead") << u"a+(?=b)"_qs << false;
    QTest::newRow("back reference") << u"(a)\\1"_qs << false;
    QTest::newRow("empty") << u""_qs << false;
    // A long literal of many units would need a table per unit.
    QTest::newRow("many sets")
        << u"\\w+"_qs +
               QString::fromUtf16(
                   u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめも")
        << false;
    QTest::newRow("many optional repeats, nothing required after")
        << u"a+"_qs + u"b?"_qs.repeated(30'000) << true;
}

void tst_EcmaSequenceMatcher::takesOnlyPatternsThatCannotBacktrack()
{
    QFETCH(QString, pattern);
    QFETCH(bool, taken);
    QCOMPARE(EcmaSequenceMatcher::create(EcmaPatternParser::parse(pattern)) != nullptr, taken);
}

void tst_EcmaSequenceMatcher::findsWhatBacktrackingFinds()
{
    QRandomGenerator random(20261207);
    int patterns = 0, matches = 0;
    QStringList differences;
    while (patterns < 1500) {
        const QString pattern = randomPattern(random);
        const ParsedPattern parsed = EcmaPatternParser::parse(pattern);
        QVERIFY2(!parsed.error.isSet(), qPrintable(pattern));
        const auto sequence = EcmaSequenceMatcher::create(parsed);
        if (!sequence)
            continue;
        ++patterns;
        EcmaBacktrackMatcher reference(parsed);
        for (int s = 0; s < 12; ++s) {
            const QString subject = randomSubject(random);
            const QStringList expected =
                allMatches(reference, subject) + firstMatches(reference, subject);
            const QStringList found =
                allMatches(*sequence, subject) + firstMatches(*sequence, subject);
            matches += int(found.size());
            if (found != expected && differences.size() < 10)
                differences << u"/%1/ on \"%2\": %3, expected %4"_qs.arg(
                    pattern, subject, found.join(u','), expected.join(u','));
        }
    }
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(u'\n')));
    QVERIFY(matches > 10'000);
}

void tst_EcmaSequenceMatcher::deadlineAndCancelStop()
{
    // Every start scans to the end for a "!" that never comes: quadratic, like it is in
    // any backtracking engine.
    const QString subject = u"a,"_qs.repeated(20'000);
    const auto parse = [] { return EcmaPatternParser::parse(u"a+,[^!]*!"_qs); };

    const auto late = EcmaSequenceMatcher::create(parse());
    QVERIFY(late);
    late->setDeadline(std::chrono::steady_clock::now());
    std::vector<qsizetype> captures;
    QCOMPARE(late->search(unitsOf(subject), subject.size(), 0, captures), Result::Deadline);

    const auto cancelled = EcmaSequenceMatcher::create(parse());
    std::atomic<bool> flag{true};
    cancelled->setCancelFlag(&flag);
    QCOMPARE(cancelled->search(unitsOf(subject), subject.size(), 0, captures), Result::Cancelled);
}

QTEST_GUILESS_MAIN(tst_EcmaSequenceMatcher)
#include "tst_ecmasequencematcher.moc"
