#include "regexp_presets.h"

#include "text_transformation.h"

using namespace Qt::StringLiterals;

namespace RegExpPresets {

const QList<ItemPreset> &itemPresets()
{
    static const QList<ItemPreset> presets = [] {
        const Cls_RegExpExtraString extra;
        return QList<ItemPreset>{
            {u"空白除去"_s, u"[\\r\\t ]"_s, QString()},
            {u"TAB → カンマ"_s, u"\t"_s, u","_s},
            {u"カンマ → TAB"_s, u","_s, u"\t"_s},
            {u"カンマに改行を足す"_s, u","_s, u",\r\n"_s},
            {u"改行を詰める"_s, u"\r\n\r\n"_s, u"\r\n"_s},
            {u"Private → Public"_s, u"Private"_s, u"Public"_s},
            {u"空白詰め＋大文字化"_s, u"[ ][A-z]"_s, extra.TrimUpperCase()},
            {u"空白詰め＋小文字化"_s, u"[ ][A-z]"_s, extra.TrimLowerCase()},
        };
    }();
    return presets;
}

const QList<DirectivePreset> &directivePresets()
{
    static const QList<DirectivePreset> presets = [] {
        const Cls_RegExpExtraString extra;
        return QList<DirectivePreset>{
            {u"LowerCase"_s, extra.LowerCase(), u"検索対象を全て小文字に変換します。"_s},
            {u"UpperCase"_s, extra.UpperCase(), u"検索対象を全て大文字に変換します。"_s},
            {u"TrimLowerCase"_s, extra.TrimLowerCase(),
             u"検索対象を全て小文字に変換し、空白を除去します。"_s},
            {u"TrimUpperCase"_s, extra.TrimUpperCase(),
             u"検索対象を全て大文字に変換し、空白を除去します。"_s},
            {u"Wide"_s, extra.Wide(), u"検索対象を全て全角文字に変換します。"_s},
            {u"Narrow"_s, extra.Narrow(), u"検索対象を全て半角文字に変換します。"_s},
        };
    }();
    return presets;
}

const QList<SearchPreset> &searchPresets()
{
    static const QList<SearchPreset> presets = {
        {u"数値"_s, u"[0-9]"_s},           {u"ｱﾙﾌｧﾍﾞｯﾄ小文字"_s, u"[a-z]"_s},
        {u"ｱﾙﾌｧﾍﾞｯﾄ大文字"_s, u"[A-Z]"_s}, {u"ｱﾙﾌｧﾍﾞｯﾄ"_s, u"[A-z]"_s},
        {u"空白かTAB"_s, u"[ \\t]"_s},     {u"先頭がXXXから"_s, u"^XXX"_s},
        {u"改行前がXXX"_s, u"XXX$"_s},     {u"AAA～BBBで該当"_s, u"AAA.*BBB"_s},
        {u"AAAかBBB"_s, u"(AAA|BBB)"_s},
    };
    return presets;
}

QString itemPresetStatus(const QString &caption)
{
    return u"「"_s + caption + u"」を設定しました。"_s;
}

QString searchPresetStatus(const QString &caption)
{
    return u"「"_s + caption + u"」の設定を選択しました。"_s;
}

QString initialSample()
{
    return u"This is sentences for the test. \r\n"
           u"Please use it freely. \r\n"
           u"\r\n"
           u"Item1,Item2,Item3,Item4\r\n"_s;
}

QString testRunStatus()
{
    return u"置換しました。"_s;
}

QString testAreaStatus(bool opened)
{
    return u"置換作業のテスト用画面を"_s + (opened ? u"開きました。"_s : u"閉じました。"_s);
}

QString clearStatus()
{
    return u"テキストボックスをクリアしました"_s;
}

QString copyStatus()
{
    return u"テキストボックスの内容をコピーしました"_s;
}

QString selectStatus()
{
    return u"テキストボックスの内容を選択しました"_s;
}

} // namespace RegExpPresets
