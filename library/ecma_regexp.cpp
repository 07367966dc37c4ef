// Patterns run on PCRE2 with JIT, except those that PCRE2 would give another meaning
// (the translator names the construct): those run on the backtracking matcher, which
// follows the script engine's semantics. A single class, a run of one, or a sequence
// that can never backtrack is matched here without PCRE2, which is quicker for them.
// All share the global loop, the replacement expander and the limits below.
#include "ecma_regexp.h"

#include "ecma_backtrack_matcher.h"
#include "ecma_pattern_translator.h"
#include "ecma_sequence_matcher.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <atomic>
#include <bit>
#include <chrono>
#include <cstring>
#include <iterator>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> g_jitEnabled{true};
std::atomic<bool> g_optimisationsEnabled{true};

constexpr uint32_t kOptions = PCRE2_NEVER_UTF | PCRE2_NEVER_UCP | PCRE2_NEVER_BACKSLASH_C |
                              PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY |
                              PCRE2_USE_OFFSET_LIMIT;
constexpr uint32_t kNoOptimisations =
    PCRE2_NO_START_OPTIMIZE | PCRE2_NO_AUTO_POSSESS | PCRE2_NO_DOTSTAR_ANCHOR;
// The parser stops ECMAScript nesting at 250; the translation adds a level at most.
constexpr uint32_t kParensNestLimit = 1000;
// Applies per start position: catastrophic backtracking trips it within tens of ms.
constexpr uint32_t kMatchLimit = 10'000'000;
// The backtracking matcher's step costs several of PCRE2's; this budget gives up after
// about as long as PCRE2 takes to reach its limit.
constexpr qint64 kExactStepLimit = 3'000'000;
constexpr uint32_t kHeapLimitKiB = 256 * 1024;
constexpr PCRE2_SIZE kJitStackStart = 64 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 256 * 1024 * 1024;
// The start positions one PCRE2 call may try before the clock is read again. Without a
// callout in the pattern PCRE2 keeps its optimisations (a callout turns off the JIT's
// skipping of positions a failed repeat already covered, which makes "(\s+)$" quadratic);
// the window grows while calls are quick and shrinks when they are slow.
constexpr PCRE2_SIZE kFirstWindow = 64;
constexpr PCRE2_SIZE kMaxWindow = 4096;
constexpr auto kQuickWindow = std::chrono::milliseconds(1);
constexpr auto kSlowWindow = std::chrono::milliseconds(10);
// Past this a result would not fit a script engine's string either; refusing it keeps
// "$`" on a long text from exhausting memory.
constexpr qsizetype kMaxResultLength = qsizetype(1) << 30;

// Linear work on 100 MB takes a few seconds here; quadratic work on 100 KB takes longer
// than this allows.
constexpr auto kBaseDeadline = std::chrono::milliseconds(2000);

std::atomic<uint32_t> g_matchLimit{kMatchLimit};
std::atomic<qint64> g_exactStepLimit{kExactStepLimit};
std::atomic<qint64> g_baseDeadlineMs{kBaseDeadline.count()};

Clock::duration deadlineFor(qsizetype codeUnits)
{
    return std::chrono::milliseconds(g_baseDeadlineMs.load() + codeUnits / 10'000);
}
// Each match extends the deadline so that the caller's own work per match (a directive
// on 100 MB of single characters) is not mistaken for a runaway pattern.
constexpr auto kAllowancePerMatch = std::chrono::microseconds(1);

QString pcreMessage(int code)
{
    PCRE2_UCHAR buffer[256];
    const int length = pcre2_get_error_message(code, buffer, std::size(buffer));
    if (length < 0)
        return QStringLiteral("PCRE2 error %1").arg(code);
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer), length);
}

// PCRE2's wording for its size limits speaks of its own syntax, which the user never wrote.
QString compileMessage(int code)
{
    switch (code) {
    case PCRE2_ERROR_PARENTHESES_NEST_TOO_DEEP:
    case PCRE2_ERROR_QUERY_BARJX_NEST_TOO_DEEP:
    case PCRE2_ERROR_PATTERN_TOO_COMPLICATED:
        return QStringLiteral("Groups nested too deeply");
    case PCRE2_ERROR_PATTERN_TOO_LARGE:
        return QStringLiteral("The pattern is too long");
    default:
        return pcreMessage(code);
    }
}

