// The transformation engine on an arbitrary pattern, replacement and input, directives
// included: the JIT and the interpreter agree, a directive's result equals the
// match-by-match edit, and a pattern that errs gives an empty result and an error.
//
// A pattern the sequence matcher takes gives the backtracking matcher's matches.
//
// Input: one flag byte (bit 0: the rest is raw UTF-16 rather than UTF-8; bits 1-3: 1-6
// put a directive in place of the replacement), then pattern, replacement and input
// separated by NUL.
#include "FuzzCheck.h"
#include "ecma_backtrack_matcher.h"
#include "ecma_pattern_parser.h"
#include "ecma_regexp.h"
#include "ecma_sequence_matcher.h"
#include "setting_model.h"
#include "text_transformation.h"

#include <QList>

namespace {

using Match = std::pair<qsizetype, qsizetype>;

bool matches(EcmaRegExp &regExp, const QString &subject, bool jit, QList<Match> &found)
{
    EcmaRegExp::setJitEnabled(jit);
    found.clear();
    return regExp.forEachMatch(subject, [&](qsizetype start, qsizetype length) {
        found.append({start, length});
    });
}

std::optional<QString> replaced(EcmaRegExp &regExp, const QString &subject,
                                const QString &replacement, bool jit)
{
    EcmaRegExp::setJitEnabled(jit);
    return regExp.replaceAll(subject, replacement);
}

// Every match of a global search with its captures; false when a limit stopped it.
template<typename Matcher>
bool globalMatches(Matcher &matcher, const QString &subject, std::vector<qsizetype> &all)
{
    const auto *units = reinterpret_cast<const char16_t *>(subject.utf16());
    matcher.setDeadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(5));
    std::vector<qsizetype> captures;
    qsizetype from = 0;
    while (from <= subject.size()) {
        const EcmaBacktrackMatcher::Result result =
            matcher.search(units, subject.size(), from, captures);
        if (result == EcmaBacktrackMatcher::Result::NoMatch)
            return true;
        if (result != EcmaBacktrackMatcher::Result::Match)
            return false;
        all.insert(all.end(), captures.begin(), captures.end());
        from = captures[1] == captures[0] ? captures[1] + 1 : captures[1];
    }
    return true;
}

void compareSequenceMatcher(const QString &pattern, const QString &subject)
{
    const ParsedPattern parsed = EcmaPatternParser::parse(pattern);
    if (parsed.error.isSet())
        return;
    const std::unique_ptr<EcmaSequenceMatcher> sequence = EcmaSequenceMatcher::create(parsed);
    if (!sequence)
        return;
    EcmaBacktrackMatcher reference(parsed);
    reference.setStepLimit(5'000);
    std::vector<qsizetype> found, expected;
    if (globalMatches(*sequence, subject, found) && globalMatches(reference, subject, expected) &&
        found != expected)
        fuzzFail("the sequence matcher matches as backtracking does", pattern + u"\n"_qs + subject);
}

} // namespace

// A runaway pattern would otherwise hold each of the six runs below for seconds under
// the sanitizers; with low limits it fails quickly, and its result is not compared.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    EcmaRegExp::setRunawayLimits({50'000, 5'000, std::chrono::milliseconds(5)});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > 4096)
        return -1;
    const uint8_t flags = data[0];
    const QString all = (flags & 1) ? utf16Of(data + 1, size - 1)
                                    : QString::fromUtf8(reinterpret_cast<const char *>(data + 1),
                                                        qsizetype(size - 1));
    const QStringList parts = all.split(QChar(0));
    const QString pattern = parts.value(0);
    QString replacement = parts.value(1);
    const QString subject = parts.value(2);
    const Cls_RegExpExtraString directives;
    const QString names[] = {directives.LowerCase(),     directives.UpperCase(),
                             directives.TrimLowerCase(), directives.TrimUpperCase(),
                             directives.Wide(),          directives.Narrow()};
    const int directive = (flags >> 1) & 7;
    if (directive >= 1 && directive <= 6)
        replacement = names[directive - 1];

    EcmaRegExp withJit(pattern);
    EcmaRegExp without(pattern);
    if (withJit.isValid() != without.isValid())
        fuzzFail("compiling", pattern);
    if (!withJit.isValid() && !withJit.error().isSet())
        fuzzFail("an invalid pattern has an error", pattern);
    if (withJit.isValid()) {
        QList<Match> a, b;
        const bool okA = matches(withJit, subject, true, a);
        const bool okB = matches(without, subject, false, b);
        // A limit may stop one and not the other; only finished runs compare.
        if (okA && okB && a != b)
            fuzzFail("JIT and interpreter find the same matches", pattern + u"\n"_qs + subject);
        const std::optional<QString> ra = replaced(withJit, subject, replacement, true);
        const std::optional<QString> rb = replaced(without, subject, replacement, false);
        if (ra && rb && *ra != *rb)
            fuzzFail("JIT and interpreter replace alike", pattern + u"\n"_qs + subject);
    }
    EcmaRegExp::setJitEnabled(true);
    compareSequenceMatcher(pattern, subject);

    // Through the model, as an item runs: it reads the pattern and the replacement from
    // the item text, which may cut them (tags and comments inside them count).
    Cls_MySettingFile model;
    model.SetFileItem(u"<Reg>"_qs + pattern + u"</Reg><Replace>"_qs + replacement +
                      u"</Replace>"_qs);
    const QString itemPattern = model.Tmp().GetFileItem_str(u"Reg"_qs);
    const QString itemReplacement = model.Tmp().GetFileItem_str(u"Replace"_qs);
    const QString result = model.RegExpExecute(0, subject, true);
    const RegExpError error = model.LastPatternError();
    if (error.isSet() && !result.isEmpty())
        fuzzFail("an error gives an empty result", itemPattern);
    EcmaRegExp reference(itemPattern);
    if (!reference.isValid()) {
        if (!error.isSet() || !result.isEmpty())
            fuzzFail("an erring pattern gives an empty result and an error", itemPattern);
        return 0;
    }
    if (error.isSet())
        return 0; // a limit: the run says so and gives nothing
    if (directives.IsMatching(itemReplacement)) {
        QString expected;
        qsizetype position = 0;
        const bool ok = reference.forEachMatch(subject, [&](qsizetype start, qsizetype length) {
            expected += subject.mid(position, start - position);
            expected += directives.MatchingEdit(subject.mid(start, length), itemReplacement);
            position = start + length;
        });
        expected += subject.mid(position);
        if (ok && result != expected)
            fuzzFail("a directive edits match by match", itemPattern + u"\n"_qs + subject);
    } else {
        const std::optional<QString> expected = reference.replaceAll(subject, itemReplacement);
        if (expected && result != *expected)
            fuzzFail("an item replaces as the engine does", itemPattern + u"\n"_qs + subject);
    }
    return 0;
}
