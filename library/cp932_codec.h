// Code page 932 exactly as Windows maps it.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The first character that code page 932 cannot hold (or would not read back the same).
struct Cp932Unencodable
{
    qsizetype position = -1; // UTF-16 index in the text
    char32_t codePoint = 0;

    bool isSet() const { return position >= 0; }
};

class Cp932Codec final
{
public:
    Cp932Codec() = delete;

    // Builds the shared tables and every double-byte row now, for example on a worker
    // while a window starts, so that the first text read does not wait for the converter.
    // Safe to call from any thread, and again.
    static void prepare();
    // Invalid byte sequences read as U+FFFD.
    static QString decode(const QByteArray &bytes);
    // As decode; with normaliseLineEnds, CR and CR LF become CR LF and a last line without
    // an end gets one, in the same pass.
    static QString decodeText(const QByteArray &bytes, bool normaliseLineEnds);
    // Refuses (nullopt) text that would not decode back identically; reports the first
    // offending character through failure.
    static std::optional<QByteArray> encode(const QString &text,
                                            Cp932Unencodable *failure = nullptr);
};