// One piece of a parsed replacement template.
struct TemplatePart
{
    enum Kind
    {
        Literal,
        Group,
        Match,
        Before,
        After
    };
    Kind kind = Literal;
    qsizetype from = 0; // Literal: slice of the template
    qsizetype length = 0;
    int group = 0;
};

// GetSubstitution's rules, resolved once for all matches.
std::vector<TemplatePart> parseTemplate(const QString &text, int captureCount,
                                        const QHash<QString, int> &names)
{
    std::vector<TemplatePart> parts;
    qsizetype literalStart = 0;
    auto flushLiteral = [&](qsizetype end) {
        if (end > literalStart)
            parts.push_back({TemplatePart::Literal, literalStart, end - literalStart, 0});
    };
    auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (text[i] != u'$' || i + 1 >= n) {
            ++i;
            continue;
        }
        const QChar c = text[i + 1];
        TemplatePart part;
        qsizetype consumed = 2;
        bool special = true;
        if (c == u'$') {
            part = {TemplatePart::Literal, i, 1, 0};
        } else if (c == u'&') {
            part.kind = TemplatePart::Match;
        } else if (c == u'`') {
            part.kind = TemplatePart::Before;
        } else if (c == u'\'') {
            part.kind = TemplatePart::After;
        } else if (isDigit(c)) {
            int index = c.unicode() - u'0';
            qsizetype digits = 1;
            if (i + 2 < n && isDigit(text[i + 2])) {
                const int two = index * 10 + (text[i + 2].unicode() - u'0');
                if (two <= captureCount) {
                    index = two;
                    digits = 2;
                }
            }
            special = index >= 1 && index <= captureCount;
            part = {TemplatePart::Group, 0, 0, index};
            consumed = 1 + digits;
        } else if (c == u'<' && !names.isEmpty()) {
            const qsizetype close = text.indexOf(u'>', i + 2);
            special = close >= 0;
            if (special) {
                // An unknown name yields empty text, as a missing group would.
                part = {TemplatePart::Group, 0, 0, names.value(text.mid(i + 2, close - i - 2), 0)};
                consumed = close + 1 - i;
            }
        } else {
            special = false;
        }
        if (!special) {
            ++i;
            continue;
        }
        flushLiteral(i);
        if (part.kind != TemplatePart::Group || part.group > 0)
            parts.push_back(part);
        i += consumed;
        literalStart = i;
    }
    flushLiteral(n);
    return parts;
}

const char16_t kEmpty[1] = {0};

// constData, unlike utf16(), never copies a raw-data string to terminate it.
const char16_t *unitsOf(const QString &text)
{
    return text.isNull() ? kEmpty : reinterpret_cast<const char16_t *>(text.constData());
}

// The first `unit` in [from, end), or end.
const char16_t *findUnit(const char16_t *from, const char16_t *end, char16_t unit)
{
#if defined(__SSE2__)
    // Eight code units a step: a text between matches is usually longer than that.
    const __m128i wanted = _mm_set1_epi16(short(unit));
    for (; end - from >= 8; from += 8) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from));
        const auto mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(block, wanted)));
        if (mask != 0)
            return from + std::countr_zero(mask) / 2;
    }
#endif
    while (from != end && *from != unit)
        ++from;
    return from;
}

