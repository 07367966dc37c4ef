// Turns an ECMAScript pattern (non-unicode mode with the web-compatibility grammar)
// into an equivalent pattern in canonical PCRE2 syntax for code-unit matching.
#pragma once

#include "ecma_regexp.h"

#include <QHash>
#include <QList>
#include <QString>

struct TranslatedPattern
{
    QString pcre;
    // For each code unit of pcre, plus one past its end: the position in the ECMAScript
    // pattern it came from, so that PCRE2's error offsets can be reported to the user.
    QList<qsizetype> sourceOffsets;
    int captureCount = 0;
    QHash<QString, int> groupNames; // name -> group number
    RegExpError error;
};

class EcmaPatternTranslator final
{
public:
    // Patterns that can repeat get a "(?C)" callout, passed once per match attempt,
    // through which a long match can be stopped.
    static TranslatedPattern translate(const QString &pattern);
};
