// The backtracking matcher on its own: first matches with their captures, lookbehind
// read right to left, and the limits that stop it.
#include "ecma_backtrack_matcher.h"
#include "ecma_pattern_parser.h"

#include <QTest>

#include <chrono>
#include <memory>

class tst_EcmaBacktrackMatcher : public QObject
{
    Q_OBJECT

private slots:
    void firstMatch_data();
    void firstMatch();
    void stepLimitStopsRunaway();
    void deadlineAndCancelStop();
    void longSubjectUsesNoCallStack();
};

namespace {

using Result = EcmaBacktrackMatcher::Result;

std::unique_ptr<EcmaBacktrackMatcher> matcherFor(const QString &pattern)
{
    const ParsedPattern parsed = EcmaPatternParser::parse(pattern);
    if (parsed.error.isSet())
        return {};
    return std::make_unique<EcmaBacktrackMatcher>(parsed);
}

// "start-end" per group, "-" when unset.
QString describe(const std::vector<qsizetype> &captures)
{
    QStringList parts;
    for (size_t i = 0; i + 1 < captures.size(); i += 2)
        parts << (captures[i] < 0 ? u"-"_qs : u"%1-%2"_qs.arg(captures[i]).arg(captures[i + 1]));
    return parts.join(u' ');
}

} // namespace

void tst_EcmaBacktrackMatcher::firstMatch_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("expected"); // captures, or "none"

    QTest::newRow("literal") << "bc"
                             << "abcbc" << 0 << "1-3";
    QTest::newRow("search from an offset") << "bc"
                                           << "abcbc" << 2 << "3-5";
    QTest::newRow("no match") << "x"
                              << "abc" << 0 << "none";
    QTest::newRow("alternation order") << "a|ab"
                                       << "ab" << 0 << "0-1";
    QTest::newRow("greedy and lazy") << "(a+)(a*?)"
                                     << "aaa" << 0 << "0-3 0-3 3-3";
    QTest::newRow("captures reset per iteration") << "((a)|b)+"
                                                  << "ab" << 0 << "0-2 1-2 -";
    QTest::newRow("empty iteration rejected") << "(|a)+"
                                              << "aa" << 0 << "0-2 1-2";
    QTest::newRow("empty check only past the minimum") << "(?:a?){2}b"
                                                       << "b" << 0 << "0-1";
    QTest::newRow("lookbehind right to left") << "(?<=(\\d+)(\\d+))$"
                                              << "1053" << 0 << "4-4 0-1 1-4";
    QTest::newRow("back reference inside lookbehind") << "(?<=\\1(a))b"
                                                      << "aab" << 0 << "2-3 1-2";
    QTest::newRow("negative lookbehind unbounded") << "(?<!^\\s*)#"
                                                   << "  # #" << 0 << "4-5";
    QTest::newRow("lookahead keeps its captures") << "(?=(a+))a*b\\1"
                                                  << "baaabac" << 0 << "3-6 3-4";
    QTest::newRow("negative lookahead drops captures") << "(?!(a)b)a(\\1)"
                                                       << "aba" << 0 << "2-3 - 3-3";
    QTest::newRow("back reference to unset group is empty") << "\\1(a)?b"
                                                            << "b" << 0 << "0-1 -";
    QTest::newRow("forward reference in a group") << "(a\\1)"
                                                  << "aa" << 0 << "0-1 0-1";
    QTest::newRow("count above 65535") << "a{70000}" << QString(70'001, u'a') << 0 << "0-70000";
    QTest::newRow("lazy bounded count") << "a{2,70000}?"
                                        << "aaaa" << 0 << "0-2";
    QTest::newRow("zero repeats of a group") << "(?:[ab]|(?=b)){0}a"
                                             << "abxb" << 0 << "0-1";
    QTest::newRow("word boundary") << "\\b\\w"
                                   << " ab" << 0 << "1-2";
    QTest::newRow("anchors") << "^a|b$"
                             << "bab" << 0 << "2-3";
    QTest::newRow("class beyond Latin-1") << "[あ-ん]+"
                                          << "xかなy" << 0 << "1-3";
}

void tst_EcmaBacktrackMatcher::firstMatch()
{
    QFETCH(QString, pattern);
    QFETCH(QString, subject);
    QFETCH(int, from);
    QFETCH(QString, expected);

    const auto matcher = matcherFor(pattern);
    QVERIFY(matcher);
    std::vector<qsizetype> captures;
    const Result result = matcher->search(reinterpret_cast<const char16_t *>(subject.utf16()),
                                          subject.size(), from, captures);
    QCOMPARE(result == Result::Match ? describe(captures) : u"none"_qs, expected);
}

void tst_EcmaBacktrackMatcher::stepLimitStopsRunaway()
{
    const auto matcher = matcherFor(u"(?<=x?)(a|a)+$"_qs);
    matcher->setStepLimit(100'000);
    const QString subject = QString(40, u'a') + u'b';
    std::vector<qsizetype> captures;
    QCOMPARE(matcher->search(reinterpret_cast<const char16_t *>(subject.utf16()), subject.size(), 0,
                             captures),
             Result::StepLimit);
}

void tst_EcmaBacktrackMatcher::deadlineAndCancelStop()
{
    const QString subject = QString(50'000, u' ') + u'x';
    const auto *units = reinterpret_cast<const char16_t *>(subject.utf16());
    std::vector<qsizetype> captures;

    const auto late = matcherFor(u"(?<=\\s*)(?:\\s|\\t)+$"_qs);
    late->setDeadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(50));
    QCOMPARE(late->search(units, subject.size(), 0, captures), Result::Deadline);

    const auto cancelled = matcherFor(u"(?<=\\s*)(?:\\s|\\t)+$"_qs);
    std::atomic<bool> flag{true};
    cancelled->setCancelFlag(&flag);
    QCOMPARE(cancelled->search(units, subject.size(), 0, captures), Result::Cancelled);
}

void tst_EcmaBacktrackMatcher::longSubjectUsesNoCallStack()
{
    // 16 MB, one match over all of it through a repeated group with captures and a
    // nested lookbehind: the explicit stack holds it or reports the memory limit.
    const QString subject = QString(u"ab"_qs).repeated(8 * 1024 * 1024);
    const auto matcher = matcherFor(u"(?:((a)|b(?<=[ab]{2})))*"_qs);
    std::vector<qsizetype> captures;
    const Result result = matcher->search(reinterpret_cast<const char16_t *>(subject.utf16()),
                                          subject.size(), 0, captures);
    QVERIFY(result == Result::Match || result == Result::Memory);
    if (result == Result::Match)
        QCOMPARE(captures[1], subject.size());
}

QTEST_GUILESS_MAIN(tst_EcmaBacktrackMatcher)
#include "tst_ecmabacktrackmatcher.moc"
