#include "cp932_codec.h"

#include <QtAlgorithms>
#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cstring>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#include <memory>
#include <mutex>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

constexpr char16_t Replacement = 0xFFFD;
constexpr quint16 NoBytes = 0xFFFF; // 0xFF is never a lead byte, so this code is free
constexpr char16_t NoChar = 0xFFFF; // a noncharacter: nothing in the code page decodes to it
// Trail bytes below 0x40 never complete a pair.
constexpr int RowFirstTrail = 0x40;
constexpr int RowLength = 0x100 - RowFirstTrail;

// The bytes Windows maps and the iconv converter rejects.
struct SpecialByte
{
    uchar byte;
    char16_t ch;
};
constexpr SpecialByte SpecialBytes[] = {
    {0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3},
};

#ifdef Q_OS_WIN

class Converter
{
public:
    bool isOpen() const { return true; }

    // The character, or NoChar when the bytes are not one complete character.
    char16_t decode(const char *bytes, int length) const
    {
        wchar_t out[2] = {};
        const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, length, out, 2);
        return n == 1 ? char16_t(out[0]) : NoChar;
    }

    void decodeRow(uchar leadByte, char16_t *row) const
    {
        for (int t = RowFirstTrail; t < 0x100; ++t) {
            const char pair[2] = {char(leadByte), char(t)};
            row[t - RowFirstTrail] = decode(pair, 2);
        }
    }

    QByteArray encode(char16_t ch) const
    {
        const wchar_t in = wchar_t(ch);
        char out[4] = {};
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &in, 1, out, int(sizeof out),
                                          nullptr, &usedDefault);
        if (n <= 0 || usedDefault)
            return {};
        return QByteArray(out, n);
    }
};

#else

class Converter
{
public:
    Converter()
        : m_toUnicode(iconv_open("UTF-16LE", "CP932"))
        , m_fromUnicode(iconv_open("CP932", "UTF-16LE"))
    {
    }
    ~Converter()
    {
        if (m_toUnicode != invalid())
            iconv_close(m_toUnicode);
        if (m_fromUnicode != invalid())
            iconv_close(m_fromUnicode);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool isOpen() const { return m_toUnicode != invalid() && m_fromUnicode != invalid(); }

    // The character, or NoChar when the bytes are not one complete character.
    char16_t decode(const char *bytes, int length) const
    {
        iconv(m_toUnicode, nullptr, nullptr, nullptr, nullptr);
        char in[2] = {};
        std::copy(bytes, bytes + length, in);
        char out[8] = {};
        char *inPtr = in;
        char *outPtr = out;
        size_t inLeft = size_t(length);
        size_t outLeft = sizeof out;
        const size_t rc = iconv(m_toUnicode, &inPtr, &inLeft, &outPtr, &outLeft);
        if (rc == size_t(-1) || inLeft != 0 || sizeof out - outLeft != 2)
            return NoChar;
        return char16_t(uchar(out[0]) | uchar(out[1]) << 8);
    }

    // The characters of one lead byte's pairs, trails RowFirstTrail to 0xFF, NoChar where a
    // pair is no character. One call converts the run up to the next invalid pair: a call
    // per pair costs more than reading a whole setting file.
    void decodeRow(uchar leadByte, char16_t *row) const
    {
        char in[2 * RowLength];
        for (int k = 0; k < RowLength; ++k) {
            in[2 * k] = char(leadByte);
            in[2 * k + 1] = char(RowFirstTrail + k);
        }
        int pair = 0;
        while (pair < RowLength) {
            iconv(m_toUnicode, nullptr, nullptr, nullptr, nullptr);
            char out[2 * RowLength];
            char *inPtr = in + 2 * pair;
            char *outPtr = out;
            size_t inLeft = size_t(2 * (RowLength - pair));
            size_t outLeft = sizeof out;
            const size_t rc = iconv(m_toUnicode, &inPtr, &inLeft, &outPtr, &outLeft);
            const qptrdiff consumed = inPtr - (in + 2 * pair);
            const qptrdiff units = qptrdiff(sizeof out - outLeft) / 2;
            if (consumed % 2 != 0 || units != consumed / 2) {
                // Not one character per pair: asked pair by pair instead.
                for (; pair < RowLength; ++pair)
                    row[pair] = decode(in + 2 * pair, 2);
                return;
            }
            for (qptrdiff k = 0; k < units; ++k)
                row[pair + k] = char16_t(uchar(out[2 * k]) | uchar(out[2 * k + 1]) << 8);
            pair += int(units);
            if (rc != size_t(-1))
                break;
            // The pair it stopped at, asked alone.
            row[pair] = decode(in + 2 * pair, 2);
            ++pair;
        }
    }

    QByteArray encode(char16_t ch) const
    {
        iconv(m_fromUnicode, nullptr, nullptr, nullptr, nullptr);
        char in[2] = {char(ch & 0xFF), char(ch >> 8)};
        char out[8] = {};
        char *inPtr = in;
        char *outPtr = out;
        size_t inLeft = sizeof in;
        size_t outLeft = sizeof out;
        const size_t rc = iconv(m_fromUnicode, &inPtr, &inLeft, &outPtr, &outLeft);
        // A non-zero result counts irreversible conversions: those are refused as well.
        if (rc != 0 || inLeft != 0)
            return {};
        return QByteArray(out, qsizetype(sizeof out - outLeft));
    }

private:
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }

    iconv_t m_toUnicode;
    iconv_t m_fromUnicode;
};

#endif

// Mapping tables built from the system converter. Working from tables keeps decoding
// independent of how the converter resumes after an invalid sequence, and lets the encoder
// keep only the mappings that read back as the same character. Each lead byte's row is
// built when a text first uses it, and the encoder's table on the first save: asking the
// converter for every pair costs more than reading a large setting file.
class Tables
{
public:
    std::array<char16_t, 256> single{}; // NoChar: not a single-byte character
    std::array<bool, 256> lead{};       // first byte of a double-byte character

    Tables();

    // The character of (lead << 8 | trail), NoChar when none; the row must be ready.
    char16_t pair(quint16 code) const { return m_doubleByte[code]; }
    void prepareRow(uchar leadByte) const;
    // character -> byte or (lead << 8 | trail), NoBytes when it cannot be encoded
    const std::array<quint16, 65536> &encodeTable() const;

private:
    void buildRow(uchar leadByte) const;
    void buildEncodeTable() const;

    // One converter for every row: opening one costs more than converting a row.
    std::unique_ptr<const Converter> m_converter;
    mutable std::mutex m_converterInUse;
    mutable std::array<char16_t, 65536> m_doubleByte; // filled by the constructor
    mutable std::array<std::once_flag, 256> m_rowBuilt;
    mutable std::array<quint16, 65536> m_encode; // filled with the rest of the table
    mutable std::once_flag m_encodeBuilt;
};

Tables::Tables()
    : m_converter(std::make_unique<const Converter>())
{
    single.fill(NoChar);
    m_doubleByte.fill(NoChar);

    // The ASCII range is the identity on Windows (0x5C and 0x7E included); seeding it
    // keeps plain text readable even where the converter is missing.
    for (int b = 0; b < 0x80; ++b)
        single[b] = char16_t(b);
    // Lead bytes by their ranges, assigned or not, so that an unassigned pair reads as one
    // replacement character rather than as two stray bytes.
    for (int b = 0x81; b <= 0xFC; ++b)
        lead[b] = b <= 0x9F || b >= 0xE0;

    const Converter &converter = *m_converter;
    if (!converter.isOpen()) {
        qWarning("Code page 932 converter unavailable: only ASCII can be read and written");
    } else {
        for (int b = 0x80; b < 0x100; ++b) {
            if (lead[b])
                continue;
            const char byte = char(b);
            single[b] = converter.decode(&byte, 1);
        }
    }
    for (const SpecialByte &special : SpecialBytes)
        single[special.byte] = special.ch;
}

void Tables::prepareRow(uchar leadByte) const
{
    std::call_once(m_rowBuilt[leadByte], [this, leadByte] { buildRow(leadByte); });
}

void Tables::buildRow(uchar leadByte) const
{
    if (!lead[leadByte] || !m_converter->isOpen())
        return;
    const std::lock_guard<std::mutex> inUse(m_converterInUse);
    m_converter->decodeRow(leadByte, &m_doubleByte[leadByte << 8 | RowFirstTrail]);
}