// A long result is written once from start to end: large pages spare a page fault per
// 4 KiB of it, which otherwise costs about as much as the copying.
void askForLargePages(char16_t *from, char16_t *to)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t kLargePage = uintptr_t(2) << 20;
    const uintptr_t first =
        (reinterpret_cast<uintptr_t>(from) + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t last = reinterpret_cast<uintptr_t>(to) & ~(kLargePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(from);
    Q_UNUSED(to);
#endif
}

// The text of a global replace, written by pointer. QString::append checks sharing and
// capacity for every piece, which costs more than copying the short pieces a replace
// is made of.
class ResultBuffer final
{
public:
    static constexpr qsizetype kShortPiece = 16;

    explicit ResultBuffer(qsizetype expected)
        : m_expected(expected)
    {
    }
    ResultBuffer(const ResultBuffer &) = delete;
    ResultBuffer &operator=(const ResultBuffer &) = delete;

    // False when the text would pass kMaxResultLength.
    bool append(const char16_t *from, qsizetype count)
    {
        if (count > m_end - m_cursor && !grow(count))
            return false;
        if (count > 0)
            std::memcpy(m_cursor, from, size_t(count) * sizeof(char16_t));
        m_cursor += count;
        return true;
    }

    // Most pieces of a replace are a few code units, for which a call of memcpy costs more
    // than the copy: when the source and the text have room, a fixed 16 units are
    // copied and the ones past `count` are written over later.
    bool append(const char16_t *from, qsizetype count, const char16_t *sourceEnd)
    {
        if (count <= kShortPiece && sourceEnd - from >= kShortPiece &&
            m_end - m_cursor >= kShortPiece) {
            std::memcpy(m_cursor, from, kShortPiece * sizeof(char16_t));
            m_cursor += count;
            return true;
        }
        return append(from, count);
    }

    QString take()
    {
        m_text.truncate(m_cursor - m_begin);
        m_begin = m_cursor = m_end = nullptr;
        return std::move(m_text);
    }

private:
    bool grow(qsizetype count)
    {
        const qsizetype used = m_cursor - m_begin;
        if (count > kMaxResultLength - used)
            return false;
        // The first piece sizes the text for a replace that keeps its length; past that
        // it doubles, so the copies stay linear.
        const qsizetype capacity = m_end - m_begin;
        const qsizetype wanted = capacity == 0 ? m_expected : 2 * capacity;
        m_text.resize(std::max(used + count, std::min(wanted, kMaxResultLength)));
        m_begin = reinterpret_cast<char16_t *>(m_text.data());
        askForLargePages(m_begin + used, m_begin + m_text.size());
        m_cursor = m_begin + used;
        m_end = m_begin + m_text.size();
        return true;
    }

    QString m_text;
    qsizetype m_expected = 0;
    char16_t *m_begin = nullptr;
    char16_t *m_cursor = nullptr;
    char16_t *m_end = nullptr;
};

enum class Failure
{
    MatchLimit,
    Deadline,
    Cancelled,
    Memory
};

QString failureMessage(Failure failure)
{
    switch (failure) {
    case Failure::MatchLimit:
        return QStringLiteral("Match limit reached: the pattern backtracks too much");
    case Failure::Deadline:
        return QStringLiteral("Time limit reached: the pattern takes too long on this text");
    case Failure::Cancelled:
        return QStringLiteral("Matching was cancelled");
    case Failure::Memory:
        break;
    }
    return QStringLiteral("Memory limit reached: the pattern needs too much memory");
}

} // namespace

struct EcmaRegExp::Impl
{
    ~Impl();

    bool prepareMatch(qsizetype subjectLength);
    // Calls onMatch(offsets) for each match in global order (offsets: two per group, -1
    // when unset); onMatch returns false to stop with an error it has set.
    template<typename OnMatch> bool scan(const QString &subject, OnMatch &&onMatch);
    template<typename Matcher, typename OnMatch>
    bool scanWith(Matcher &matcher, const QString &subject, OnMatch &&onMatch);
    template<typename OnMatch> bool scanUnits(const QString &subject, OnMatch &&onMatch);
    void setPcreError(int code);
    void setFailure(Failure failure) { matchError = {failureMessage(failure), -1}; }
    static int checkDuringMatch(pcre2_callout_block *block, void *data);

    int captureCount = 0;
    QHash<QString, int> groupNames;
    RegExpError compileError;
    RegExpError matchError;
    std::unique_ptr<EcmaBacktrackMatcher> exact;
    // A sequence of classes whose repeats never give back ("(\w+)\t(\w+)"): matched
    // without backtracking and without a PCRE2 call per start.
    std::unique_ptr<EcmaSequenceMatcher> sequence;
    QString exactConstruct;
    // A pattern of one code unit or class, or a greedy unbounded repeat of it ("\t",
    // "[\r\t ]", ".", "[a-z]+"): its matches are runs of the class, found by a plain scan
    // that spares a PCRE2 call per match.
    std::vector<uint64_t> unitSet;
    int singleUnit = -1; // the class's one code unit, -1 when it has more
    bool unitRun = false;
    std::vector<qsizetype> exactOffsets;
    pcre2_code *code = nullptr;
    pcre2_match_data *matchData = nullptr;
    pcre2_match_context *matchContext = nullptr;
    pcre2_jit_stack *jitStack = nullptr;
    bool jitTried = false;
    bool jitReady = false;
    std::atomic<bool> cancelled{false};
    const std::atomic<bool> *external = nullptr; // the caller's flag, never reset here
    Clock::time_point deadline;
    // Set by the callout when it stops a PCRE2 call (the clock or a cancel).
    std::optional<Failure> calloutFailure;
    unsigned callouts = 0;

