// Cls_ValueCheck: whether values come back unchanged from a setting file, which has no
// escaping, and where in a frame's text a character stands that the file cannot hold.
#pragma once

#include <QList>
#include <QString>
#include <utility>

class Cls_ValueCheck final
{
public:
    // Key and value pairs in document order.
    using Elements = QList<std::pair<QString, QString>>;

    Cls_ValueCheck() = delete;

    // The first comment mark or tag in a value, the piece that keeps it from reading back;
    // empty when it holds none.
    static QString FncStr_OffendingText(const QString &value);
    // The elements as the tag document writer composes them.
    static QString FncStr_Compose(const Elements &elements);
    // True when the reader finds each value under its key, inside the section when one
    // is named.
    static bool FncBln_ReadsBack(const QString &text, const Elements &elements,
                                 const QString &section = {});
    // The frames ("Frame1" … with their texts) as they are saved in the frame section.
    static bool FncBln_FramesReadBack(const Elements &frames);
    // The name of the item whose element holds the position of a frame's text; empty when
    // the position lies outside every item.
    static QString FncStr_ItemNameAt(const QString &frameText, qsizetype position);
    // "U+00E9" and the like.
    static QString FncStr_CodePoint(char32_t codePoint);
};
