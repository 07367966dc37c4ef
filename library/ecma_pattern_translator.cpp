#include "ecma_pattern_translator.h"

#include <QStringList>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

// The parser recurses per group, and callers may run on threads with small stacks
// (250 levels take less than 256 KB even in a debug build); PCRE2 defaults to 250 too.
constexpr int kMaxNesting = 250;
constexpr qint64 kMaxRepeat = 65535;
constexpr qint64 kInfinite = -1;

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
    RangeSet result;
    int next = 0;
    for (const Range &r : set) {
        if (r.first > next)
            result.emplace_back(next, r.first - 1);
        next = r.second + 1;
    }
    if (next <= 0xFFFF)
        result.emplace_back(next, 0xFFFF);
    return result;
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

// The fixed-length forms of a construct inside a lookbehind, for PCRE2, which takes
// only lookbehinds whose top-level alternatives each have one length.
struct Variants
{
    bool ok = true;
    QStringList texts;
};

constexpr qsizetype kMaxLookbehindVariants = 64;

Variants cross(const Variants &a, const Variants &b)
{
    if (!a.ok || !b.ok || a.texts.size() * b.texts.size() > kMaxLookbehindVariants)
        return {false, {}};
    Variants result;
    for (const QString &x : a.texts) {
        for (const QString &y : b.texts)
            result.texts.append(x + y);
    }
    return result;
}

Variants unite(Variants a, const Variants &b)
{
    if (!a.ok || !b.ok || a.texts.size() + b.texts.size() > kMaxLookbehindVariants)
        return {false, {}};
    a.texts.append(b.texts);
    return a;
}

struct Quantifier
{
    qint64 min = 0;
    qint64 max = kInfinite;
    bool lazy = false;
    qsizetype end = 0; // position after the quantifier
};

class Translator
{
public:
    explicit Translator(const QString &pattern)
        : m_src(pattern)
    {
    }

    TranslatedPattern run();

private:
    enum class TermKind
    {
        Single,
        Group,
        Lookahead,
        Lookbehind,
        Assertion,
        BackReference
    };

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
    void fail(const QString &message, qsizetype offset)
    {
        if (!failed())
            m_out.error = RegExpError{message, offset};
    }

    void put(QStringView text, qsizetype from);
    void emitUnit(char16_t c, qsizetype from);
    void emitSet(RangeSet set, qsizetype from);
    void insertAt(qsizetype outPos, QStringView text, qsizetype from);

    void prescan();
    bool readGroupName(qsizetype &p, QString &name) const;
    std::optional<Quantifier> quantifierAt(qsizetype p) const;

    // The Variants arguments are filled only inside a lookbehind (null elsewhere).
    void parseDisjunction(Variants *variants);
    void parseAlternative(bool topLevel, Variants *variants);
    // The functions on the recursion through groups keep their frames small; the work
    // that needs more room lives in helpers that are never inlined into them.
    TermKind parseTerm(Variants *variants);
    TermKind parseAtom();
    Q_NEVER_INLINE void parseQuantifier(TermKind kind, qsizetype start, qsizetype outStart);
    Q_NEVER_INLINE Variants termVariants(TermKind kind, qsizetype outStart,
                                         int capturesBefore) const;
    Q_NEVER_INLINE TermKind parseAtomEscape();
    TermKind parseGroup();
    Q_NEVER_INLINE std::optional<TermKind> openGroup();
    Q_NEVER_INLINE void spellOutLookbehind(qsizetype bodyStart, const Variants &body,
                                           qsizetype open);
    Q_NEVER_INLINE void failAt(const char *message, qsizetype offset);
    Q_NEVER_INLINE void parseClass();
    // One class atom: a single code unit, or a set for \d and friends.
    bool parseClassAtom(int &unit, std::optional<RangeSet> &set);
    char16_t parseLegacyOctal(qsizetype &p) const;

    const QString &m_src;
    qsizetype m_pos = 0;
    int m_depth = 0;
    int m_captures = 0;
    int m_lookbehindDepth = 0;
    qsizetype m_atomEnd = 0;
    std::optional<Quantifier> m_lastQuantifier;
    Variants m_groupVariants;
    bool m_hasNamedGroups = false;
    bool m_repeats = false;
    qsizetype m_calloutAt = 0;
    TranslatedPattern m_out;
};

