// Cls_XML: reads values by literal tag search and writes documents line by line.
// It is deliberately not an XML parser: the setting files rely on its exact search rules.
#pragma once

#include "cp932_codec.h"
#include "platform_wrappers.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <QtAlgorithms>
#include <algorithm>
#include <memory>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif
#include <utility>

class Cls_XML final
{
public:
    Cls_XML();
    ~Cls_XML();
    Cls_XML(const Cls_XML &) = delete;
    Cls_XML &operator=(const Cls_XML &) = delete;

    void TopTagName_Prop(const QString &value);
    void SaveFilePath_Prop(const QString &value);
    QString SaveFilePath_Prop() const;
    void IndentLevel_Prop(int value);
    int IndentLevel_Prop() const;
    void FileData(const QString &value);
    QString FileData() const;
    void MsgDisplayFlg_Prop(bool value);
    bool MsgDisplayFlg_Prop() const;

    std::unique_ptr<Cls_XML> Element;

    bool InitItem_bln();
    bool AddItem_bln(const QString &strA_Key, const QString &strA_Data);
    bool SetItem_bln(const QString &strA_Key, const QString &strA_Data);
    QString GetItem_str(const QString &strA_Key) const;
    QString GetItemAll_str(const QString &strA_Indent) const;
    bool SaveFile_bln(const QString &strA_FileName);
    QString GetFileItemAll_str() const;
    bool OnlyReadFile_bln(const QString &strA_FileName);
    bool ReadFile_bln(const QString &strA_FileName, bool isSaveData = false);
    bool SetFileItem(const QString &strA_FileData, const QString &strA_Key);
    QString Gets(const QString &strA_Key) const;
    QString GetFileItem_str(const QString &strA_Key) const;
    QString GetFileItemAll() const;
    QString GetFileItemDefault_str(const QString &strA_Key, const QString &strA_DefaultValue) const;
    int GetFileItem_lng(const QString &strA_Key) const;
    bool GetFileItem_bln(const QString &strA_Key) const;
    static QString ExtractTag(const QString &strA_Base, const QString &strA_TagBase);
    // What ExtractTag gives, as a view into base: a large section is not copied.
    static QStringView TagContent(QStringView base, QStringView tag);

    // Where a scan found one wanted element: its first "<name>" and the first "</name>"
    // after that, as ExtractTag finds them.
    struct TagSpan
    {
        qsizetype open = -1;
        qsizetype close = -1;
        qsizetype nameSize = 0;

        QStringView content(QStringView text) const
        {
            const qsizetype contentAt = open + nameSize + 2;
            if (open < 0 || close < contentAt)
                return {};
            return text.sliced(contentAt, close - contentAt);
        }
    };
    // Where a tag's name may stand: a scan's slotOf asks it which name that is.
    struct NameProbe
    {
        QStringView text;
        qsizetype at = 0;       // the name's first unit, inside text
        qsizetype nameSize = 0; // set by is() or by the caller

        char16_t first() const { return text[at].unicode(); }
        // Whether name stands here, followed by ">".
        bool is(QStringView name)
        {
            nameSize = name.size();
            return NameAt(text, at, name);
        }
    };
    // Finds many elements in one pass over text: slotOf(NameProbe &) names the wanted
    // element whose name stands at the probe, followed by ">" (its index in spans, with the
    // name's length in the probe), or gives -1.
    template<typename SlotOf> static void ScanTags(QStringView text, TagSpan *spans, SlotOf slotOf);
    // Where c next occurs in text at or after from, or -1; quick over long and short runs.
    static qsizetype IndexOf(QStringView text, char16_t c, qsizetype from = 0);
    // Whether text holds name at position at, followed by ">".
    static bool NameAt(QStringView text, qsizetype at, QStringView name)
    {
        // Compared here, not by a library call: names are a few characters, met on every tag.
        return at + name.size() < text.size() && text[at + name.size()] == u'>' &&
               std::equal(name.begin(), name.end(), text.begin() + at);
    }
    // The number n (1 to max, written without leading zeros) of a name prefix + n at
    // position at, followed by ">"; 0 when there is none.
    static int NumberedNameAt(QStringView text, qsizetype at, QStringView prefix, int max,
                              qsizetype &nameSize);
    bool InitElement_bln();
    bool SetElement_bln(const QString &strA_Name, const QString &strA_Item);

    // Removes every "<!--" ... "-->" block as the reader does.
    static QString RemoveComments(const QString &text);
    // Lenient 32-bit conversion: optional blanks, sign and decimal digits; nullopt otherwise.
    static std::optional<int> ToInteger(const QString &text);

    // Detail of the last failed read or write (number, text, source).
    VbError LastError() const { return m_lastError; }
    // Set when the last save was refused because code page 932 cannot hold the text.
    Cp932Unencodable LastUnencodable() const { return m_unencodable; }

    // Full path of a file name as reads and writes join it with the save path.
    QString FullPath(const QString &strA_FileName) const;

private:
    // Where each tag of the read side first opens, found in one pass over the text on the
    // first lookup: a setting is read with one pass, not one per key.
    struct TagIndex
    {
        QHash<QStringView, qsizetype> firstOpen; // position + 1
    };
    const TagIndex &index() const;
    void setFileItemText(const QString &text);

    bool keyAccepted(const QString &key) const;
    void reportError(const VbError &error);

    QString m_topTagName;
    QString m_savePath;
    bool m_msgDisplay = false;
    bool m_isTopLevel = true;
    int m_indentLevel = 0;
    bool m_elementSet = false;
    QString m_elementName;
    QString m_fileData;
    QString m_fileItem;
    mutable std::unique_ptr<TagIndex> m_index;
    mutable int m_searches = 0;
    QList<std::pair<QString, QString>> m_items;
    VbError m_lastError;
    Cp932Unencodable m_unencodable;
};

template<typename SlotOf> void Cls_XML::ScanTags(QStringView text, TagSpan *spans, SlotOf slotOf)
{
    const char16_t *const data = text.utf16();
    const qsizetype size = text.size();
    const auto slotAt = [&](qsizetype at, qsizetype &nameSize) {
        if (at >= size)
            return -1;
        NameProbe probe{text, at};
        const int slot = slotOf(probe);
        nameSize = probe.nameSize;
        return slot;
    };
    for (qsizetype at = IndexOf(text, u'<'); at >= 0; at = IndexOf(text, u'<', at + 1)) {
        qsizetype nameSize = 0;
        const int opened = slotAt(at + 1, nameSize);
        if (opened >= 0 && spans[opened].open < 0) {
            spans[opened].open = at;
            spans[opened].nameSize = nameSize;
        }
        if (at + 1 < size && data[at + 1] == u'/') {
            const int closed = slotAt(at + 2, nameSize);
            if (closed >= 0 && spans[closed].open >= 0 && spans[closed].open < at &&
                spans[closed].close < 0)
                spans[closed].close = at;
        }
    }
}

inline qsizetype Cls_XML::IndexOf(QStringView text, char16_t c, qsizetype from)
{
    const char16_t *const data = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = qMax<qsizetype>(from, 0);
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i wanted = _mm_set1_epi16(short(c));
    for (; i + 8 <= size; i += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(chunk, wanted));
        if (mask != 0)
            return i + qCountTrailingZeroBits(uint(mask)) / 2;
    }
#endif
    for (; i < size; ++i) {
        if (data[i] == c)
            return i;
    }
    return -1;
}
