#include "setting_values.h"

#include "tag_document.h"

#include <array>

namespace {

const QString LineEnd = QStringLiteral("\r\n");

// One line as the tag document's write side holds it (GetItemAll_str with no indent).
void appendElement(QString &text, const QString &key, const QString &value)
{
    text += u'<' + key + u'>' + value + QStringLiteral("</") + key + u'>' + LineEnd;
}

bool sameValues(const SettingItem &a, const SettingItem &b)
{
    return a.name == b.name && a.reg == b.reg && a.replace == b.replace && a.data == b.data &&
           a.link == b.link;
}

// The values read from a text whose comments are already gone, each as ExtractTag reads
// it, in one pass over the text.
enum ItemSlot
{
    NameSlot,
    RegSlot,
    ReplaceSlot,
    DataSlot,
    LinkSlot,
    ItemSlotCount
};
using ItemSpans = std::array<Cls_XML::TagSpan, ItemSlotCount>;

ItemSpans scanItem(QStringView text)
{
    ItemSpans spans;
    Cls_XML::ScanTags(text, spans.data(), [](Cls_XML::NameProbe &name) {
        switch (name.first()) {
        case u'N':
            return name.is(SettingFormat::Name) ? int(NameSlot) : -1;
        case u'R':
            return name.is(SettingFormat::Reg)       ? int(RegSlot)
                   : name.is(SettingFormat::Replace) ? int(ReplaceSlot)
                                                     : -1;
        case u'D':
            return name.is(SettingFormat::Data) ? int(DataSlot) : -1;
        case u'L':
            return name.is(SettingFormat::Link) ? int(LinkSlot) : -1;
        default:
            return -1;
        }
    });
    return spans;
}

SettingItem readItem(QStringView text)
{
    const ItemSpans spans = scanItem(text);
    SettingItem item;
    item.name = spans[NameSlot].content(text).toString();
    item.reg = spans[RegSlot].content(text).toString();
    item.replace = spans[ReplaceSlot].content(text).toString();
    item.data = spans[DataSlot].content(text).toString();
    item.link = spans[LinkSlot].content(text).toString();
    return item;
}

enum FrameSlot
{
    TitleSlot = SettingFormat::MaxItems + 1,
    FontSlot,
    ItemFontSlot,
    LineCountSlot,
    LastSettingSlot,
    FrameSlotCount
};
using FrameSpans = std::array<Cls_XML::TagSpan, FrameSlotCount>;

// The frame's values and its items (spans[n] is Item n), in one pass over a text whose
// comments are already gone.
FrameSpans scanFrame(QStringView text)
{
    FrameSpans spans;
    Cls_XML::ScanTags(text, spans.data(), [](Cls_XML::NameProbe &name) {
        switch (name.first()) {
        case u'I': {
            const int number = Cls_XML::NumberedNameAt(name.text, name.at, SettingFormat::Item,
                                                       SettingFormat::MaxItems, name.nameSize);
            if (number > 0)
                return number;
            return name.is(SettingFormat::ItemFont) ? int(ItemFontSlot) : -1;
        }
        case u'T':
            return name.is(SettingFormat::Title) ? int(TitleSlot) : -1;
        case u'F':
            return name.is(SettingFormat::Font) ? int(FontSlot) : -1;
        case u'L':
            return name.is(SettingFormat::LineCount)     ? int(LineCountSlot)
                   : name.is(SettingFormat::LastSetting) ? int(LastSettingSlot)
                                                         : -1;
        default:
            return -1;
        }
    });
    return spans;
}

// Comments go before anything is read, as a tag document does with its text.
QString withoutComments(const QString &text)
{
    return Cls_XML::IndexOf(text, u'!') >= 0 ? Cls_XML::RemoveComments(text) : text;
}

} // namespace

namespace SettingFormat {

QString frameKey(qint64 number)
{
    return Frame + QString::number(number);
}

QString itemKey(qint64 number)
{
    return Item + QString::number(number);
}

void forEachFrame(QStringView dataSettingText,
                  const std::function<void(int number, const QString &frameText)> &visit)
{
    // One pass over the section finds the 99 frames.
    QString withoutTheComments;
    QStringView text = dataSettingText;
    if (Cls_XML::IndexOf(text, u'!') >= 0) {
        withoutTheComments = Cls_XML::RemoveComments(text.toString());
        text = withoutTheComments;
    }
    Cls_XML::TagSpan spans[MaxFrames + 1];
    Cls_XML::ScanTags(text, spans, [](Cls_XML::NameProbe &name) {
        // Most tags of the section are the items' own.
        if (name.first() != u'F')
            return -1;
        const int number =
            Cls_XML::NumberedNameAt(name.text, name.at, Frame, MaxFrames, name.nameSize);
        return number > 0 ? number : -1;
    });
    for (int number = 1; number <= MaxFrames; ++number) {
        const QStringView frameText = spans[number].content(text);
        if (!frameText.isEmpty())
            visit(number, frameText.toString());
    }
}

} // namespace SettingFormat

SettingItem SettingItem::parse(const QString &itemText)
{
    SettingItem item = readItem(Cls_XML::RemoveComments(itemText));
    item.source = itemText;
    return item;
}

