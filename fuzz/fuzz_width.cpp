// Width conversion: no text breaks it, the appending forms give what the whole-text forms
// give, and /Narrow of /Wide is the identity on printable ASCII.
#include "FuzzCheck.h"
#include "text_transformation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = utf16Of(data, size);
    const QString wide = FncStr_ToWide(text);
    const QString narrow = FncStr_ToNarrow(text);
    QString appended = u"x"_qs;
    FncStr_AppendWide(appended, text);
    if (appended != u"x"_qs + wide)
        fuzzFail("appending /Wide", codeUnits(text));
    appended = u"x"_qs;
    FncStr_AppendNarrow(appended, text);
    if (appended != u"x"_qs + narrow)
        fuzzFail("appending /Narrow", codeUnits(text));
    // Wide never splits a character, narrow never merges more than a letter and its mark.
    if (wide.size() > text.size() || narrow.size() > 2 * text.size())
        fuzzFail("lengths", codeUnits(text));
    const Cls_RegExpExtraString directives;
    if (directives.MatchingEdit(text, directives.Wide()) != wide ||
        directives.MatchingEdit(text, directives.Narrow()) != narrow)
        fuzzFail("directives convert as the functions do", codeUnits(text));

    QString ascii;
    ascii.reserve(qsizetype(size));
    for (size_t i = 0; i < size; ++i)
        ascii += QChar(char16_t(0x20 + data[i] % 95));
    const QString asciiWide = FncStr_ToWide(ascii);
    if (FncStr_ToNarrow(asciiWide) != ascii)
        fuzzFail("/Narrow of /Wide on printable ASCII", ascii);
    return 0;
}