    bool stopAsked() const
    {
        return cancelled.load(std::memory_order_relaxed) ||
               (external != nullptr && external->load(std::memory_order_relaxed));
    }
};

// Each retry of a later alternative calls this (the translation puts a callout there); it
// looks at the clock only now and then, as the window loop does between calls.
int EcmaRegExp::Impl::checkDuringMatch(pcre2_callout_block *, void *data)
{
    auto *d = static_cast<Impl *>(data);
    if (++d->callouts % 1024 != 0)
        return 0;
    if (d->stopAsked())
        d->calloutFailure = Failure::Cancelled;
    else if (Clock::now() > d->deadline)
        d->calloutFailure = Failure::Deadline;
    return d->calloutFailure ? PCRE2_ERROR_CALLOUT : 0;
}

EcmaRegExp::Impl::~Impl()
{
    pcre2_match_data_free(matchData);
    pcre2_match_context_free(matchContext);
    pcre2_jit_stack_free(jitStack);
    pcre2_code_free(code);
}

bool EcmaRegExp::Impl::prepareMatch(qsizetype subjectLength)
{
    matchError = {};
    calloutFailure.reset();
    // A cancel stops the run in progress; each run starts afresh.
    cancelled.store(false);
    deadline = Clock::now() + deadlineFor(subjectLength);
    if (exact) {
        // The matcher watches one flag: a caller's own flag is the one it set up.
        exact->setCancelFlag(external != nullptr ? external : &cancelled);
        exact->setDeadline(deadline);
        return true;
    }
    if (sequence) {
        sequence->setCancelFlag(external != nullptr ? external : &cancelled);
        sequence->setDeadline(deadline);
        return true;
    }
    if (!unitSet.empty())
        return true;
    if (!code)
        return false;
    if (!matchData)
        matchData = pcre2_match_data_create_from_pattern(code, nullptr);
    if (!matchContext) {
        matchContext = pcre2_match_context_create(nullptr);
        if (matchContext) {
            pcre2_set_match_limit(matchContext, g_matchLimit.load());
            pcre2_set_depth_limit(matchContext, g_matchLimit.load());
            pcre2_set_heap_limit(matchContext, kHeapLimitKiB);
            pcre2_set_callout(matchContext, checkDuringMatch, this);
        }
    }
    if (!matchContext || !matchData) {
        matchError = {QStringLiteral("Out of memory"), -1};
        return false;
    }
    if (g_jitEnabled.load() && !jitTried) {
        jitTried = true;
        // Without JIT the interpreter gives the same results, only slower.
        jitStack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
        jitReady = jitStack && pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;
        if (jitStack)
            pcre2_jit_stack_assign(matchContext, nullptr, jitStack);
    }
    return true;
}

void EcmaRegExp::Impl::setPcreError(int errorCode)
{
    if (errorCode == PCRE2_ERROR_CALLOUT && calloutFailure)
        setFailure(*calloutFailure);
    else if (errorCode == PCRE2_ERROR_MATCHLIMIT)
        setFailure(Failure::MatchLimit);
    else if (errorCode == PCRE2_ERROR_JIT_STACKLIMIT || errorCode == PCRE2_ERROR_HEAPLIMIT ||
             errorCode == PCRE2_ERROR_DEPTHLIMIT || errorCode == PCRE2_ERROR_NOMEMORY)
        setFailure(Failure::Memory);
    else
        matchError = {pcreMessage(errorCode), -1};
}