const std::array<quint16, 65536> &Tables::encodeTable() const
{
    std::call_once(m_encodeBuilt, [this] { buildEncodeTable(); });
    return m_encode;
}

void Tables::buildEncodeTable() const
{
    for (int l = 0x80; l < 0x100; ++l)
        prepareRow(uchar(l));
    m_encode.fill(NoBytes);
    const std::lock_guard<std::mutex> inUse(m_converterInUse);
    const Converter &converter = *m_converter;

    // Keep an encoding only when its bytes read back as the same character; this drops
    // one-way mappings such as U+301C -> 0x8160 (which reads as U+FF5E).
    const auto decodesTo = [this](const QByteArray &bytes, char16_t ch) {
        if (bytes.size() == 1)
            return single[uchar(bytes[0])] == ch;
        if (bytes.size() == 2)
            return lead[uchar(bytes[0])] &&
                   m_doubleByte[uchar(bytes[0]) << 8 | uchar(bytes[1])] == ch;
        return false;
    };
    const auto learn = [&](char16_t ch) {
        if (m_encode[ch] != NoBytes)
            return;
        if (ch < 0x80) {
            m_encode[ch] = ch;
            return;
        }
        for (const SpecialByte &special : SpecialBytes) {
            if (special.ch == ch) {
                m_encode[ch] = special.byte;
                return;
            }
        }
        if (!converter.isOpen())
            return;
        const QByteArray bytes = converter.encode(ch);
        if (!decodesTo(bytes, ch))
            return;
        m_encode[ch] = bytes.size() == 1 ? quint16(uchar(bytes[0]))
                                         : quint16(uchar(bytes[0]) << 8 | uchar(bytes[1]));
    };
    // Only characters that some byte sequence decodes to can come back unchanged.
    for (int b = 0; b < 0x100; ++b) {
        if (single[b] != NoChar)
            learn(single[b]);
    }
    for (int code = 0; code < 0x10000; ++code) {
        if (m_doubleByte[code] != NoChar)
            learn(m_doubleByte[code]);
    }
}

const Tables &tables()
{
    static const std::unique_ptr<const Tables> instance = std::make_unique<const Tables>();
    return *instance;
}

// The first UTF-16 position at which the two texts differ, and the code point there.
Cp932Unencodable firstDifference(const QString &text, const QString &other)
{
    qsizetype i = 0;
    while (i < text.size() && i < other.size() && text[i] == other[i])
        ++i;
    if (i < text.size() && i > 0 && text[i].isLowSurrogate() && text[i - 1].isHighSurrogate())
        --i;
    Cp932Unencodable result;
    result.position = i;
    if (i < text.size()) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            result.codePoint = QChar::surrogateToUcs4(c, text[i + 1]);
        else
            result.codePoint = c.unicode();
    }
    return result;
}

} // namespace

QString Cp932Codec::decode(const QByteArray &bytes)
{
    return decodeText(bytes, false);
}

void Cp932Codec::prepare()
{
    const Tables &t = tables();
    for (int b = 0x81; b < 0x100; ++b) {
        if (t.lead[b])
            t.prepareRow(uchar(b));
    }
}

