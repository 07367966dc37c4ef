#include "setting_values.h"

#include "tag_document.h"

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

// The values read from a text whose comments are already gone.
SettingItem readItem(const QString &text)
{
    SettingItem item;
    item.name = Cls_XML::ExtractTag(text, SettingFormat::Name);
    item.reg = Cls_XML::ExtractTag(text, SettingFormat::Reg);
    item.replace = Cls_XML::ExtractTag(text, SettingFormat::Replace);
    item.data = Cls_XML::ExtractTag(text, SettingFormat::Data);
    item.link = Cls_XML::ExtractTag(text, SettingFormat::Link);
    return item;
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

void forEachFrame(const QString &dataSettingText,
                  const std::function<void(int number, const QString &frameText)> &visit)
{
    // One document indexes the section's tags once for the 99 probes.
    Cls_XML document;
    document.SetFileItem(dataSettingText, QString());
    for (int number = 1; number <= MaxFrames; ++number) {
        const QString frameText = document.GetFileItem_str(frameKey(number));
        if (!frameText.isEmpty())
            visit(number, frameText);
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
    // Read through a document, which indexes the frame's tags once for the hundred probes.
    Cls_XML text;
    text.SetFileItem(frameText, QString());
    SettingFrame frame;
    frame.title = text.GetFileItem_str(SettingFormat::Title);
    frame.font = text.GetFileItem_str(SettingFormat::Font);
    frame.itemFont = text.GetFileItem_str(SettingFormat::ItemFont);
    frame.lineCount = text.GetFileItem_str(SettingFormat::LineCount);
    frame.lastSetting = text.GetFileItem_str(SettingFormat::LastSetting);
    qsizetype present = 0;
    for (int number = 1; number <= SettingFormat::MaxItems; ++number) {
        const QString itemText = text.GetFileItem_str(SettingFormat::itemKey(number));
        if (itemText.isEmpty()) {
            frame.items.append(SettingItem{});
            continue;
        }
        // The item text is comment-free already, and stays so as its source.
        SettingItem item = readItem(itemText);
        item.source = itemText;
        frame.items.append(std::move(item));
        present = number;
    }
    frame.items.resize(present);
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

bool SettingFrame::operator==(const SettingFrame &other) const
{
    return title == other.title && font == other.font && itemFont == other.itemFont &&
           lineCount == other.lineCount && lastSetting == other.lastSetting && items == other.items;
}
