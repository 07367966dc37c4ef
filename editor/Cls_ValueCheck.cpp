#include "Cls_ValueCheck.h"

#include "setting_values.h"
#include "tag_document.h"

#include <QRegularExpression>

QString Cls_ValueCheck::FncStr_OffendingText(const QString &value)
{
    static const QRegularExpression tag(QStringLiteral("<!--|-->|</?[A-Za-z][A-Za-z0-9]*>"));
    const QRegularExpressionMatch match = tag.match(value);
    return match.hasMatch() ? match.captured(0) : QString();
}

QString Cls_ValueCheck::FncStr_Compose(const Elements &elements)
{
    Cls_XML writer;
    for (const auto &[key, value] : elements) {
        writer.SetItem_bln(key, value);
    }
    return writer.GetItemAll_str(QString());
}

bool Cls_ValueCheck::FncBln_ReadsBack(const QString &text, const Elements &elements,
                                      const QString &section)
{
    Cls_XML reader;
    reader.SetFileItem(text, section);
    for (const auto &[key, value] : elements) {
        if (reader.Gets(key) != value) {
            return false;
        }
    }
    return true;
}

QString Cls_ValueCheck::FncStr_ComposeDocument(const Document &document)
{
    Cls_XML writer;
    writer.IndentLevel_Prop(0);
    writer.TopTagName_Prop(SettingFormat::SavedRoot);
    writer.AddItem_bln(SettingFormat::ColorSetting, FncStr_Compose(document.colors));
    writer.AddItem_bln(SettingFormat::CommonSetting, FncStr_Compose(document.common));
    writer.AddItem_bln(SettingFormat::DataSetting, FncStr_Compose(document.frames));
    return writer.GetFileItemAll_str();
}

bool Cls_ValueCheck::FncBln_DocumentReadsBack(const Document &document)
{
    const QString text = FncStr_ComposeDocument(document);
    return FncBln_ReadsBack(text, document.colors, SettingFormat::ColorSetting) &&
           FncBln_ReadsBack(text, document.common, SettingFormat::CommonSetting) &&
           FncBln_ReadsBack(text, document.frames, SettingFormat::DataSetting);
}

QString Cls_ValueCheck::FncStr_Culprit(const QString &value,
                                       const std::function<bool(const QString &)> &readsBack)
{
    static const QRegularExpression tag(QStringLiteral("<!--|-->|</?[A-Za-z][A-Za-z0-9]*>"));
    constexpr int kMostTried = 50;
    QString first;
    int tried = 0;
    auto matches = tag.globalMatch(value);
    while (matches.hasNext() && tried++ < kMostTried) {
        const QString piece = matches.next().captured(0);
        if (first.isEmpty()) {
            first = piece;
        }
        if (!readsBack(piece)) {
            return piece;
        }
    }
    return first.isEmpty() ? value.left(40) : first;
}

QString Cls_ValueCheck::FncStr_ItemNameAt(const QString &frameText, qsizetype position)
{
    static const QRegularExpression itemOpen(QStringLiteral("<(Item[0-9]+)>"));
    auto matches = itemOpen.globalMatch(frameText);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        if (match.capturedStart() > position) {
            break;
        }
        const QString close = QStringLiteral("</") + match.captured(1) + QLatin1Char('>');
        const qsizetype end = frameText.indexOf(close, match.capturedEnd());
        if (end >= position) {
            const QString itemText = frameText.mid(match.capturedEnd(), end - match.capturedEnd());
            return Cls_XML::ExtractTag(itemText, QStringLiteral("Name"));
        }
    }
    return {};
}

QString Cls_ValueCheck::FncStr_CodePoint(char32_t codePoint)
{
    return QStringLiteral("U+%1").arg(uint(codePoint), 4, 16, QLatin1Char('0')).toUpper();
}
