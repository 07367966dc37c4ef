#include "setting_catalog.h"

using namespace Qt::StringLiterals;

namespace SettingCatalog {

const QList<Catalog> &catalogs()
{
    static const QList<Catalog> all = {
        {u"初期設定：VisualBasic Style"_s,
         {
             {u"Base Frame"_s,
              u"1"_s,
              {u"Form Frame"_s, u"Class Frame"_s, u"Priavte Type "_s, u"Priavte Enum "_s}},
             {u"Function"_s,
              u"1"_s,
              {u"Private Sub"_s, u"Private Function (Boolean)"_s, u"Private Function (String)"_s,
               u"Private Function (Int)"_s}},
             {u"Method Edit"_s, u"1"_s, {u"Private to Public"_s}},
             {u"Comment Header"_s, u"1"_s, {u"Class"_s, u"Sub"_s, u"Function"_s, u"Event"_s}},
             {u"Separat Comment"_s, u"3"_s, {u"Big"_s, u"Middle"_s, u"Small"_s}},
             {u"Variable"_s, u"2"_s, {u"Default"_s, u"Count"_s, u"String"_s, u"Integer"_s}},
             {u"Basic Source Tips"_s, u"2"_s, {u"If"_s, u"If Len"_s, u"For"_s, u"For Each"_s}},
             {u"Source Tips"_s, u"2"_s, {u"ErrorMessage"_s, u"MessageBox"_s}},
             {u"Link"_s, u"1"_s, {u"ﾏﾆｭｱﾙ"_s}},
         }},
        {u"初期設定：JAVA Style"_s,
         {
             {u"Class Frame"_s,
              u"1"_s,
              {u"Default Class"_s, u"constructer"_s, u"default import"_s}},
             {u"Method Frame"_s,
              u"1"_s,
              {u"private (void)"_s, u"private (boolean)"_s, u"private (string)"_s,
               u"private (int)"_s}},
             {u"Clipboad Edit"_s, u"1"_s, {u"private to public"_s}},
             {u"for JAVA Doc"_s,
              u"1"_s,
              {u"Class Header"_s, u"Method Header"_s, u"param"_s, u"return"_s}},
             {u"Separat Comment"_s, u"3"_s, {u"Big"_s, u"Middle"_s, u"Small"_s}},
             {u"Basic Source Tips"_s, u"2"_s, {u"if"_s, u"switch"_s, u"for"_s, u"while"_s}},
             {u"Source Tips"_s, u"1"_s, {u"message show"_s}},
             {u"Variable"_s, u"2"_s, {u"Default"_s, u"Count"_s, u"string"_s, u"int"_s}},
             {u"Link"_s, u"1"_s, {u"ﾏﾆｭｱﾙ"_s}},
         }},
    };
    return all;
}

QList<SettingFrame> frames(int index)
{
    QList<SettingFrame> out;
    if (index < 0 || index >= catalogs().size()) {
        return out;
    }
    for (const CatalogFrame &entry : catalogs().at(index).frames) {
        SettingFrame frame;
        frame.title = entry.title;
        frame.font = FrameFont;
        frame.lineCount = entry.lineCount;
        for (const QString &name : entry.itemNames) {
            if (name.isEmpty()) {
                continue;
            }
            SettingItem item;
            item.name = name;
            // What the item page stores for a new item: the name and empty data.
            item.kind = SettingItem::Kind::Data;
            frame.items << item;
        }
        out << frame;
    }
    return out;
}

QString question(const QString &caption)
{
    return u"この設定を追加しますか？\r\n"_s + QString(32, u'-') + u"\r\n『"_s + caption +
           u"』\r\n\r\n"_s;
}

} // namespace SettingCatalog
