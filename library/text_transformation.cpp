#include "text_transformation.h"

#include "ecma_regexp.h"
#include "platform_wrappers.h"
#include "setting_model.h"
#include "setting_values.h"

#include <new>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

enum class Directive
{
    None,
    LowerCase,
    UpperCase,
    TrimLowerCase,
    TrimUpperCase,
    Wide,
    Narrow,
};

// In the order the directives are tested; the comparison is exact and whole.
Directive directiveOf(const Cls_RegExpExtraString &names, const QString &text)
{
    if (text == names.LowerCase()) {
        return Directive::LowerCase;
    }
    if (text == names.UpperCase()) {
        return Directive::UpperCase;
    }
    if (text == names.TrimLowerCase()) {
        return Directive::TrimLowerCase;
    }
    if (text == names.TrimUpperCase()) {
        return Directive::TrimUpperCase;
    }
    if (text == names.Wide()) {
        return Directive::Wide;
    }
    if (text == names.Narrow()) {
        return Directive::Narrow;
    }
    return Directive::None;
}

// Only U+0020 counts: tabs, line breaks and the ideographic space are content.
QStringView trimSpaces(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ') {
        ++first;
    }
    while (last > first && text[last - 1] == u' ') {
        --last;
    }
    return text.sliced(first, last - first);
}

// ASCII pieces, the usual ones, change case without a temporary string per match.
bool appendAsciiCase(QString &out, QStringView value, bool upper)
{
    for (const QChar c : value) {
        if (c.unicode() >= 0x80)
            return false;
    }
    const qsizetype at = out.size();
    out.resize(at + value.size());
    char16_t *target = reinterpret_cast<char16_t *>(out.data()) + at;
    const char16_t from = upper ? u'a' : u'A';
    for (const QChar c : value) {
        const char16_t unit = c.unicode();
        *target++ = unit >= from && unit <= from + 25 ? unit ^ 0x20 : unit;
    }
    return true;
}

void appendEdited(QString &out, QStringView value, Directive directive)
{
    // Raw data avoids copying the piece; the case functions return a new string anyway.
    const auto caseView = [&value] { return QString::fromRawData(value.data(), value.size()); };
    switch (directive) {
    case Directive::None:
        out.append(value);
        break;
    case Directive::LowerCase:
        if (!appendAsciiCase(out, value, false))
            out.append(caseView().toLower());
        break;
    case Directive::UpperCase:
        if (!appendAsciiCase(out, value, true))
            out.append(caseView().toUpper());
        break;
    case Directive::TrimLowerCase:
        out.append(trimSpaces(caseView().toLower()));
        break;
    case Directive::TrimUpperCase:
        out.append(trimSpaces(caseView().toUpper()));
        break;
    case Directive::Wide:
        FncStr_AppendWide(out, value);
        break;
    case Directive::Narrow:
        FncStr_AppendNarrow(out, value);
        break;
    }
}

VbError outOfMemory(const QString &source)
{
    return {VbErrorNo::OutOfMemory, u"Out of memory"_s, source};
}

// Records a failed run so that callers can tell it from an empty result, and shows the
// pattern box when the model's messages are on.
void notePatternFailure(RegExpError &error, bool showMessage)
{
    if (!error.isSet()) {
        error.message = u"The pattern could not be run"_s;
    }
    if (showMessage) {
        FncInt_MessageBox(MsgBox::Critical,
                          u"エラーが発生しました。\r\n"
                          u"正規表現に不備があるかもしれませんので、見直してください。"_s,
                          u"エラー発生"_s);
    }
}

} // namespace

bool Cls_RegExpExtraString::IsMatching(const QString &strA_Item) const
{
    return directiveOf(*this, strA_Item) != Directive::None;
}

QString Cls_RegExpExtraString::MatchingEdit(const QString &strA_Value,
                                            const QString &strA_Item) const
{
    try {
        QString out;
        out.reserve(strA_Value.size());
        appendEdited(out, strA_Value, directiveOf(*this, strA_Item));
        return out;
    } catch (const std::bad_alloc &) {
        Sub_ShowError(outOfMemory(u"Cls_RegExpExtraString"_s));
        return {};
    }
}

QString FncStr_FillClipboardPlaceholder(const QString &output, const QString &clipboardText)
{
    const QString marker = u"@@@@@@@@"_s;
    if (!output.contains(marker)) {
        return output;
    }
    QString filled = output;
    filled.replace(marker, clipboardText);
    return filled;
}

