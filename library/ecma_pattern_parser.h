// Parses an ECMAScript pattern (non-unicode mode with the web-compatibility grammar)
// into a tree that both the PCRE2 translation and the backtracking matcher read.
#pragma once

#include "ecma_regexp.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

struct PatternNode
{
    enum class Kind : quint8
    {
        Empty,
        Unit,
        Set,
        Disjunction,
        Alternative,
        Group, // capturing when group > 0
        Lookahead,
        Lookbehind,
        Quantified,
        BackReference,
        LineStart,
        LineEnd,
        WordBoundary,
        NotWordBoundary
    };
    static constexpr qint64 kInfinite = -1;

    Kind kind = Kind::Empty;
    bool negative = false; // lookaround
    bool lazy = false;     // quantifier
    bool dot = false;      // a set written as "."
    char16_t unit = 0;
    int group = 0; // Group: its number (0 when not capturing); BackReference: the target
    qint64 min = 0;
    qint64 max = kInfinite;
    // Captures inside this node: numbers firstCapture .. firstCapture + captureCount - 1.
    int firstCapture = 1;
    int captureCount = 0;
    qsizetype source = 0;                    // where it starts in the pattern
    std::vector<std::pair<int, int>> ranges; // Set: sorted, merged, inclusive code units
    std::vector<int> children;               // indices into ParsedPattern::nodes
};

struct ParsedPattern
{
    std::vector<PatternNode> nodes;
    int root = -1;
    int captureCount = 0;
    QHash<QString, int> groupNames; // name -> group number
    RegExpError error;
};

// Sets of code units as the tree holds them: sorted, merged, inclusive ranges.
namespace UnitRanges {
using List = std::vector<std::pair<int, int>>;
// The units outside a sorted, merged list.
List complement(const List &ranges);
// Sets the bit of each member in a table of 1024 words, one bit per code unit.
void fillTable(const List &ranges, uint64_t *table);
} // namespace UnitRanges

class EcmaPatternParser final
{
public:
    static ParsedPattern parse(const QString &pattern);
};
