// Random ECMAScript patterns, subjects and replacement templates for differential tests
// against a script engine. The same seed gives the same cases on every machine.
#pragma once

#include <QRandomGenerator>
#include <QString>

class EcmaPatternGenerator final
{
public:
    enum class Flavour
    {
        Mixed,       // every part of the grammar, weighted as users write it
        Backtracking // lookbehind, repeated groups with captures, back references, counts
    };

    EcmaPatternGenerator(quint32 seed, Flavour flavour);

    QString pattern();
    QString subject();
    QString replacement();

private:
    int pick(int n) { return int(m_random.bounded(n)); }
    QString disjunction(int depth);
    QString alternative(int depth);
    QString term(int depth);
    QString atom(int depth, bool &quantifiable);
    QString quantifier(bool single);
    QString literal();
    QString escape();
    QString characterClass();

    QRandomGenerator m_random;
    Flavour m_flavour;
    int m_groups = 0;
    bool m_named = false;
};
