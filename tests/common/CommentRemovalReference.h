#pragma once

#include <QString>

// Comment removal round by round, as the setting format describes it (quadratic): the
// reference the one-pass removal is checked and timed against.
inline QString removeCommentsByRounds(const QString &text)
{
    QString result = text;
    for (;;) {
        const qsizetype openAt = result.indexOf(QStringLiteral("<!--"));
        if (openAt < 0)
            break;
        const qsizetype closeAt = result.indexOf(QStringLiteral("-->"), openAt + 1);
        if (closeAt < 0)
            break;
        result.replace(result.mid(openAt, closeAt + 3 - openAt), QString());
    }
    return result;
}
