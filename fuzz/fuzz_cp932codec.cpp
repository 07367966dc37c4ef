// Code page 932: decoding never fails; clean bytes encode to bytes that read back the same
// (equal, or the preferred code of an NEC/IBM duplicate); text that encodes reads back the
// same, and text that does not is refused at its first character that cannot be held.
#include "FuzzCheck.h"
#include "cp932_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = Cp932Codec::decode(bytes);
    if (!text.contains(QChar(0xFFFD))) {
        const std::optional<QByteArray> again = Cp932Codec::encode(text);
        if (!again)
            fuzzFail("clean bytes encode again", codeUnits(text));
        if (Cp932Codec::decode(*again) != text)
            fuzzFail("re-encoded bytes read the same", codeUnits(text));
        // Only duplicates may change, and their preferred code is stable from then on.
        if (Cp932Codec::encode(Cp932Codec::decode(*again)) != again)
            fuzzFail("preferred codes are stable", codeUnits(text));
    }

    const QString units = utf16Of(data, size);
    Cp932Unencodable bad;
    const std::optional<QByteArray> encoded = Cp932Codec::encode(units, &bad);
    if (encoded) {
        if (bad.isSet())
            fuzzFail("success reports no character", codeUnits(units));
        if (Cp932Codec::decode(*encoded) != units)
            fuzzFail("encoded text reads back the same", codeUnits(units));
    } else {
        if (!bad.isSet() || bad.position >= units.size())
            fuzzFail("a refusal names a character in the text", codeUnits(units));
        if (!Cp932Codec::encode(units.left(bad.position)))
            fuzzFail("the text before the named character encodes", codeUnits(units));
        const char32_t at =
            units.at(bad.position).isHighSurrogate() && bad.position + 1 < units.size() &&
                    units.at(bad.position + 1).isLowSurrogate()
                ? QChar::surrogateToUcs4(units.at(bad.position), units.at(bad.position + 1))
                : units.at(bad.position).unicode();
        if (at != bad.codePoint)
            fuzzFail("the named code point is the one at the position", codeUnits(units));
    }
    return 0;
}