template<typename OnMatch> bool EcmaRegExp::Impl::scan(const QString &subject, OnMatch &&onMatch)
{
    if (!prepareMatch(subject.size()))
        return false;
    if (stopAsked()) {
        setFailure(Failure::Cancelled);
        return false;
    }
    if (exact)
        return scanWith(*exact, subject, onMatch);
    if (sequence)
        return scanWith(*sequence, subject, onMatch);
    if (!unitSet.empty())
        return scanUnits(subject, onMatch);
    const bool useJit = jitReady && g_jitEnabled.load();
    const auto *units = reinterpret_cast<PCRE2_SPTR>(unitsOf(subject));
    const auto length = PCRE2_SIZE(subject.size());
    PCRE2_SIZE lastIndex = 0;
    PCRE2_SIZE window = kFirstWindow;
    PCRE2_SIZE windowEnd = 0; // the last start position of the current window
    bool windowSet = false;
    Clock::time_point lastCheck = Clock::now();
    unsigned iterations = 0;
    const PCRE2_SIZE *const ovector = pcre2_get_ovector_pointer(matchData);
    while (lastIndex <= length) {
        if (!windowSet || lastIndex > windowEnd) {
            if (windowSet) {
                // A window passed: time to look at the clock.
                const Clock::time_point now = Clock::now();
                if (stopAsked()) {
                    setFailure(Failure::Cancelled);
                    return false;
                }
                if (now > deadline) {
                    setFailure(Failure::Deadline);
                    return false;
                }
                if (now - lastCheck < kQuickWindow)
                    window = std::min(window * 2, kMaxWindow);
                else if (now - lastCheck > kSlowWindow)
                    window = std::max<PCRE2_SIZE>(window / 2, 1);
                lastCheck = now;
            }
            windowEnd = length - lastIndex > window ? lastIndex + window : length;
            windowSet = true;
            pcre2_set_offset_limit(matchContext, windowEnd);
        }
        const int rc =
            useJit ? pcre2_jit_match(code, units, length, lastIndex, 0, matchData, matchContext)
                   : pcre2_match(code, units, length, lastIndex, PCRE2_NO_JIT, matchData,
                                 matchContext);
        if (rc == PCRE2_ERROR_NOMATCH) {
            if (windowEnd == length)
                break;
            lastIndex = windowEnd + 1;
            continue;
        }
        if (rc < 0) {
            setPcreError(rc);
            return false;
        }
        // PCRE2_UNSET reads as -1.
        if (!onMatch(reinterpret_cast<const qsizetype *>(ovector)))
            return false;
        lastIndex = ovector[1] == ovector[0] ? ovector[1] + 1 : ovector[1];
        deadline += kAllowancePerMatch;
        // Frequent matches never end a window; they are checked here instead.
        if (stopAsked()) {
            setFailure(Failure::Cancelled);
            return false;
        }
        if (++iterations % 1024 == 0 && Clock::now() > deadline) {
            setFailure(Failure::Deadline);
            return false;
        }
    }
    return true;
}

template<typename OnMatch>
bool EcmaRegExp::Impl::scanUnits(const QString &subject, OnMatch &&onMatch)
{
    const char16_t *const units = unitsOf(subject);
    const qsizetype length = subject.size();
    // Locals, so that the compiler need not reload them after each call of onMatch.
    const uint64_t *const set = unitSet.data();
    const auto inSet = [set](char16_t c) { return (set[c >> 6] >> (c & 63)) & 1; };
    const int single = singleUnit;
    const bool run = unitRun;
    qsizetype offsets[2];
    qsizetype i = 0;
    unsigned matches = 0;
    while (i < length) {
        if (single >= 0) {
            i = findUnit(units + i, units + length, char16_t(single)) - units;
        } else {
            while (i < length && !inSet(units[i]))
                ++i;
        }
        if (i == length)
            break;
        qsizetype end = i + 1;
        if (run) {
            while (end < length && inSet(units[end]))
                ++end;
        }
        offsets[0] = i;
        offsets[1] = end;
        if (!onMatch(static_cast<const qsizetype *>(offsets)))
            return false;
        i = end;
        deadline += kAllowancePerMatch;
        if (++matches % 1024 == 0) {
            if (stopAsked()) {
                setFailure(Failure::Cancelled);
                return false;
            }
            if (Clock::now() > deadline) {
                setFailure(Failure::Deadline);
                return false;
            }
        }
    }
    return true;
}