void Translator::put(QStringView text, qsizetype from)
{
    m_out.pcre.append(text);
    m_out.sourceOffsets.insert(m_out.sourceOffsets.size(), text.size(), from);
}

void Translator::emitUnit(char16_t c, qsizetype from)
{
    if (isAsciiAlnum(c))
        put(QStringView(&c, 1), from);
    else
        put(QStringLiteral("\\x{%1}").arg(int(c), 0, 16), from);
}

void Translator::emitSet(RangeSet set, qsizetype from)
{
    normalize(set);
    if (set.empty()) {
        // A class that can match nothing; the group keeps a following quantifier legal.
        put(u"(?:(?!))", from);
        return;
    }
    if (set.size() == 1 && set.front().first == set.front().second) {
        emitUnit(char16_t(set.front().first), from);
        return;
    }
    put(u"[", from);
    for (const Range &r : set) {
        emitUnit(char16_t(r.first), from);
        if (r.second == r.first)
            continue;
        if (r.second > r.first + 1)
            put(u"-", from);
        emitUnit(char16_t(r.second), from);
    }
    put(u"]", from);
}

void Translator::insertAt(qsizetype outPos, QStringView text, qsizetype from)
{
    m_out.pcre.insert(outPos, text);
    m_out.sourceOffsets.insert(outPos, text.size(), from);
}

bool Translator::readGroupName(qsizetype &p, QString &name) const
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

void Translator::prescan()
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

std::optional<Quantifier> Translator::quantifierAt(qsizetype p) const
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

char16_t Translator::parseLegacyOctal(qsizetype &p) const
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

void Translator::parseDisjunction(Variants *variants)
{
    parseAlternative(false, variants);
    while (!failed() && has(m_pos) && at(m_pos) == u'|') {
        put(u"|", m_pos);
        ++m_pos;
        Variants alternative;
        parseAlternative(false, variants ? &alternative : nullptr);
        if (variants)
            *variants = unite(*variants, alternative);
    }
}

void Translator::parseAlternative(bool topLevel, Variants *variants)
{
    if (variants)
        *variants = {true, {QString()}};
    bool first = true;
    while (!failed() && has(m_pos) && at(m_pos) != u'|' && at(m_pos) != u')') {
        const bool repeatsBefore = m_repeats;
        Variants term;
        const TermKind kind = parseTerm(variants ? &term : nullptr);
        if (variants)
            *variants = cross(*variants, term);
        if (topLevel && first) {
            // A callout before a leading single-unit repeat would cost the JIT its
            // fast skipping of start positions; after it, every attempt still passes it.
            const bool leadingRepeat = kind == TermKind::Single && m_repeats && !repeatsBefore;
            m_calloutAt = leadingRepeat ? m_out.pcre.size() : 0;
        }
        first = false;
    }
}

Translator::TermKind Translator::parseTerm(Variants *variants)
{
    const qsizetype outStart = m_out.pcre.size();
    const int capturesBefore = m_captures;
    const qsizetype start = m_pos;
    const TermKind kind = parseAtom();
    m_atomEnd = m_out.pcre.size();
    m_lastQuantifier.reset();
    if (!failed() && has(m_pos))
        parseQuantifier(kind, start, outStart);
    if (variants && !failed())
        *variants = termVariants(kind, outStart, capturesBefore);
    return kind;
}

