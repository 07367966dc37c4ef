// The element names and number limits of a setting file, and one frame or item of it as a
// value: parsed from the text between its tags and composed back the way the editor writes it.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace SettingFormat {

// Readers look at Frame1 … Frame99 and, within a frame, Item1 … Item100; higher numbers are
// never read.
inline constexpr int MaxFrames = 99;
inline constexpr int MaxItems = 100;

// Sections.
inline const QString ColorSetting = QStringLiteral("ColorSetting");
inline const QString CommonSetting = QStringLiteral("CommonSetting");
inline const QString DataSetting = QStringLiteral("DataSetting");
// Root element of a saved file (a read never checks it).
inline const QString SavedRoot = QStringLiteral("myItem");

// Frames and items.
inline const QString Frame = QStringLiteral("Frame");
inline const QString Item = QStringLiteral("Item");
inline const QString Title = QStringLiteral("Title");
inline const QString Font = QStringLiteral("Font");
inline const QString ItemFont = QStringLiteral("ItemFont");
inline const QString LineCount = QStringLiteral("LineCount");
inline const QString LastSetting = QStringLiteral("LastSetting");
inline const QString Name = QStringLiteral("Name");
inline const QString Reg = QStringLiteral("Reg");
inline const QString Replace = QStringLiteral("Replace");
inline const QString Data = QStringLiteral("Data");
inline const QString Link = QStringLiteral("Link");

// CommonSetting (Title and Font as above).
inline const QString Version = QStringLiteral("Version");
inline const QString TopMost = QStringLiteral("TopMost");
inline const QString FontSize = QStringLiteral("FontSize");
inline const QString ItemHeight = QStringLiteral("ItemHeight");
inline const QString ItemWidth = QStringLiteral("ItemWidth");
inline const QString MarginTop = QStringLiteral("MarginTop");
inline const QString MarginBottom = QStringLiteral("MarginBottom");
inline const QString Align = QStringLiteral("Align");
inline const QString Valign = QStringLiteral("Valign");
inline const QString PositioningTop = QStringLiteral("PositioningTop");
inline const QString PositioningLeft = QStringLiteral("PositioningLeft");
inline const QString PictureName = QStringLiteral("PictureName");
inline const QString ModeSelecter = QStringLiteral("ModeSelecter");

// ColorSetting, in the order the editor lists and stores them.
inline const QString Base = QStringLiteral("Base");
inline const QString Label = QStringLiteral("Label");
inline const QString Back = QStringLiteral("Back");
inline const QString Fore = QStringLiteral("Fore");
inline const QStringList ColorKeys = {Base, Title, Label, Back, Fore};

// "Frame" + number and "Item" + number, numbers from 1.
QString frameKey(qint64 number);
QString itemKey(qint64 number);

// The frames of a DataSetting section's text (comments already removed): visit(number,
// frameText) for each non-empty Frame1 … Frame99, in number order; gaps are skipped.
void forEachFrame(QStringView dataSettingText,
                  const std::function<void(int number, const QString &frameText)> &visit);

} // namespace SettingFormat

struct SettingItem
{
    // What compose() writes after the name. The editor's item page stores one kind: Data,
    // Edit (pattern and replacement) or Link; All writes every value, as a pasted copy does.
    enum class Kind
    {
        All,
        Data,
        Edit,
        Link
    };

    QString name, reg, replace, data, link;
    Kind kind = Kind::All;
    // The text parse() read. While kind is All and the values are still the ones read from
    // it, compose() gives it back as it was, so an item nobody changed is saved unchanged
    // (layout, key order and unknown elements included). Clear it to compose anew.
    QString source;

    // itemText is the text inside <ItemN>…</ItemN>; comments are removed as readers do.
    static SettingItem parse(const QString &itemText);
    // The text inside <ItemN>…</ItemN>: one "<Key>value</Key>" line per value, CR LF after
    // each, Name first.
    QString compose() const;

    // Only named items have a button in the palette and a node in the editor.
    bool isNamed() const { return !name.isEmpty(); }
    // The kind the editor's item page shows: Data when there is data, else Link when there
    // is a link, else Edit when there is a pattern or replacement, else Data.
    Kind pageKind() const;
    // Stands for a missing item number in SettingFrame::items: no values, kind All, no text.
    bool isAbsent() const;

    // Values and kind; the source text is not compared.
    bool operator==(const SettingItem &other) const;
};

struct SettingFrame
{
    // As stored: the model's getters apply the defaults (fonts, line count 1).
    QString title, font, itemFont, lineCount, lastSetting;
    // items[i] is Item(i + 1). A number with no item (missing, or an empty element, which
    // reads the same) holds an absent SettingItem (isAbsent()), which compose() skips
    // without renumbering the rest; parse() leaves none at the end and reads no number past
    // MaxItems.
    QList<SettingItem> items;
    // As SettingItem::source: an unchanged frame composes to the text it was parsed from.
    QString source;

    // frameText is the text inside <FrameN>…</FrameN>; comments are removed as readers do.
    static SettingFrame parse(const QString &frameText);
    // The text inside <FrameN>…</FrameN>: Title, Font, ItemFont and LineCount lines always,
    // LastSetting only when set, then <ItemN>…</ItemN> lines for the first MaxItems entries.
    QString compose() const;

    // The named items among the first MaxItems, in number order, each with its index from 0
    // (the item being Item(index + 1)).
    QList<std::pair<int, SettingItem>> namedItems() const;

    // Values and items; the source texts are not compared.
    bool operator==(const SettingFrame &other) const;
};

// What a list of the items needs of a frame, read by the rules of SettingFrame::parse but
// without copying the items' texts: a large setting is listed in a moment.
struct SettingFrameOutline
{
    struct Item
    {
        int index = 0; // the item is Item(index + 1)
        QString name;
        bool hasReg = false;
        bool hasData = false;
        bool hasLink = false;
    };
    QString title;
    // As SettingFrame::namedItems: the named items, in number order.
    QList<Item> namedItems;

    static SettingFrameOutline read(const QString &frameText);
};