template<typename Matcher, typename OnMatch>
bool EcmaRegExp::Impl::scanWith(Matcher &matcher, const QString &subject, OnMatch &&onMatch)
{
    const char16_t *const units = unitsOf(subject);
    const qsizetype length = subject.size();
    qsizetype lastIndex = 0;
    while (lastIndex <= length) {
        const EcmaBacktrackMatcher::Result result =
            matcher.search(units, length, lastIndex, exactOffsets);
        switch (result) {
        case EcmaBacktrackMatcher::Result::NoMatch:
            return true;
        case EcmaBacktrackMatcher::Result::StepLimit:
            setFailure(Failure::MatchLimit);
            return false;
        case EcmaBacktrackMatcher::Result::Deadline:
            setFailure(Failure::Deadline);
            return false;
        case EcmaBacktrackMatcher::Result::Cancelled:
            setFailure(Failure::Cancelled);
            return false;
        case EcmaBacktrackMatcher::Result::Memory:
            setFailure(Failure::Memory);
            return false;
        case EcmaBacktrackMatcher::Result::Match:
            break;
        }
        if (!onMatch(exactOffsets.data()))
            return false;
        lastIndex = exactOffsets[1] == exactOffsets[0] ? exactOffsets[1] + 1 : exactOffsets[1];
        deadline += kAllowancePerMatch;
        matcher.setDeadline(deadline);
    }
    return true;
}

EcmaRegExp::EcmaRegExp(const QString &pattern)
    : d(std::make_unique<Impl>())
{
    const ParsedPattern parsed = EcmaPatternParser::parse(pattern);
    if (parsed.error.isSet()) {
        d->compileError = parsed.error;
        return;
    }
    d->captureCount = parsed.captureCount;
    d->groupNames = parsed.groupNames;
    const PatternNode *unit = &parsed.nodes[size_t(parsed.root)];
    if (unit->kind == PatternNode::Kind::Quantified && unit->min == 1 &&
        unit->max == PatternNode::kInfinite && !unit->lazy) {
        d->unitRun = true;
        unit = &parsed.nodes[size_t(unit->children.front())];
    }
    if (unit->kind == PatternNode::Kind::Unit || unit->kind == PatternNode::Kind::Set) {
        d->unitSet.assign(1024, 0);
        UnitRanges::fillTable(unit->kind == PatternNode::Kind::Unit
                                  ? UnitRanges::List{{unit->unit, unit->unit}}
                                  : unit->ranges,
                              d->unitSet.data());
        if (unit->kind == PatternNode::Kind::Unit)
            d->singleUnit = unit->unit;
        else if (unit->ranges.size() == 1 &&
                 unit->ranges.front().first == unit->ranges.front().second)
            d->singleUnit = unit->ranges.front().first;
        return;
    }
    d->unitRun = false;
    // Where a failed start lets the sequence matcher pass over a run, it beats PCRE2's
    // attempt at each unit of the run; elsewhere PCRE2's start search is as quick.
    std::unique_ptr<EcmaSequenceMatcher> sequence = EcmaSequenceMatcher::create(parsed);
    if (sequence && sequence->skipsRuns()) {
        d->sequence = std::move(sequence);
        return;
    }
    const TranslatedPattern translated = EcmaPatternTranslator::translate(parsed);
    if (!translated.exactConstruct.isEmpty() && sequence) {
        d->sequence = std::move(sequence); // "a{70000}": as exact, without backtracking
        return;
    }
    if (!translated.exactConstruct.isEmpty()) {
        d->exactConstruct = translated.exactConstruct;
        d->exact = std::make_unique<EcmaBacktrackMatcher>(parsed);
        d->exact->setStepLimit(g_exactStepLimit.load());
        return;
    }
    pcre2_compile_context *context = pcre2_compile_context_create(nullptr);
    if (!context) {
        d->compileError = {QStringLiteral("Out of memory"), -1};
        return;
    }
    pcre2_set_newline(context, PCRE2_NEWLINE_LF);
    pcre2_set_parens_nest_limit(context, kParensNestLimit);
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    const QString &pcre = translated.pcre;
    d->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pcre.utf16()), PCRE2_SIZE(pcre.size()),
                            kOptions | (g_optimisationsEnabled.load() ? 0 : kNoOptimisations),
                            &errorCode, &errorOffset, context);
    pcre2_compile_context_free(context);
    if (!d->code) {
        const QList<qsizetype> &offsets = translated.sourceOffsets;
        const qsizetype at = qsizetype(errorOffset) < offsets.size()
                                 ? offsets.at(qsizetype(errorOffset))
                                 : pattern.size();
        d->compileError = {compileMessage(errorCode), at};
    }
}