Variants Translator::termVariants(TermKind kind, qsizetype outStart, int capturesBefore) const
{
    // Captures would be numbered once per copy, and a back reference has no fixed length.
    if (m_captures != capturesBefore || kind == TermKind::BackReference)
        return {false, {}};
    if (kind == TermKind::Lookahead && m_lastQuantifier)
        return {true, {m_out.pcre.mid(outStart)}};
    const Variants atom = kind == TermKind::Group
                              ? m_groupVariants
                              : Variants{true, {m_out.pcre.mid(outStart, m_atomEnd - outStart)}};
    if (!m_lastQuantifier)
        return atom;
    const Quantifier &q = *m_lastQuantifier;
    if (!atom.ok || q.max == kInfinite || q.max - q.min >= kMaxLookbehindVariants)
        return {false, {}};
    Variants result{true, {}};
    if (atom.texts.size() == 1) {
        const QString &text = atom.texts.front();
        for (qint64 k = q.min; k <= q.max; ++k) {
            result.texts.append(k == 0   ? QString()
                                : k == 1 ? text
                                         : QStringLiteral("(?:%1){%2}").arg(text).arg(k));
        }
        return result;
    }
    Variants power{true, {QString()}};
    for (qint64 k = 0; k <= q.max && result.ok; ++k) {
        if (k >= q.min)
            result = unite(result, power);
        power = cross(power, atom);
    }
    return result;
}

void Translator::failAt(const char *message, qsizetype offset)
{
    fail(QString::fromLatin1(message), offset);
}

Translator::TermKind Translator::parseAtom()
{
    const char16_t c = at(m_pos);
    TermKind kind = TermKind::Single;
    switch (c) {
    case u'^':
        put(u"^", m_pos++);
        kind = TermKind::Assertion;
        break;
    case u'$':
        put(u"\\z", m_pos++);
        kind = TermKind::Assertion;
        break;
    case u'\\':
        kind = parseAtomEscape();
        break;
    case u'(':
        kind = parseGroup();
        break;
    case u'[':
        parseClass();
        break;
    case u'.':
        put(u"[^\\x{a}\\x{d}\\x{2028}\\x{2029}]", m_pos++);
        break;
    case u'*':
    case u'+':
    case u'?':
        failAt("Nothing to repeat", m_pos);
        break;
    case u'{':
        if (quantifierAt(m_pos)) {
            failAt("Nothing to repeat", m_pos);
            break;
        }
        emitUnit(c, m_pos++);
        break;
    default:
        emitUnit(c, m_pos++);
        break;
    }
    return kind;
}

void Translator::parseQuantifier(TermKind kind, qsizetype start, qsizetype outStart)
{
    const std::optional<Quantifier> q = quantifierAt(m_pos);
    if (!q)
        return;
    const qsizetype qPos = m_pos;
    if (kind == TermKind::Assertion || kind == TermKind::Lookbehind) {
        fail(QStringLiteral("Nothing to repeat"), qPos);
        return;
    }
    if (q->max != kInfinite && q->max < q->min) {
        fail(QStringLiteral("numbers out of order in {} quantifier"), qPos);
        return;
    }
    if (q->min > kMaxRepeat || q->max > kMaxRepeat) {
        fail(QStringLiteral("Repeat counts above %1 are not supported").arg(kMaxRepeat), qPos);
        return;
    }
    m_pos = q->end;
    m_lastQuantifier = q;
    if (kind == TermKind::Lookahead) {
        // A lookahead matches no text, so an optional one is skipped (its captures stay
        // unset) and a required one is tested once.
        if (q->min == 0) {
            insertAt(outStart, u"(?:", start);
            put(u"){0}", qPos);
        }
        return;
    }
    if (kind == TermKind::BackReference) {
        // WORKAROUND: PCRE2 10.42's JIT mishandles a directly repeated back reference.
        insertAt(outStart, u"(?:", start);
        put(u")", qPos);
    }
    QString text;
    if (q->min == 0 && q->max == kInfinite)
        text = QStringLiteral("*");
    else if (q->min == 1 && q->max == kInfinite)
        text = QStringLiteral("+");
    else if (q->min == 0 && q->max == 1)
        text = QStringLiteral("?");
    else if (q->max == kInfinite)
        text = QStringLiteral("{%1,}").arg(q->min);
    else if (q->max == q->min)
        text = QStringLiteral("{%1}").arg(q->min);
    else
        text = QStringLiteral("{%1,%2}").arg(q->min).arg(q->max);
    if (q->lazy)
        text += u'?';
    put(text, qPos);
    if (q->max != 0)
        m_repeats = true;
    return;
}

