// Cls_ValueCheck: whether values come back unchanged from a setting file, which has no
// escaping, and where in a frame's text a character stands that the file cannot hold.
#pragma once

#include <QList>
#include <QString>
#include <functional>
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

    // A whole setting file's values: its three sections.
    struct Document
    {
        Elements colors;
        Elements common;
        Elements frames;
    };
    // The file's text as the save composes it, and whether every value of every section
    // comes back from it.
    static QString FncStr_ComposeDocument(const Document &document);
    static bool FncBln_DocumentReadsBack(const Document &document);
    // The piece of a value that keeps it from coming back: the first tag or comment mark
    // that fails on its own, else the first one, else the value's start.
    static QString FncStr_Culprit(const QString &value,
                                  const std::function<bool(const QString &)> &readsBack);
    // The name of the item whose element holds the position of a frame's text; empty when
    // the position lies outside every item.
    static QString FncStr_ItemNameAt(const QString &frameText, qsizetype position);
    // "U+00E9" and the like.
    static QString FncStr_CodePoint(char32_t codePoint);
};
