// What the fuzz targets share: turning input bytes into text, and stopping with the
// offending values when a property does not hold.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

[[noreturn]] inline void fuzzFail(const char *property, const QString &detail = {})
{
    std::fprintf(stderr, "property broken: %s\n%s\n", property, qPrintable(detail.left(2000)));
    std::abort();
}

// Raw UTF-16 code units (lone surrogates included) from pairs of bytes.
inline QString utf16Of(const uint8_t *data, size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, (size / 2) * 2);
    return text;
}

inline QString codeUnits(const QString &text)
{
    QString out;
    for (const QChar c : text)
        out += QString::number(c.unicode(), 16).rightJustified(4, u'0') + u' ';
    return out;
}