Translator::TermKind Translator::parseAtomEscape()
{
    const qsizetype start = m_pos;
    if (!has(m_pos + 1)) {
        fail(QStringLiteral("\\ at end of pattern"), start);
        return TermKind::Single;
    }
    const char16_t c = at(m_pos + 1);
    if (c == u'b' || c == u'B') {
        put(c == u'b' ? u"\\b" : u"\\B", start);
        m_pos += 2;
        return TermKind::Assertion;
    }
    if (std::optional<RangeSet> set = classEscapeSet(c)) {
        emitSet(*set, start);
        m_pos += 2;
        return TermKind::Single;
    }
    if (c >= u'1' && c <= u'9') {
        qsizetype p = m_pos + 1;
        qint64 number = 0;
        while (has(p) && isDecimal(at(p))) {
            number = std::min<qint64>(number * 10 + (at(p) - u'0'), qint64(1) << 40);
            ++p;
        }
        if (number <= m_out.captureCount) {
            put(QStringLiteral("\\g{%1}").arg(number), start);
            m_pos = p;
            return TermKind::BackReference;
        }
        // Not a group: \8 and \9 are the digits, the rest a legacy octal escape.
        m_pos += 1;
        if (c >= u'8') {
            emitUnit(c, start);
            m_pos += 1;
        } else {
            emitUnit(parseLegacyOctal(m_pos), start);
        }
        return TermKind::Single;
    }
    if (c == u'0') {
        m_pos += 1;
        emitUnit(parseLegacyOctal(m_pos), start);
        return TermKind::Single;
    }
    if (c == u'k' && m_hasNamedGroups) {
        qsizetype p = m_pos + 3;
        QString name;
        if (at(m_pos + 2) != u'<' || !readGroupName(p, name)) {
            fail(QStringLiteral("Invalid named reference"), start);
            return TermKind::Single;
        }
        const auto group = m_out.groupNames.constFind(name);
        if (group == m_out.groupNames.cend()) {
            fail(QStringLiteral("Invalid named capture referenced"), start);
            return TermKind::Single;
        }
        put(QStringLiteral("\\g{%1}").arg(*group), start);
        m_pos = p;
        return TermKind::BackReference;
    }
    if (c == u'c') {
        if (isAsciiLetter(at(m_pos + 2)) && has(m_pos + 2)) {
            emitUnit(at(m_pos + 2) % 32, start);
            m_pos += 3;
        } else {
            // "\c" without a letter: the backslash stands for itself.
            emitUnit(u'\\', start);
            m_pos += 1;
        }
        return TermKind::Single;
    }
    if (std::optional<char16_t> control = controlEscape(c)) {
        emitUnit(*control, start);
        m_pos += 2;
        return TermKind::Single;
    }
    if (c == u'x' || c == u'u') {
        const int digits = c == u'x' ? 2 : 4;
        if (const std::optional<char16_t> value = hexDigitsAt(m_pos + 2, digits)) {
            emitUnit(*value, start);
            m_pos += 2 + digits;
        } else {
            emitUnit(c, start);
            m_pos += 2;
        }
        return TermKind::Single;
    }
    emitUnit(c, start);
    m_pos += 2;
    return TermKind::Single;
}

std::optional<Translator::TermKind> Translator::openGroup()
{
    const qsizetype open = m_pos;
    if (at(m_pos + 1) != u'?') {
        put(u"(", open);
        ++m_captures;
        m_pos += 1;
        return TermKind::Group;
    }
    const char16_t c = at(m_pos + 2);
    const char16_t d = at(m_pos + 3);
    if (c == u':') {
        put(u"(?:", open);
        m_pos += 3;
        return TermKind::Group;
    }
    if (c == u'=' || c == u'!') {
        put(c == u'=' ? u"(?=" : u"(?!", open);
        m_pos += 3;
        return TermKind::Lookahead;
    }
    if (c == u'<' && (d == u'=' || d == u'!')) {
        put(d == u'=' ? u"(?<=" : u"(?<!", open);
        m_pos += 4;
        return TermKind::Lookbehind;
    }
    if (c == u'<') {
        qsizetype p = m_pos + 3;
        QString name;
        if (!readGroupName(p, name)) {
            failAt("Invalid capture group name", m_pos + 3);
            return std::nullopt;
        }
        put(u"(", open);
        ++m_captures;
        m_pos = p;
        return TermKind::Group;
    }
    failAt("Invalid group", open);
    return std::nullopt;
}

