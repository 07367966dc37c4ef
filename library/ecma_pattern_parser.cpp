#include "ecma_pattern_parser.h"

#include <algorithm>
#include <optional>

namespace {

// The parser, the translation and the matcher's compiler recurse per group, and callers
// may run on threads with small stacks; PCRE2 defaults to 250 too.
constexpr int kMaxNesting = 250;
constexpr qint64 kInfinite = PatternNode::kInfinite;
using Kind = PatternNode::Kind;

using Range = std::pair<int, int>; // inclusive, code units
using RangeSet = std::vector<Range>;

bool isAsciiAlnum(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isDecimal(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isOctal(char16_t c)
{
    return c >= u'0' && c <= u'7';
}

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

void normalize(RangeSet &set)
{
    std::sort(set.begin(), set.end());
    RangeSet merged;
    for (const Range &r : set) {
        if (!merged.empty() && r.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, r.second);
        else
            merged.push_back(r);
    }
    set = std::move(merged);
}

RangeSet complement(RangeSet set)
{
    normalize(set);
    return UnitRanges::complement(set);
}

RangeSet digitSet()
{
    return {{'0', '9'}};
}

RangeSet wordSet()
{
    return {{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}};
}

RangeSet spaceSet()
{
    return {{0x09, 0x0D},     {0x20, 0x20},     {0xA0, 0xA0},     {0x1680, 0x1680},
            {0x2000, 0x200A}, {0x2028, 0x2029}, {0x202F, 0x202F}, {0x205F, 0x205F},
            {0x3000, 0x3000}, {0xFEFF, 0xFEFF}};
}

// \d \D \s \S \w \W, or nothing for any other letter.
std::optional<RangeSet> classEscapeSet(char16_t c)
{
    switch (c) {
    case u'd':
        return digitSet();
    case u'D':
        return complement(digitSet());
    case u's':
        return spaceSet();
    case u'S':
        return complement(spaceSet());
    case u'w':
        return wordSet();
    case u'W':
        return complement(wordSet());
    default:
        return std::nullopt;
    }
}

std::optional<char16_t> controlEscape(char16_t c)
{
    switch (c) {
    case u'f':
        return u'\f';
    case u'n':
        return u'\n';
    case u'r':
        return u'\r';
    case u't':
        return u'\t';
    case u'v':
        return u'\v';
    default:
        return std::nullopt;
    }
}

// Group names are identifiers: ID_Start and ID_Continue, with their Other_ additions
// (the kana sound marks among them).
bool isIdStart(char32_t c)
{
    if (c == u'$' || c == u'_')
        return true;
    if (c < 0x80)
        return isAsciiLetter(char16_t(c));
    if (c == 0x1885 || c == 0x1886 || c == 0x2118 || c == 0x212E || c == 0x309B || c == 0x309C)
        return true;
    return QChar::isLetter(c) || QChar::category(c) == QChar::Number_Letter;
}

bool isIdPart(char32_t c)
{
    if (isIdStart(c) || (c < 0x80 && isDecimal(char16_t(c))) || c == 0x200C || c == 0x200D)
        return true;
    if (c == 0x00B7 || c == 0x0387 || (c >= 0x1369 && c <= 0x1371) || c == 0x19DA)
        return true;
    if (c < 0x80)
        return false;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Number_DecimalDigit:
    case QChar::Punctuation_Connector:
        return true;
    default:
        return false;
    }
}

void addMember(RangeSet &set, int unit, const std::optional<RangeSet> &escapeSet)
{
    if (escapeSet)
        set.insert(set.end(), escapeSet->begin(), escapeSet->end());
    else
        set.emplace_back(unit, unit);
}

struct Quantifier
{
    qint64 min = 0;
    qint64 max = kInfinite;
    bool lazy = false;
    qsizetype end = 0; // position after the quantifier
};

class Parser
{
public:
    explicit Parser(const QString &pattern)
        : m_src(pattern)
    {
    }

    ParsedPattern run();

private:
    char16_t at(qsizetype i) const { return i < m_src.size() ? m_src[i].unicode() : u'\0'; }
    bool has(qsizetype i) const { return i < m_src.size(); }
    // The code unit that exactly `digits` hex digits at i spell; nullopt when one is missing.
    std::optional<char16_t> hexDigitsAt(qsizetype i, int digits) const
    {
        int value = 0;
        for (qsizetype p = i; p < i + digits; ++p) {
            if (!has(p) || hexValue(at(p)) < 0)
                return std::nullopt;
            value = value * 16 + hexValue(at(p));
        }
        return char16_t(value);
    }
    bool failed() const { return m_out.error.isSet(); }
    Q_NEVER_INLINE void fail(const QString &message, qsizetype offset)
    {
        if (!failed())
            m_out.error = RegExpError{message, offset};
    }
    PatternNode &node(int index) { return m_out.nodes[size_t(index)]; }
    int add(Kind kind, qsizetype source)
    {
        PatternNode n;
        n.kind = kind;
        n.source = source;
        n.firstCapture = m_captures + 1;
        m_out.nodes.push_back(std::move(n));
        return int(m_out.nodes.size() - 1);
    }
    int addUnit(char16_t c, qsizetype source)
    {
        const int n = add(Kind::Unit, source);
        node(n).unit = c;
        return n;
    }
    int addSet(RangeSet set, qsizetype source)
    {
        normalize(set);
        const int n = add(Kind::Set, source);
        node(n).ranges = std::move(set);
        return n;
    }
    void closeCaptures(int n) { node(n).captureCount = m_captures + 1 - node(n).firstCapture; }

    void prescan();
    bool readGroupName(qsizetype &p, QString &name) const;
    std::optional<Quantifier> quantifierAt(qsizetype p) const;

    int parseDisjunction();
    int parseAlternative();
    int parseTerm();
    int parseAtom(bool &quantifiable);
    Q_NEVER_INLINE int parseAtomEscape(bool &quantifiable);
    int parseGroup(bool &quantifiable);
    Q_NEVER_INLINE int parseClass();
    // One class atom: a single code unit, or a set for \d and friends.
    bool parseClassAtom(int &unit, std::optional<RangeSet> &set);
    char16_t parseLegacyOctal(qsizetype &p) const;

    const QString &m_src;
    qsizetype m_pos = 0;
    int m_depth = 0;
    int m_captures = 0;
    bool m_hasNamedGroups = false;
    ParsedPattern m_out;
};

bool Parser::readGroupName(qsizetype &p, QString &name) const
{
    name.clear();
    while (true) {
        if (!has(p))
            return false;
        char32_t c = at(p);
        if (c == u'>') {
            ++p;
            return !name.isEmpty();
        }
        qsizetype next = p + 1;
        if (c == u'\\') {
            if (at(p + 1) != u'u')
                return false;
            c = 0;
            if (at(p + 2) == u'{') {
                qsizetype q = p + 3;
                while (has(q) && hexValue(at(q)) >= 0 && c <= 0x10FFFF)
                    c = c * 16 + char32_t(hexValue(at(q++)));
                if (q == p + 3 || at(q) != u'}' || c > 0x10FFFF)
                    return false;
                next = q + 1;
            } else {
                const std::optional<char16_t> unit = hexDigitsAt(p + 2, 4);
                if (!unit)
                    return false;
                c = *unit;
                next = p + 6;
            }
        } else if (QChar::isHighSurrogate(c) && QChar::isLowSurrogate(at(p + 1))) {
            c = QChar::surrogateToUcs4(char16_t(c), at(p + 1));
            next = p + 2;
        }
        if (name.isEmpty() ? !isIdStart(c) : !isIdPart(c))
            return false;
        name.append(QString::fromUcs4(&c, 1));
        p = next;
    }
}

void Parser::prescan()
{
    bool inClass = false;
    for (qsizetype i = 0; i < m_src.size(); ++i) {
        const char16_t c = at(i);
        if (c == u'\\') {
            ++i;
        } else if (inClass) {
            inClass = c != u']';
        } else if (c == u'[') {
            inClass = true;
        } else if (c == u'(') {
            if (at(i + 1) != u'?') {
                ++m_out.captureCount;
            } else if (at(i + 2) == u'<' && at(i + 3) != u'=' && at(i + 3) != u'!') {
                ++m_out.captureCount;
                m_hasNamedGroups = true;
                qsizetype p = i + 3;
                QString name;
                if (!readGroupName(p, name))
                    return fail(QStringLiteral("Invalid capture group name"), i + 3);
                if (m_out.groupNames.contains(name))
                    return fail(QStringLiteral("Duplicate capture group name"), i + 3);
                m_out.groupNames.insert(name, m_out.captureCount);
                i = p - 1;
            }
        }
    }
}

std::optional<Quantifier> Parser::quantifierAt(qsizetype p) const
{
    Quantifier q;
    switch (at(p)) {
    case u'*':
        q.end = p + 1;
        break;
    case u'+':
        q.min = 1;
        q.end = p + 1;
        break;
    case u'?':
        q.max = 1;
        q.end = p + 1;
        break;
    case u'{': {
        // Counts saturate: anything this large is reported as unsupported anyway.
        auto readNumber = [this](qsizetype &i, qint64 &value) {
            const qsizetype start = i;
            value = 0;
            while (isDecimal(at(i)) && has(i)) {
                value = std::min<qint64>(value * 10 + (at(i) - u'0'), qint64(1) << 40);
                ++i;
            }
            return i > start;
        };
        qsizetype i = p + 1;
        if (!readNumber(i, q.min))
            return std::nullopt;
        if (at(i) == u'}') {
            q.max = q.min;
        } else if (at(i) == u',') {
            ++i;
            if (at(i) != u'}' && !readNumber(i, q.max))
                return std::nullopt;
        }
        if (at(i) != u'}' || !has(i))
            return std::nullopt;
        q.end = i + 1;
        break;
    }
    default:
        return std::nullopt;
    }
    if (at(q.end) == u'?' && has(q.end)) {
        q.lazy = true;
        ++q.end;
    }
    return q;
}

char16_t Parser::parseLegacyOctal(qsizetype &p) const
{
    const char16_t first = at(p);
    int value = first - u'0';
    ++p;
    if (has(p) && isOctal(at(p))) {
        value = value * 8 + (at(p) - u'0');
        ++p;
        if (first <= u'3' && has(p) && isOctal(at(p))) {
            value = value * 8 + (at(p) - u'0');
            ++p;
        }
    }
    return char16_t(value);
}

bool Parser::parseClassAtom(int &unit, std::optional<RangeSet> &set)
{
    set.reset();
    const char16_t c = at(m_pos);
    if (c != u'\\') {
        unit = c;
        ++m_pos;
        return true;
    }
    if (!has(m_pos + 1)) {
        fail(QStringLiteral("\\ at end of pattern"), m_pos);
        return false;
    }
    const char16_t e = at(m_pos + 1);
    if ((set = classEscapeSet(e))) {
        m_pos += 2;
        return true;
    }
    if (e == u'b') {
        unit = 0x08;
        m_pos += 2;
    } else if (e == u'c') {
        const char16_t x = at(m_pos + 2);
        if (has(m_pos + 2) && (isAsciiAlnum(x) || x == u'_')) {
            unit = x % 32;
            m_pos += 3;
        } else {
            unit = u'\\';
            m_pos += 1;
        }
    } else if (isOctal(e)) {
        m_pos += 1;
        unit = parseLegacyOctal(m_pos);
    } else if (std::optional<char16_t> control = controlEscape(e)) {
        unit = *control;
        m_pos += 2;
    } else if (e == u'x' || e == u'u') {
        const int digits = e == u'x' ? 2 : 4;
        const std::optional<char16_t> value = hexDigitsAt(m_pos + 2, digits);
        unit = value.value_or(e);
        m_pos += value ? 2 + digits : 2;
    } else if (e == u'k' && m_hasNamedGroups) {
        fail(QStringLiteral("Invalid escape"), m_pos);
        return false;
    } else {
        unit = e;
        m_pos += 2;
    }
    return true;
}

int Parser::parseDisjunction()
{
    const qsizetype start = m_pos;
    const int capturesBefore = m_captures;
    std::vector<int> alternatives{parseAlternative()};
    while (!failed() && has(m_pos) && at(m_pos) == u'|') {
        ++m_pos;
        alternatives.push_back(parseAlternative());
    }
    if (alternatives.size() == 1)
        return alternatives.front();
    const int n = add(Kind::Disjunction, start);
    node(n).firstCapture = capturesBefore + 1;
    closeCaptures(n);
    node(n).children = std::move(alternatives);
    return n;
}

int Parser::parseAlternative()
{
    const qsizetype start = m_pos;
    const int capturesBefore = m_captures;
    std::vector<int> terms;
    while (!failed() && has(m_pos) && at(m_pos) != u'|' && at(m_pos) != u')')
        terms.push_back(parseTerm());
    if (terms.size() == 1)
        return terms.front();
    const int n = add(terms.empty() ? Kind::Empty : Kind::Alternative, start);
    node(n).firstCapture = capturesBefore + 1;
    closeCaptures(n);
    node(n).children = std::move(terms);
    return n;
}

int Parser::parseTerm()
{
    const qsizetype start = m_pos;
    const int capturesBefore = m_captures;
    bool quantifiable = true;
    const int atom = parseAtom(quantifiable);
    if (failed() || !has(m_pos))
        return atom;
    const std::optional<Quantifier> q = quantifierAt(m_pos);
    if (!q)
        return atom;
    if (!quantifiable) {
        fail(QStringLiteral("Nothing to repeat"), m_pos);
        return atom;
    }
    if (q->max != kInfinite && q->max < q->min) {
        fail(QStringLiteral("numbers out of order in {} quantifier"), m_pos);
        return atom;
    }
    m_pos = q->end;
    const int n = add(Kind::Quantified, start);
    PatternNode &quantified = node(n);
    quantified.min = q->min;
    quantified.max = q->max;
    quantified.lazy = q->lazy;
    quantified.firstCapture = capturesBefore + 1;
    quantified.children = {atom};
    closeCaptures(n);
    return n;
}

int Parser::parseAtom(bool &quantifiable)
{
    const qsizetype start = m_pos;
    const char16_t c = at(m_pos);
    switch (c) {
    case u'^':
        ++m_pos;
        quantifiable = false;
        return add(Kind::LineStart, start);
    case u'$':
        ++m_pos;
        quantifiable = false;
        return add(Kind::LineEnd, start);
    case u'\\':
        return parseAtomEscape(quantifiable);
    case u'(':
        return parseGroup(quantifiable);
    case u'[':
        return parseClass();
    case u'.': {
        ++m_pos;
        const int n = addSet(complement({{0x0A, 0x0A}, {0x0D, 0x0D}, {0x2028, 0x2029}}), start);
        node(n).dot = true;
        return n;
    }
    case u'*':
    case u'+':
    case u'?':
        fail(QStringLiteral("Nothing to repeat"), m_pos);
        return add(Kind::Empty, start);
    case u'{':
        if (quantifierAt(m_pos)) {
            fail(QStringLiteral("Nothing to repeat"), m_pos);
            return add(Kind::Empty, start);
        }
        break;
    default:
        break;
    }
    ++m_pos;
    return addUnit(c, start);
}

int Parser::parseAtomEscape(bool &quantifiable)
{
    const qsizetype start = m_pos;
    if (!has(m_pos + 1)) {
        fail(QStringLiteral("\\ at end of pattern"), start);
        return add(Kind::Empty, start);
    }
    const char16_t c = at(m_pos + 1);
    if (c == u'b' || c == u'B') {
        m_pos += 2;
        quantifiable = false;
        return add(c == u'b' ? Kind::WordBoundary : Kind::NotWordBoundary, start);
    }
    if (std::optional<RangeSet> set = classEscapeSet(c)) {
        m_pos += 2;
        return addSet(std::move(*set), start);
    }
    if (c >= u'1' && c <= u'9') {
        qsizetype p = m_pos + 1;
        qint64 number = 0;
        while (has(p) && isDecimal(at(p))) {
            number = std::min<qint64>(number * 10 + (at(p) - u'0'), qint64(1) << 40);
            ++p;
        }
        if (number <= m_out.captureCount) {
            m_pos = p;
            const int n = add(Kind::BackReference, start);
            node(n).group = int(number);
            return n;
        }
        // Not a group: \8 and \9 are the digits, the rest a legacy octal escape.
        m_pos += 1;
        if (c >= u'8') {
            m_pos += 1;
            return addUnit(c, start);
        }
        return addUnit(parseLegacyOctal(m_pos), start);
    }
    if (c == u'0') {
        m_pos += 1;
        return addUnit(parseLegacyOctal(m_pos), start);
    }
    if (c == u'k' && m_hasNamedGroups) {
        qsizetype p = m_pos + 3;
        QString name;
        if (at(m_pos + 2) != u'<' || !readGroupName(p, name)) {
            fail(QStringLiteral("Invalid named reference"), start);
            return add(Kind::Empty, start);
        }
        const auto group = m_out.groupNames.constFind(name);
        if (group == m_out.groupNames.cend()) {
            fail(QStringLiteral("Invalid named capture referenced"), start);
            return add(Kind::Empty, start);
        }
        m_pos = p;
        const int n = add(Kind::BackReference, start);
        node(n).group = *group;
        return n;
    }
    if (c == u'c') {
        if (isAsciiLetter(at(m_pos + 2)) && has(m_pos + 2)) {
            m_pos += 3;
            return addUnit(at(m_pos - 1) % 32, start);
        }
        // "\c" without a letter: the backslash stands for itself.
        m_pos += 1;
        return addUnit(u'\\', start);
    }
    if (std::optional<char16_t> control = controlEscape(c)) {
        m_pos += 2;
        return addUnit(*control, start);
    }
    if (c == u'x' || c == u'u') {
        const int digits = c == u'x' ? 2 : 4;
        if (const std::optional<char16_t> value = hexDigitsAt(m_pos + 2, digits)) {
            m_pos += 2 + digits;
            return addUnit(*value, start);
        }
        m_pos += 2;
        return addUnit(c, start);
    }
    m_pos += 2;
    return addUnit(c, start);
}

int Parser::parseGroup(bool &quantifiable)
{
    const qsizetype open = m_pos;
    Kind kind = Kind::Group;
    bool negative = false;
    bool capturing = false;
    const char16_t c = at(m_pos + 1) == u'?' ? at(m_pos + 2) : u'\0';
    const char16_t d = at(m_pos + 3);
    if (at(m_pos + 1) != u'?') {
        capturing = true;
        m_pos += 1;
    } else if (c == u':') {
        m_pos += 3;
    } else if (c == u'=' || c == u'!') {
        kind = Kind::Lookahead;
        negative = c == u'!';
        m_pos += 3;
    } else if (c == u'<' && (d == u'=' || d == u'!')) {
        kind = Kind::Lookbehind;
        negative = d == u'!';
        quantifiable = false;
        m_pos += 4;
    } else if (c == u'<') {
        qsizetype p = m_pos + 3;
        QString name;
        if (!readGroupName(p, name)) {
            fail(QStringLiteral("Invalid capture group name"), m_pos + 3);
            return add(Kind::Empty, open);
        }
        capturing = true;
        m_pos = p;
    } else {
        fail(QStringLiteral("Invalid group"), open);
        return add(Kind::Empty, open);
    }
    const int n = add(kind, open);
    node(n).negative = negative;
    if (capturing)
        node(n).group = ++m_captures;
    if (++m_depth > kMaxNesting) {
        fail(QStringLiteral("Groups nested too deeply"), open);
        return n;
    }
    const int body = parseDisjunction();
    --m_depth;
    node(n).children = {body};
    closeCaptures(n);
    if (failed())
        return n;
    if (!has(m_pos)) {
        fail(QStringLiteral("Unterminated group"), open);
        return n;
    }
    ++m_pos; // ")"
    return n;
}

int Parser::parseClass()
{
    const qsizetype open = m_pos;
    ++m_pos;
    bool negated = false;
    if (at(m_pos) == u'^' && has(m_pos)) {
        negated = true;
        ++m_pos;
    }
    RangeSet set;
    while (true) {
        if (!has(m_pos)) {
            fail(QStringLiteral("Unterminated character class"), open);
            return add(Kind::Empty, open);
        }
        if (at(m_pos) == u']') {
            ++m_pos;
            break;
        }
        int first = 0;
        std::optional<RangeSet> firstSet;
        if (!parseClassAtom(first, firstSet))
            return add(Kind::Empty, open);
        if (at(m_pos) == u'-' && has(m_pos + 1) && at(m_pos + 1) != u']') {
            const qsizetype dash = m_pos;
            ++m_pos;
            int last = 0;
            std::optional<RangeSet> lastSet;
            if (!parseClassAtom(last, lastSet))
                return add(Kind::Empty, open);
            if (firstSet || lastSet) {
                // A class escape cannot bound a range: both sides and the "-" are members.
                addMember(set, first, firstSet);
                addMember(set, last, lastSet);
                set.emplace_back(u'-', u'-');
                continue;
            }
            if (first > last) {
                fail(QStringLiteral("Range out of order in character class"), dash);
                return add(Kind::Empty, open);
            }
            set.emplace_back(first, last);
            continue;
        }
        addMember(set, first, firstSet);
    }
    return addSet(negated ? complement(std::move(set)) : std::move(set), open);
}

ParsedPattern Parser::run()
{
    prescan();
    if (failed())
        return std::move(m_out);
    m_out.root = parseDisjunction();
    if (!failed() && has(m_pos))
        fail(QStringLiteral("Unmatched ')'"), m_pos);
    if (failed()) {
        m_out.nodes.clear();
        m_out.root = -1;
    }
    return std::move(m_out);
}

} // namespace

UnitRanges::List UnitRanges::complement(const List &ranges)
{
    List result;
    int next = 0;
    for (const auto &[first, last] : ranges) {
        if (first > next)
            result.emplace_back(next, first - 1);
        next = last + 1;
    }
    if (next <= 0xFFFF)
        result.emplace_back(next, 0xFFFF);
    return result;
}

void UnitRanges::fillTable(const List &ranges, uint64_t *table)
{
    for (const auto &[first, last] : ranges) {
        // Whole words where the range covers them: "[^a]" spans almost every unit.
        for (int c = first; c <= last;) {
            if ((c & 63) == 0 && last - c >= 63) {
                table[c >> 6] = ~uint64_t(0);
                c += 64;
            } else {
                table[c >> 6] |= uint64_t(1) << (c & 63);
                ++c;
            }
        }
    }
}

ParsedPattern EcmaPatternParser::parse(const QString &pattern)
{
    return Parser(pattern).run();
}
