#include "ecma_pattern_generator.h"

#include <QStringList>

EcmaPatternGenerator::EcmaPatternGenerator(quint32 seed, Flavour flavour)
    : m_random(seed)
    , m_flavour(flavour)
{
}

QString EcmaPatternGenerator::pattern()
{
    m_groups = 0;
    m_named = false;
    return disjunction(0);
}

QString EcmaPatternGenerator::subject()
{
    // Few distinct units, so that repeats, back references and lookbehinds find work.
    static const QString mixed = u"aabbcAB01 -_\n\t.あ"_qs;
    static const QString narrow = u"aaabbbc1 01"_qs;
    const QString &alphabet = m_flavour == Flavour::Mixed ? mixed : narrow;
    QString s;
    const int length = int(m_random.bounded(m_flavour == Flavour::Mixed ? 13 : 11));
    for (int i = 0; i < length; ++i)
        s += alphabet[pick(int(alphabet.size()))];
    return s;
}

QString EcmaPatternGenerator::replacement()
{
    if (m_flavour == Flavour::Backtracking && pick(4) != 0)
        return u"[$&|$1|$2|$3|$<n>]"_qs;
    static const QStringList pieces = {u"["_qs,   u"]"_qs,  u"$&"_qs, u"$1"_qs, u"$2"_qs,
                                       u"$10"_qs, u"$$"_qs, u"$`"_qs, u"$'"_qs, u"$<n>"_qs,
                                       u"$0"_qs,  u"x"_qs,  u"$"_qs,  u"$<"_qs, u"$02"_qs};
    QString s;
    const int count = pick(4);
    for (int i = 0; i < count; ++i)
        s += pieces[pick(int(pieces.size()))];
    return s;
}

QString EcmaPatternGenerator::disjunction(int depth)
{
    QString s = alternative(depth);
    const int more = m_flavour == Flavour::Mixed ? 6 : 3;
    while (pick(more) == 0)
        s += u'|' + alternative(depth);
    return s;
}

QString EcmaPatternGenerator::alternative(int depth)
{
    // Empty alternatives make empty iterations.
    if (m_flavour == Flavour::Backtracking && depth > 0 && pick(6) == 0)
        return {};
    QString s;
    const int terms = 1 + pick(m_flavour == Flavour::Mixed ? 4 : 3);
    for (int i = 0; i < terms; ++i)
        s += term(depth);
    return s;
}

QString EcmaPatternGenerator::term(int depth)
{
    bool quantifiable = true;
    const QString a = atom(depth, quantifiable);
    const int chance = m_flavour == Flavour::Mixed ? 3 : 2;
    if (!quantifiable || pick(chance) == 0)
        return a;
    // Large counts only on a single unit: on a group the script engine can take hours.
    const bool single = !a.startsWith(u'(');
    return a + quantifier(single);
}

QString EcmaPatternGenerator::atom(int depth, bool &quantifiable)
{
    static const QStringList assertions = {u"^"_qs, u"$"_qs, u"\\b"_qs, u"\\B"_qs};
    if (pick(12) == 0) {
        quantifiable = false;
        return assertions[pick(int(assertions.size()))];
    }
    const bool shallow = depth >= 3;
    int kind = shallow ? pick(6) : pick(10);
    if (m_flavour == Flavour::Backtracking && !shallow && kind < 3 && pick(2) == 0)
        kind = 6 + pick(4); // more groups, lookarounds and back references
    switch (kind) {
    case 0:
    case 1:
    case 2:
        return literal();
    case 3:
        return u"."_qs;
    case 4:
        return characterClass();
    case 5:
        return escape();
    case 6:
        ++m_groups;
        return u'(' + disjunction(depth + 1) + u')';
    case 7:
        if (!m_named && pick(2)) {
            m_named = true;
            ++m_groups;
            return u"(?<n>"_qs + disjunction(depth + 1) + u')';
        }
        return u"(?:"_qs + disjunction(depth + 1) + u')';
    case 8: {
        const bool behind = m_flavour == Flavour::Backtracking ? pick(3) != 0 : pick(2) != 0;
        const bool negative = pick(3) == 0;
        quantifiable = !behind;
        return (behind ? (negative ? u"(?<!"_qs : u"(?<="_qs)
                       : (negative ? u"(?!"_qs : u"(?="_qs)) +
               disjunction(depth + 1) + u')';
    }
    default:
        if (m_named && pick(4) == 0)
            return u"\\k<n>"_qs;
        return u'\\' + QString::number(1 + pick(3));
    }
}

QString EcmaPatternGenerator::quantifier(bool single)
{
    static const QStringList common = {u"*"_qs,     u"+"_qs,    u"?"_qs,   u"{2}"_qs,
                                       u"{0,2}"_qs, u"{1,}"_qs, u"{0}"_qs, u"{,2}"_qs};
    static const QStringList counts = {u"{0,1}"_qs,    u"{1,3}"_qs,     u"{2,}"_qs,
                                       u"{3}"_qs,      u"{0,0}"_qs,     u"{70000}"_qs,
                                       u"{65536,}"_qs, u"{0,65536}"_qs, u"{1,99999}"_qs};
    QString q = m_flavour == Flavour::Backtracking && pick(3) == 0
                    ? counts[pick(single ? int(counts.size()) : 5)]
                    : common[pick(int(common.size()))];
    if (pick(4) == 0)
        q += u'?';
    return q;
}

QString EcmaPatternGenerator::literal()
{
    static const QStringList mixed = {u"a"_qs, u"b"_qs, u"c"_qs,  u"A"_qs,   u"0"_qs,
                                      u" "_qs, u"-"_qs, u"あ"_qs, u"\\n"_qs, u"\\."_qs,
                                      u"]"_qs, u"}"_qs, u"\\t"_qs};
    static const QStringList narrow = {u"a"_qs, u"a"_qs, u"b"_qs, u"b"_qs,
                                       u"c"_qs, u"1"_qs, u" "_qs};
    const QStringList &literals = m_flavour == Flavour::Mixed ? mixed : narrow;
    return literals[pick(int(literals.size()))];
}

QString EcmaPatternGenerator::escape()
{
    static const QStringList escapes = {u"\\d"_qs,    u"\\w"_qs, u"\\s"_qs,   u"\\D"_qs,
                                        u"\\W"_qs,    u"\\S"_qs, u"\\x61"_qs, u"\\u3042"_qs,
                                        u"\\141"_qs,  u"\\0"_qs, u"\\cJ"_qs,  u"\\c"_qs,
                                        u"\\k<n>"_qs, u"\\8"_qs, u"\\-"_qs,   u"\\x6"_qs};
    return escapes[pick(int(escapes.size()))];
}

QString EcmaPatternGenerator::characterClass()
{
    static const QStringList members = {u"a"_qs,   u"b-c"_qs, u"A-Z"_qs, u"\\d"_qs, u"\\s"_qs,
                                        u"\\w"_qs, u"-"_qs,   u" "_qs,   u"\\n"_qs, u"\\b"_qs,
                                        u"\\]"_qs, u"0-9"_qs, u"\\W"_qs, u"."_qs,   u"あ-ん"_qs};
    QString s = pick(3) == 0 ? u"[^"_qs : u"["_qs;
    const int count = pick(4);
    for (int i = 0; i < count; ++i)
        s += members[pick(int(members.size()))];
    return s + u']';
}