QString SettingItem::compose() const
{
    if (kind == Kind::All && !source.isEmpty() && sameValues(parse(source), *this))
        return source;
    QString text;
    appendElement(text, SettingFormat::Name, name);
    switch (kind) {
    case Kind::All:
        // The order of a pasted copy.
        appendElement(text, SettingFormat::Data, data);
        appendElement(text, SettingFormat::Reg, reg);
        appendElement(text, SettingFormat::Replace, replace);
        appendElement(text, SettingFormat::Link, link);
        break;
    case Kind::Data:
        appendElement(text, SettingFormat::Data, data);
        break;
    case Kind::Edit:
        appendElement(text, SettingFormat::Reg, reg);
        appendElement(text, SettingFormat::Replace, replace);
        break;
    case Kind::Link:
        appendElement(text, SettingFormat::Link, link);
        break;
    }
    return text;
}

SettingItem::Kind SettingItem::pageKind() const
{
    if (!data.isEmpty())
        return Kind::Data;
    if (!link.isEmpty())
        return Kind::Link;
    if (!reg.isEmpty() || !replace.isEmpty())
        return Kind::Edit;
    return Kind::Data;
}

bool SettingItem::isAbsent() const
{
    return kind == Kind::All && source.isEmpty() && sameValues(*this, SettingItem{});
}

bool SettingItem::operator==(const SettingItem &other) const
{
    return kind == other.kind && sameValues(*this, other);
}

SettingFrame SettingFrame::parse(const QString &frameText)
{
    // One pass over the frame finds its values and its hundred items.
    const QString text = withoutComments(frameText);
    const FrameSpans spans = scanFrame(text);
    SettingFrame frame;
    frame.title = spans[TitleSlot].content(text).toString();
    frame.font = spans[FontSlot].content(text).toString();
    frame.itemFont = spans[ItemFontSlot].content(text).toString();
    frame.lineCount = spans[LineCountSlot].content(text).toString();
    frame.lastSetting = spans[LastSettingSlot].content(text).toString();
    qsizetype present = 0;
    for (int number = 1; number <= SettingFormat::MaxItems; ++number) {
        if (!spans[number].content(text).isEmpty())
            present = number;
    }
    frame.items.reserve(present);
    for (int number = 1; number <= present; ++number) {
        const QStringView itemText = spans[number].content(text);
        if (itemText.isEmpty()) {
            frame.items.append(SettingItem{});
            continue;
        }
        // The item text is comment-free already, and stays so as its source.
        SettingItem item = readItem(itemText);
        item.source = itemText.toString();
        frame.items.append(std::move(item));
    }
    frame.source = frameText;
    return frame;
}

QString SettingFrame::compose() const
{
    if (!source.isEmpty() && parse(source) == *this)
        return source;
    QString text;
    appendElement(text, SettingFormat::Title, title);
    appendElement(text, SettingFormat::Font, font);
    appendElement(text, SettingFormat::ItemFont, itemFont);
    appendElement(text, SettingFormat::LineCount, lineCount);
    if (!lastSetting.isEmpty())
        appendElement(text, SettingFormat::LastSetting, lastSetting);
    const qsizetype count = qMin(items.size(), qsizetype(SettingFormat::MaxItems));
    for (qsizetype i = 0; i < count; ++i) {
        if (!items.at(i).isAbsent())
            appendElement(text, SettingFormat::itemKey(i + 1), items.at(i).compose());
    }
    return text;
}

QList<std::pair<int, SettingItem>> SettingFrame::namedItems() const
{
    QList<std::pair<int, SettingItem>> named;
    const qsizetype count = qMin(items.size(), qsizetype(SettingFormat::MaxItems));
    for (qsizetype i = 0; i < count; ++i) {
        if (items.at(i).isNamed())
            named.append({int(i), items.at(i)});
    }
    return named;
}

SettingFrameOutline SettingFrameOutline::read(const QString &frameText)
{
    const QString text = withoutComments(frameText);
    const FrameSpans spans = scanFrame(text);
    SettingFrameOutline outline;
    outline.title = spans[TitleSlot].content(text).toString();
    for (int number = 1; number <= SettingFormat::MaxItems; ++number) {
        const QStringView itemText = spans[number].content(text);
        if (itemText.isEmpty())
            continue;
        const ItemSpans values = scanItem(itemText);
        const QStringView name = values[NameSlot].content(itemText);
        if (name.isEmpty())
            continue;
        Item item;
        item.index = number - 1;
        item.name = name.toString();
        item.hasReg = !values[RegSlot].content(itemText).isEmpty();
        item.hasData = !values[DataSlot].content(itemText).isEmpty();
        item.hasLink = !values[LinkSlot].content(itemText).isEmpty();
        outline.namedItems.append(std::move(item));
    }
    return outline;
}

bool SettingFrame::operator==(const SettingFrame &other) const
{
    return title == other.title && font == other.font && itemFont == other.itemFont &&
           lineCount == other.lineCount && lastSetting == other.lastSetting && items == other.items;
}
