// Emits a parsed ECMAScript pattern in canonical PCRE2 syntax for code-unit matching,
// and tells which patterns PCRE2 cannot run with ECMAScript's meaning.
#pragma once

#include "ecma_pattern_parser.h"

#include <QList>
#include <QString>

struct TranslatedPattern
{
    QString pcre;
    // For each code unit of pcre: the position in the ECMAScript
    // pattern it came from, so that PCRE2's error offsets can be reported to the user.
    QList<qsizetype> sourceOffsets;
    // Not empty when PCRE2 would give a different result: the construct that needs the
    // backtracking matcher (pcre is then empty).
    QString exactConstruct;
};

class EcmaPatternTranslator final
{
public:
    static TranslatedPattern translate(const ParsedPattern &parsed);
};