QString Cp932Codec::decodeText(const QByteArray &bytes, bool normaliseLineEnds)
{
    const Tables &t = tables();
    const qsizetype n = bytes.size();
    // Never more characters than bytes (twice as many, and a final line end, when every
    // line end may become CR LF); written through a pointer for speed.
    QString result(normaliseLineEnds ? 2 * n + 2 : n, Qt::Uninitialized);
    QChar *out = result.data();
    QChar *const begin = out;
    const uchar *in = reinterpret_cast<const uchar *>(bytes.constData());
    std::array<bool, 256> rowReady{};
    bool lineOpen = false;
    qsizetype i = 0;
    while (i < n) {
        // Most of a setting file is ASCII: copied in blocks while they hold no CR.
#if defined(__SSE2__) || defined(_M_X64)
        const __m128i crs = _mm_set1_epi8('\r');
        const __m128i zero = _mm_setzero_si128();
        while (i + 16 <= n) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
            const int stops = _mm_movemask_epi8(_mm_or_si128(block, _mm_cmpeq_epi8(block, crs)));
            // All sixteen are stored even when fewer are plain: the buffer keeps room for every
            // byte still to read, and the next writes replace the extra.
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(block, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(block, zero));
            if (stops != 0) {
                const int plain = int(qCountTrailingZeroBits(uint(stops)));
                out += plain;
                i += plain;
                lineOpen = lineOpen || plain > 0;
                break;
            }
            out += 16;
            i += 16;
            lineOpen = true;
        }
#endif
        constexpr quint64 ones = 0x0101010101010101ULL;
        constexpr quint64 highs = 0x8080808080808080ULL;
        while (i + 8 <= n) {
            quint64 word = 0;
            std::memcpy(&word, in + i, 8);
            const quint64 cr = word ^ (ones * u'\r');
            if ((word & highs) != 0 || ((cr - ones) & ~cr & highs) != 0)
                break;
            for (int k = 0; k < 8; ++k)
                out[k] = QChar(in[i + k]);
            out += 8;
            i += 8;
            lineOpen = true;
        }
        if (i >= n)
            break;
        // One character at a time while line ends and double-byte characters follow.
        do {
            const uchar b = in[i];
            if (b < 0x80 && b != u'\r') {
                *out++ = QChar(b);
                ++i;
                lineOpen = true;
                continue;
            }
            if (b == u'\r' && normaliseLineEnds) {
                // CR and CR LF end a line as CR LF.
                *out++ = QChar(u'\r');
                *out++ = QChar(u'\n');
                i += i + 1 < n && in[i + 1] == '\n' ? 2 : 1;
                lineOpen = false;
                continue;
            }
            lineOpen = true;
            if (t.lead[b]) {
                if (i + 1 >= n) {
                    *out++ = QChar(Replacement);
                    ++i;
                    continue;
                }
                if (!rowReady[b]) {
                    t.prepareRow(b);
                    rowReady[b] = true;
                }
                const uchar trail = in[i + 1];
                const char16_t ch = t.pair(quint16(b << 8 | trail));
                if (ch != NoChar) {
                    *out++ = QChar(ch);
                    i += 2;
                } else {
                    // A byte that is ASCII or no trail at all is read again on its own, so a
                    // damaged character never swallows a tag bracket or a line end.
                    *out++ = QChar(Replacement);
                    i += trail >= 0x80 && trail <= 0xFC ? 2 : 1;
                }
                continue;
            }
            const char16_t ch = t.single[b];
            *out++ = QChar(ch != NoChar ? ch : Replacement);
            ++i;
        } while (i < n && (in[i] >= 0x80 || in[i] == u'\r'));
    }
    if (normaliseLineEnds && lineOpen) {
        *out++ = QChar(u'\r');
        *out++ = QChar(u'\n');
    }
    // Not squeezed: the unused end of the buffer was never touched, so it takes no memory,
    // and copying the text down would cost as much as decoding it.
    result.truncate(out - begin);
    return result;
}

std::optional<QByteArray> Cp932Codec::encode(const QString &text, Cp932Unencodable *failure)
{
    const std::array<quint16, 65536> &table = tables().encodeTable();
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        const quint16 code = QChar::isSurrogate(ch) ? NoBytes : table[ch];
        if (code == NoBytes) {
            if (failure) {
                Cp932Unencodable bad;
                bad.position = i;
                bad.codePoint = ch;
                if (QChar::isHighSurrogate(ch) && i + 1 < text.size() &&
                    text[i + 1].isLowSurrogate())
                    bad.codePoint = QChar::surrogateToUcs4(ch, text[i + 1].unicode());
                *failure = bad;
            }
            return std::nullopt;
        }
        if (code > 0xFF)
            bytes.append(char(code >> 8));
        bytes.append(char(code & 0xFF));
    }

    // The tables already hold only reversible mappings; reading the bytes back is the
    // final word on whether the text survives a save.
    const QString back = decode(bytes);
    if (back != text) {
        if (failure)
            *failure = firstDifference(text, back);
        return std::nullopt;
    }
    if (failure)
        *failure = Cp932Unencodable{};
    return bytes;
}