void Translator::spellOutLookbehind(qsizetype bodyStart, const Variants &body, qsizetype open)
{
    // The same assertion spelt as alternatives of one length each; without captures only
    // whether some alternative matches counts, so nothing else changes.
    const QString alternatives = body.texts.join(u'|');
    const qsizetype length = m_out.pcre.size() - bodyStart;
    m_out.pcre.replace(bodyStart, length, alternatives);
    m_out.sourceOffsets.remove(bodyStart, length);
    m_out.sourceOffsets.insert(bodyStart, alternatives.size(), open);
}

Translator::TermKind Translator::parseGroup()
{
    const qsizetype open = m_pos;
    const std::optional<TermKind> opened = openGroup();
    if (!opened)
        return TermKind::Group;
    const TermKind kind = *opened;
    if (++m_depth > kMaxNesting) {
        failAt("Groups nested too deeply", open);
        return kind;
    }
    const qsizetype bodyStart = m_out.pcre.size();
    if (kind == TermKind::Lookbehind)
        ++m_lookbehindDepth;
    Variants body;
    parseDisjunction(m_lookbehindDepth > 0 ? &body : nullptr);
    if (kind == TermKind::Lookbehind)
        --m_lookbehindDepth;
    --m_depth;
    if (failed())
        return kind;
    if (!has(m_pos)) {
        failAt("Unterminated group", open);
        return kind;
    }
    if (kind == TermKind::Lookbehind && body.ok && body.texts.size() > 1)
        spellOutLookbehind(bodyStart, body, open);
    m_groupVariants = std::move(body);
    put(u")", m_pos++);
    return kind;
}

bool Translator::parseClassAtom(int &unit, std::optional<RangeSet> &set)
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

void Translator::parseClass()
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
            return;
        }
        if (at(m_pos) == u']') {
            ++m_pos;
            break;
        }
        int first = 0;
        std::optional<RangeSet> firstSet;
        if (!parseClassAtom(first, firstSet))
            return;
        if (at(m_pos) == u'-' && has(m_pos + 1) && at(m_pos + 1) != u']') {
            const qsizetype dash = m_pos;
            ++m_pos;
            int last = 0;
            std::optional<RangeSet> lastSet;
            if (!parseClassAtom(last, lastSet))
                return;
            if (firstSet || lastSet) {
                // A class escape cannot bound a range: both sides and the "-" are members.
                addMember(set, first, firstSet);
                addMember(set, last, lastSet);
                set.emplace_back(u'-', u'-');
                continue;
            }
            if (first > last) {
                fail(QStringLiteral("Range out of order in character class"), dash);
                return;
            }
            set.emplace_back(first, last);
            continue;
        }
        addMember(set, first, firstSet);
    }
    emitSet(negated ? complement(std::move(set)) : std::move(set), open);
}

TranslatedPattern Translator::run()
{
    prescan();
    if (failed())
        return m_out;
    int alternatives = 1;
    parseAlternative(true, nullptr);
    while (!failed() && has(m_pos)) {
        if (at(m_pos) == u')') {
            fail(QStringLiteral("Unmatched ')'"), m_pos);
            break;
        }
        put(u"|", m_pos);
        ++m_pos;
        ++alternatives;
        parseAlternative(false, nullptr);
    }
    if (failed()) {
        m_out.pcre.clear();
        m_out.sourceOffsets.clear();
        return m_out;
    }
    m_out.sourceOffsets.append(m_src.size());
    // Without a repeat every attempt is bounded by the pattern's length; only patterns
    // that can run away need the callout that checks the deadline.
    if (m_repeats) {
        if (alternatives > 1) {
            insertAt(0, u"(?C)(?:", 0);
            insertAt(m_out.pcre.size(), u")", m_src.size());
        } else {
            insertAt(m_calloutAt, u"(?C)", m_out.sourceOffsets.at(m_calloutAt));
        }
    }
    return m_out;
}

} // namespace

TranslatedPattern EcmaPatternTranslator::translate(const QString &pattern)
{
    return Translator(pattern).run();
}