bool Cls_MySettingFile::SetDataPrepare(int lngIndex)
{
    m_prepared = false;
    // Item numbers are 1-based in the file; a negative or huge index simply finds nothing.
    const QString key = SettingFormat::itemKey(qint64(lngIndex) + 1);
    const QString itemText = m_dataSet.GetFileItem_str(key);
    if (!itemText.isEmpty()) {
        m_tmp.SetFileItem(itemText, QString());
        m_prepared = true;
    }
    return m_prepared;
}

QString Cls_MySettingFile::DataGet(int lngA_Index, const QString &strA_Data)
{
    // A copy or link click must not report the pattern error of an earlier edit item.
    m_lastPatternError = {};
    if (!SetDataPrepare(lngA_Index)) {
        return {};
    }
    if (isReg()) {
        m_editFlag = true;
        m_copyFlag = false;
        m_linkFlag = false;
        m_modeLabel = u"編集"_s;
        return RegExpExecute(lngA_Index, strA_Data, true);
    }
    if (isData()) {
        m_copyFlag = true;
        m_editFlag = false;
        m_linkFlag = false;
        m_modeLabel = u"コピー"_s;
        return GetData();
    }
    if (isLink()) {
        m_linkFlag = true;
        m_editFlag = false;
        m_copyFlag = false;
        m_modeLabel = u"リンク"_s;
        return GetLink();
    }
    return {};
}

QString Cls_MySettingFile::RegExpExecute(int lngA_Index, const QString &strA_Data, bool isPrepared)
{
    m_lastPatternError = {};
    if (!isPrepared && !SetDataPrepare(lngA_Index)) {
        return strA_Data;
    }
    // Read the item document itself: the test bench loads Tmp directly, which leaves the
    // prepared flag (and so GetReg) as it was, and an empty pattern would match everywhere.
    const QString pattern = m_tmp.GetFileItem_str(SettingFormat::Reg);
    const QString replacement = m_tmp.GetFileItem_str(SettingFormat::Replace);

    PatternEdit edit = FncStr_EditByPattern(pattern, replacement, strA_Data);
    if (!edit.output) {
        m_lastPatternError = edit.error;
        if (edit.directiveOutOfMemory) {
            Sub_ShowError(outOfMemory(u"Cls_MySettingFile"_s));
        } else {
            notePatternFailure(m_lastPatternError, m_msgDisplay);
        }
        return {};
    }
    return std::move(*edit.output);
}

namespace {

std::optional<QString> applyDirective(EcmaRegExp &regExp, const QString &input, Directive kind,
                                      PatternEdit &edit)
{
    const QStringView source(input);
    QString out;
    qsizetype position = 0;
    bool matched = false;
    try {
        const bool finished = regExp.forEachMatch(input, [&](qsizetype start, qsizetype length) {
            Q_ASSERT(start >= position && length >= 0 && start + length <= source.size());
            if (!matched) {
                matched = true;
                out.reserve(input.size());
            }
            // Text between the matches is copied unchanged; only matches are edited.
            out.append(source.sliced(position, start - position));
            appendEdited(out, source.sliced(start, length), kind);
            position = start + length;
        });
        if (!finished) {
            edit.error = regExp.error();
            return std::nullopt;
        }
        if (!matched) {
            return input;
        }
        out.append(source.sliced(position));
    } catch (const std::bad_alloc &) {
        edit.error = {u"Out of memory"_s, -1};
        edit.directiveOutOfMemory = true;
        return std::nullopt;
    }
    return out;
}

} // namespace

PatternEdit FncStr_EditByPattern(const QString &pattern, const QString &replacement,
                                 const QString &input, const std::atomic<bool> *cancel)
{
    PatternEdit edit;
    try {
        EcmaRegExp regExp(pattern);
        regExp.setCancelFlag(cancel);
        const Directive kind = directiveOf(Cls_RegExpExtraString(), replacement);
        if (!regExp.isValid()) {
            edit.error = regExp.error();
        } else if (kind != Directive::None) {
            edit.output = applyDirective(regExp, input, kind, edit);
        } else {
            edit.output = regExp.replaceAll(input, replacement);
            if (!edit.output) {
                edit.error = regExp.error();
            }
        }
    } catch (const std::bad_alloc &) {
        edit.output.reset();
        edit.error = {u"Out of memory"_s, -1};
    }
    if (!edit.output) {
        edit.cancelled = cancel != nullptr && cancel->load();
        if (!edit.error.isSet()) {
            edit.error.message = u"The pattern could not be run"_s;
        }
    }
    return edit;
}
