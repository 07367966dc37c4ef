#include "ecma_pattern_translator.h"

#include <optional>
#include <utility>
#include <vector>

namespace {

using Kind = PatternNode::Kind;
constexpr qint64 kInfinite = PatternNode::kInfinite;
// PCRE2 10.42's largest repeat count and lookbehind length.
constexpr qint64 kMaxPcreCount = 65535;

bool isAsciiAlnum(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Which of the constructs PCRE2 cannot follow a pattern holds. The tree's depth is
// bounded by the parser's nesting limit.
class Analysis
{
public:
    explicit Analysis(const ParsedPattern &parsed)
        : m_p(parsed)
    {
    }

    QString exactConstruct(int n) const;

private:
    const PatternNode &node(int n) const { return m_p.nodes[size_t(n)]; }
    bool nullable(int n) const;
    // Captures set by every successful match of the node.
    void mustSet(int n, std::vector<bool> &set) const;
    bool referencesInside(int n, int first, int count) const;
    std::optional<qint64> fixedLength(int n) const;

    const ParsedPattern &m_p;
};

bool Analysis::nullable(int n) const
{
    const PatternNode &x = node(n);
    switch (x.kind) {
    case Kind::Unit:
    case Kind::Set:
        return false;
    case Kind::Alternative:
        for (int c : x.children) {
            if (!nullable(c))
                return false;
        }
        return true;
    case Kind::Disjunction:
        for (int c : x.children) {
            if (nullable(c))
                return true;
        }
        return false;
    case Kind::Group:
        return nullable(x.children.front());
    case Kind::Quantified:
        return x.min == 0 || nullable(x.children.front());
    default:
        return true;
    }
}

void Analysis::mustSet(int n, std::vector<bool> &set) const
{
    const PatternNode &x = node(n);
    switch (x.kind) {
    case Kind::Alternative:
        for (int c : x.children)
            mustSet(c, set);
        break;
    case Kind::Disjunction: {
        std::vector<bool> common;
        for (size_t i = 0; i < x.children.size(); ++i) {
            std::vector<bool> one(set.size(), false);
            mustSet(x.children[i], one);
            if (i == 0) {
                common = std::move(one);
            } else {
                for (size_t g = 0; g < common.size(); ++g)
                    common[g] = common[g] && one[g];
            }
        }
        for (size_t g = 0; g < set.size(); ++g)
            set[g] = set[g] || common[g];
        break;
    }
    case Kind::Group:
        if (x.group > 0)
            set[size_t(x.group)] = true;
        mustSet(x.children.front(), set);
        break;
    case Kind::Lookahead:
    case Kind::Lookbehind:
        if (!x.negative)
            mustSet(x.children.front(), set);
        break;
    case Kind::Quantified:
        if (x.min > 0)
            mustSet(x.children.front(), set);
        break;
    default:
        break;
    }
}

bool Analysis::referencesInside(int n, int first, int count) const
{
    const PatternNode &x = node(n);
    if (x.kind == Kind::BackReference)
        return x.group >= first && x.group < first + count;
    for (int c : x.children) {
        if (referencesInside(c, first, count))
            return true;
    }
    return false;
}

std::optional<qint64> Analysis::fixedLength(int n) const
{
    const PatternNode &x = node(n);
    switch (x.kind) {
    case Kind::Unit:
    case Kind::Set:
        return 1;
    case Kind::Alternative: {
        qint64 sum = 0;
        for (int c : x.children) {
            const std::optional<qint64> one = fixedLength(c);
            if (!one)
                return std::nullopt;
            sum += *one;
        }
        return sum;
    }
    case Kind::Disjunction: {
        std::optional<qint64> length;
        for (int c : x.children) {
            const std::optional<qint64> one = fixedLength(c);
            if (!one || (length && *one != *length))
                return std::nullopt;
            length = one;
        }
        return length;
    }
    case Kind::Group:
        return fixedLength(x.children.front());
    case Kind::Quantified: {
        if (node(x.children.front()).kind == Kind::Lookahead)
            return 0;
        const std::optional<qint64> one = fixedLength(x.children.front());
        if (!one || x.min != x.max || x.max > kMaxPcreCount)
            return std::nullopt;
        return *one * x.min;
    }
    case Kind::BackReference:
        return std::nullopt;
    default:
        return 0;
    }
}

QString Analysis::exactConstruct(int n) const
{
    const PatternNode &x = node(n);
    if (x.kind == Kind::Lookbehind) {
        const int body = x.children.front();
        if (x.captureCount > 0)
            return QStringLiteral("a lookbehind holding a capture");
        if (referencesInside(body, 1, m_p.captureCount))
            return QStringLiteral("a lookbehind holding a back reference");
        // PCRE2 takes top-level alternatives of different fixed lengths.
        const PatternNode &b = node(body);
        const std::vector<int> branches =
            b.kind == Kind::Disjunction ? b.children : std::vector<int>{body};
        for (int branch : branches) {
            const std::optional<qint64> length = fixedLength(branch);
            if (!length || *length > kMaxPcreCount)
                return QStringLiteral("a lookbehind of variable length");
        }
    }
    if (x.kind == Kind::Quantified) {
        const int body = x.children.front();
        if (x.min > kMaxPcreCount || x.max > kMaxPcreCount)
            return QStringLiteral("a repeat count above %1").arg(kMaxPcreCount);
        if (x.max == 0 && x.captureCount > 0)
            return QStringLiteral("a capture repeated zero times");
        const bool lookahead = node(body).kind == Kind::Lookahead;
        if (lookahead && x.min == 0 && x.captureCount > 0)
            return QStringLiteral("an optional lookahead holding a capture");
        if (!lookahead && x.max != x.min && nullable(body))
            return QStringLiteral("a repeat whose iteration can match empty");
        if (!lookahead && (x.max == kInfinite || x.max > 1) && x.captureCount > 0) {
            std::vector<bool> set(size_t(m_p.captureCount) + 1, false);
            mustSet(body, set);
            for (int g = x.firstCapture; g < x.firstCapture + x.captureCount; ++g) {
                if (!set[size_t(g)])
                    return QStringLiteral("a capture inside a repeated group");
            }
            if (referencesInside(body, x.firstCapture, x.captureCount))
                return QStringLiteral("a back reference inside the repeated group it refers to");
        }
    }
    for (int c : x.children) {
        QString inner = exactConstruct(c);
        if (!inner.isEmpty())
            return inner;
    }
    return {};
}

class Emitter
{
public:
    explicit Emitter(const ParsedPattern &parsed, TranslatedPattern &out)
        : m_p(parsed)
        , m_out(out)
    {
    }

    void write(int n);

private:
    const PatternNode &node(int n) const { return m_p.nodes[size_t(n)]; }
    void put(QStringView text, qsizetype from);
    void emitUnit(char16_t c, qsizetype from);
    void emitSet(const PatternNode &x);
    void emitQuantified(const PatternNode &x);

    const ParsedPattern &m_p;
    TranslatedPattern &m_out;
};

void Emitter::put(QStringView text, qsizetype from)
{
    m_out.pcre.append(text);
    m_out.sourceOffsets.insert(m_out.sourceOffsets.size(), text.size(), from);
}

void Emitter::emitUnit(char16_t c, qsizetype from)
{
    if (isAsciiAlnum(c))
        put(QStringView(&c, 1), from);
    else
        put(QStringLiteral("\\x{%1}").arg(int(c), 0, 16), from);
}

void Emitter::emitSet(const PatternNode &x)
{
    if (x.dot) {
        put(u"[^\\x{a}\\x{d}\\x{2028}\\x{2029}]", x.source);
        return;
    }
    if (x.ranges.empty()) {
        // A class that can match nothing; the group keeps a following quantifier legal.
        put(u"(?:(?!))", x.source);
        return;
    }
    if (x.ranges.size() == 1 && x.ranges.front().first == x.ranges.front().second) {
        emitUnit(char16_t(x.ranges.front().first), x.source);
        return;
    }
    // With its built-in tables and without UCP, PCRE2's \d and \w are exactly the
    // script's (ASCII only), and its JIT tests them faster than the same class spelt out.
    using Ranges = std::vector<std::pair<int, int>>;
    static const Ranges digits{{'0', '9'}};
    static const Ranges notDigits{{0, '0' - 1}, {'9' + 1, 0xFFFF}};
    static const Ranges word{{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}};
    static const Ranges notWord{{0, '0' - 1},
                                {'9' + 1, 'A' - 1},
                                {'Z' + 1, '_' - 1},
                                {'_' + 1, 'a' - 1},
                                {'z' + 1, 0xFFFF}};
    for (const auto &[ranges, escape] : {std::pair{&digits, u"\\d"}, std::pair{&notDigits, u"\\D"},
                                         std::pair{&word, u"\\w"}, std::pair{&notWord, u"\\W"}}) {
        if (x.ranges == *ranges) {
            put(escape, x.source);
            return;
        }
    }
    put(u"[", x.source);
    for (const auto &[first, last] : x.ranges) {
        emitUnit(char16_t(first), x.source);
        if (last == first)
            continue;
        if (last > first + 1)
            put(u"-", x.source);
        emitUnit(char16_t(last), x.source);
    }
    put(u"]", x.source);
}

void Emitter::emitQuantified(const PatternNode &x)
{
    const PatternNode &atom = node(x.children.front());
    // Zero repeats match nothing and set nothing (captures are routed elsewhere); PCRE2's
    // start-of-match optimisation misreads a "{0}" group, so none is emitted.
    if (x.max == 0)
        return;
    if (atom.kind == Kind::Lookahead) {
        // A lookahead matches no text, so an optional one is skipped (its captures stay
        // unset) and a required one is tested once.
        if (x.min > 0)
            write(x.children.front());
        return;
    }
    if (atom.kind == Kind::BackReference) {
        // WORKAROUND: PCRE2 10.42's JIT mishandles a directly repeated back reference.
        put(u"(?:", x.source);
        write(x.children.front());
        put(u")", x.source);
    } else {
        write(x.children.front());
    }
    QString text;
    if (x.min == 0 && x.max == kInfinite)
        text = QStringLiteral("*");
    else if (x.min == 1 && x.max == kInfinite)
        text = QStringLiteral("+");
    else if (x.min == 0 && x.max == 1)
        text = QStringLiteral("?");
    else if (x.max == kInfinite)
        text = QStringLiteral("{%1,}").arg(x.min);
    else if (x.max == x.min)
        text = QStringLiteral("{%1}").arg(x.min);
    else
        text = QStringLiteral("{%1,%2}").arg(x.min).arg(x.max);
    if (x.lazy)
        text += u'?';
    put(text, x.source);
}

void Emitter::write(int n)
{
    const PatternNode &x = node(n);
    switch (x.kind) {
    case Kind::Empty:
        break;
    case Kind::Unit:
        emitUnit(x.unit, x.source);
        break;
    case Kind::Set:
        emitSet(x);
        break;
    case Kind::Disjunction:
        for (size_t i = 0; i < x.children.size(); ++i) {
            // PCRE2's JIT does not count a retry of a later alternative against the match
            // limit, so a row of groups with many alternatives backtracks for hours
            // inside one call; the callout there lets the clock and a cancel stop it.
            if (i > 0)
                put(u"|(?C)", node(x.children[i]).source);
            write(x.children[i]);
        }
        break;
    case Kind::Alternative:
        for (int c : x.children)
            write(c);
        break;
    case Kind::Group:
    case Kind::Lookahead:
    case Kind::Lookbehind: {
        const char16_t *open = x.kind == Kind::Group       ? (x.group > 0 ? u"(" : u"(?:")
                               : x.kind == Kind::Lookahead ? (x.negative ? u"(?!" : u"(?=")
                                                           : (x.negative ? u"(?<!" : u"(?<=");
        put(open, x.source);
        write(x.children.front());
        put(u")", x.source);
        break;
    }
    case Kind::Quantified:
        emitQuantified(x);
        break;
    case Kind::BackReference:
        put(QStringLiteral("\\g{%1}").arg(x.group), x.source);
        break;
    case Kind::LineStart:
        put(u"^", x.source);
        break;
    case Kind::LineEnd:
        put(u"\\z", x.source);
        break;
    case Kind::WordBoundary:
        put(u"\\b", x.source);
        break;
    case Kind::NotWordBoundary:
        put(u"\\B", x.source);
        break;
    }
}

} // namespace

TranslatedPattern EcmaPatternTranslator::translate(const ParsedPattern &parsed)
{
    TranslatedPattern out;
    if (parsed.root < 0)
        return out;
    out.exactConstruct = Analysis(parsed).exactConstruct(parsed.root);
    if (!out.exactConstruct.isEmpty())
        return out;
    Emitter(parsed, out).write(parsed.root);
    return out;
}
