#include "text_transformation.h"

#include <QChar>

#include <array>
#include <memory>

namespace {

constexpr char16_t kCombiningVoiced = 0x3099;
constexpr char16_t kCombiningSemiVoiced = 0x309A;
constexpr char16_t kSpacingVoiced = 0x309B;
constexpr char16_t kSpacingSemiVoiced = 0x309C;
constexpr char16_t kHalfVoiced = 0xFF9E;
constexpr char16_t kHalfSemiVoiced = 0xFF9F;
// Half-width katakana letters that a following half-width mark may combine with.
constexpr char16_t kHalfKanaFirst = 0xFF66;
constexpr char16_t kHalfKanaLast = 0xFF9D;
constexpr char16_t kKanaBlockFirst = 0x3040;
constexpr char16_t kKanaBlockLast = 0x30FF;

struct WidthTables
{
    // Indexed by UTF-16 code unit; 0 means "no other form".
    std::array<char16_t, 0x10000> wide{};
    std::array<char16_t, 0x10000> narrow{};
    // Full-width kana letter -> precomposed letter with the voiced / semi-voiced mark.
    std::array<char16_t, kKanaBlockLast - kKanaBlockFirst + 1> voiced{};
    std::array<char16_t, kKanaBlockLast - kKanaBlockFirst + 1> semiVoiced{};
    // Precomposed kana -> half-width letter and half-width mark (0 when it stays whole).
    std::array<char16_t, kKanaBlockLast - kKanaBlockFirst + 1> splitLetter{};
    std::array<char16_t, kKanaBlockLast - kKanaBlockFirst + 1> splitMark{};

    WidthTables();
};

WidthTables::WidthTables()
{
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (QChar::isSurrogate(c)) {
            continue;
        }
        const QChar::Decomposition tag = QChar::decompositionTag(c);
        if (tag != QChar::Wide && tag != QChar::Narrow) {
            continue;
        }
        const QString target = QChar::decomposition(c);
        if (target.size() != 1) {
            continue;
        }
        const char16_t self = char16_t(c);
        const char16_t other = target.at(0).unicode();
        if (tag == QChar::Wide) {
            narrow[self] = other;
            wide[other] = self;
        } else {
            wide[self] = other;
            // The arrows, box line and shapes are ordinary full-width text in Japanese
            // documents; narrowing them would turn common symbols into rare ones.
            if (c < 0xFFE8 || c > 0xFFEE) {
                narrow[other] = self;
            }
        }
    }

    // A mark standing alone widens to the spacing mark, which reads as a mark by itself;
    // the combining one would attach to whatever precedes it.
    wide[kHalfVoiced] = kSpacingVoiced;
    wide[kHalfSemiVoiced] = kSpacingSemiVoiced;
    narrow[kSpacingVoiced] = kHalfVoiced;
    narrow[kSpacingSemiVoiced] = kHalfSemiVoiced;

    for (char32_t c = kKanaBlockFirst; c <= kKanaBlockLast; ++c) {
        if (QChar::decompositionTag(c) != QChar::Canonical) {
            continue;
        }
        const QString parts = QChar::decomposition(c);
        if (parts.size() != 2) {
            continue;
        }
        const char16_t base = parts.at(0).unicode();
        const char16_t mark = parts.at(1).unicode();
        if (mark != kCombiningVoiced && mark != kCombiningSemiVoiced) {
            continue;
        }
        if (base < kKanaBlockFirst || base > kKanaBlockLast) {
            continue;
        }
        auto &composed = mark == kCombiningVoiced ? voiced : semiVoiced;
        composed[base - kKanaBlockFirst] = char16_t(c);
        if (narrow[base] != 0) {
            splitLetter[c - kKanaBlockFirst] = narrow[base];
            splitMark[c - kKanaBlockFirst] = narrow[mark];
        }
    }
}

const WidthTables &tables()
{
    static const std::unique_ptr<const WidthTables> instance = std::make_unique<WidthTables>();
    return *instance;
}

} // namespace

void FncStr_AppendWide(QString &out, QStringView text)
{
    const WidthTables &t = tables();
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = text[i].unicode();
        const char16_t w = t.wide[c];
        if (w == 0) {
            out.append(QChar(c));
            continue;
        }
        if (c >= kHalfKanaFirst && c <= kHalfKanaLast && w >= kKanaBlockFirst &&
            w <= kKanaBlockLast && i + 1 < length) {
            const char16_t next = text[i + 1].unicode();
            char16_t composed = 0;
            if (next == kHalfVoiced) {
                composed = t.voiced[w - kKanaBlockFirst];
            } else if (next == kHalfSemiVoiced) {
                composed = t.semiVoiced[w - kKanaBlockFirst];
            }
            if (composed != 0) {
                out.append(QChar(composed));
                ++i;
                continue;
            }
        }
        out.append(QChar(w));
    }
}

void FncStr_AppendNarrow(QString &out, QStringView text)
{
    const WidthTables &t = tables();
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c >= kKanaBlockFirst && c <= kKanaBlockLast && t.splitLetter[c - kKanaBlockFirst]) {
            out.append(QChar(t.splitLetter[c - kKanaBlockFirst]));
            out.append(QChar(t.splitMark[c - kKanaBlockFirst]));
            continue;
        }
        const char16_t n = t.narrow[c];
        out.append(QChar(n != 0 ? n : c));
    }
}

QString FncStr_ToWide(const QString &text)
{
    QString out;
    out.reserve(text.size());
    FncStr_AppendWide(out, text);
    return out;
}

QString FncStr_ToNarrow(const QString &text)
{
    QString out;
    out.reserve(text.size());
    FncStr_AppendNarrow(out, text);
    return out;
}