EcmaRegExp::~EcmaRegExp() = default;

bool EcmaRegExp::isValid() const
{
    return d->code != nullptr || d->exact != nullptr || d->sequence != nullptr ||
           !d->unitSet.empty();
}

RegExpError EcmaRegExp::error() const
{
    return d->compileError.isSet() ? d->compileError : d->matchError;
}

int EcmaRegExp::captureCount() const
{
    return isValid() ? d->captureCount : 0;
}

QString EcmaRegExp::exactConstruct() const
{
    return d->exactConstruct;
}

bool EcmaRegExp::forEachMatch(const QString &subject, const MatchVisitor &visitor)
{
    return d->scan(subject, [&](const qsizetype *ovector) {
        if (visitor)
            visitor(qsizetype(ovector[0]), qsizetype(ovector[1] - ovector[0]));
        return true;
    });
}

std::optional<QString> EcmaRegExp::replaceAll(const QString &subject, const QString &replacement)
{
    if (!isValid())
        return std::nullopt;
    const std::vector<TemplatePart> parts =
        parseTemplate(replacement, d->captureCount, d->groupNames);
    const char16_t *const units = unitsOf(subject);
    // The template's text with room for the short copies.
    std::vector<char16_t> templateText(size_t(replacement.size() + ResultBuffer::kShortPiece));
    std::copy_n(unitsOf(replacement), replacement.size(), templateText.begin());
    const char16_t *const templateUnits = templateText.data();
    const char16_t *const templateEnd = templateUnits + templateText.size();
    const qsizetype length = subject.size();
    const char16_t *const subjectEnd = units + length;
    ResultBuffer result(length + 16);
    qsizetype copied = 0;
    bool matched = false;
    const bool finished = d->scan(subject, [&](const qsizetype *ovector) {
        const qsizetype start = ovector[0];
        const qsizetype end = ovector[1];
        matched = true;
        bool fits = result.append(units + copied, start - copied, subjectEnd);
        for (const TemplatePart &part : parts) {
            switch (part.kind) {
            case TemplatePart::Literal:
                fits = fits && result.append(templateUnits + part.from, part.length, templateEnd);
                break;
            case TemplatePart::Group: {
                // An unset group reads as -1 and appends nothing.
                const qsizetype from = ovector[2 * part.group];
                if (from >= 0)
                    fits = fits && result.append(units + from, ovector[2 * part.group + 1] - from,
                                                 subjectEnd);
                break;
            }
            case TemplatePart::Match:
                fits = fits && result.append(units + start, end - start, subjectEnd);
                break;
            case TemplatePart::Before:
                fits = fits && result.append(units, start);
                break;
            case TemplatePart::After:
                fits = fits && result.append(units + end, length - end);
                break;
            }
        }
        copied = end;
        if (!fits)
            d->matchError = {QStringLiteral("The result is too long"), -1};
        return fits;
    });
    if (!finished)
        return std::nullopt;
    if (!matched)
        return subject;
    if (!result.append(units + copied, length - copied)) {
        d->matchError = {QStringLiteral("The result is too long"), -1};
        return std::nullopt;
    }
    return result.take();
}

void EcmaRegExp::cancel()
{
    d->cancelled.store(true);
}

void EcmaRegExp::setCancelFlag(const std::atomic<bool> *flag)
{
    d->external = flag;
}

void EcmaRegExp::setJitEnabled(bool enabled)
{
    g_jitEnabled.store(enabled);
}

void EcmaRegExp::setPcreOptimisationsEnabled(bool enabled)
{
    g_optimisationsEnabled.store(enabled);
}

EcmaRegExp::RunawayLimits EcmaRegExp::defaultRunawayLimits()
{
    return {kMatchLimit, kExactStepLimit, kBaseDeadline};
}

void EcmaRegExp::setRunawayLimits(const RunawayLimits &limits)
{
    g_matchLimit.store(limits.matchLimit);
    g_exactStepLimit.store(limits.exactStepLimit);
    g_baseDeadlineMs.store(limits.base.count());
}
