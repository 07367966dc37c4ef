#include "ReadBackCheck.h"

#include "Cls_MyTree.h"
#include "ColorPage.h"
#include "WindowPage.h"
#include "cp932_codec.h"
#include "platform_wrappers.h"
#include "tag_document.h"

#include <QTreeWidget>

namespace {

// The values a text gives back, whatever kind wrote them.
SettingItem readBack(const SettingItem &item)
{
    SettingItem read = SettingItem::parse(item.compose());
    read.kind = SettingItem::Kind::All;
    return read;
}

SettingItem comparable(SettingItem item)
{
    item.kind = SettingItem::Kind::All;
    item.source.clear();
    return item;
}

SettingFrame comparable(SettingFrame frame)
{
    for (SettingItem &item : frame.items) {
        item = comparable(item);
    }
    frame.source.clear();
    return frame;
}

} // namespace

ReadBackCheck::ReadBackCheck(const QTreeWidget *tree, const WindowPage *window,
                             const ColorPage *colors, Refuse refuse)
    : m_tree(tree)
    , m_window(window)
    , m_colors(colors)
    , m_refuse(std::move(refuse))
{
}

bool ReadBackCheck::FncBln_CheckFields(const PageFields &fields, const ValuesCheck &readsBack) const
{
    QStringList values;
    for (const PageField &field : fields) {
        values.append(field.value);
    }
    if (readsBack(values)) {
        return true;
    }
    for (qsizetype i = 0; i < fields.size(); ++i) {
        QStringList alone(fields.size());
        alone[i] = values.at(i);
        if (readsBack(alone)) {
            continue;
        }
        const QString piece =
            Cls_ValueCheck::FncStr_Culprit(values.at(i), [&](const QString &candidate) {
                QStringList tried(fields.size());
                tried[i] = candidate;
                return readsBack(tried);
            });
        m_refuse(fields.at(i).field, fields.at(i).label, piece);
        return false;
    }
    // Only together: the first field that holds a tag or a comment mark.
    for (const PageField &field : fields) {
        const QString piece = Cls_ValueCheck::FncStr_OffendingText(field.value);
        if (!piece.isEmpty()) {
            m_refuse(field.field, field.label, piece);
            return false;
        }
    }
    if (!fields.isEmpty()) {
        m_refuse(fields.first().field, fields.first().label, fields.first().value.left(40));
    }
    return false;
}

Cls_ValueCheck::Document ReadBackCheck::document(const QTreeWidgetItem *frameNode,
                                                 const QString &frameText) const
{
    Cls_ValueCheck::Document document;
    for (const PageField &field : m_colors->fields()) {
        document.colors.append({field.key, field.value});
    }
    for (const PageField &field : m_window->fields()) {
        document.common.append({field.key, field.value});
    }
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *node = m_tree->topLevelItem(i);
        document.frames.append({SettingFormat::frameKey(i + 1),
                                node == frameNode ? frameText : Cls_MyTree::NodeTag(node)});
    }
    return document;
}

QList<SettingItem> ReadBackCheck::childItems(const QTreeWidgetItem *frameNode,
                                             const QTreeWidgetItem *replaced,
                                             const SettingItem &replacement)
{
    QList<SettingItem> items;
    for (int i = 0; i < frameNode->childCount(); ++i) {
        const QTreeWidgetItem *child = frameNode->child(i);
        if (Cls_MyTree::IsDummyNode(child)) {
            continue;
        }
        items.append(child == replaced ? replacement
                                       : SettingItem::parse(Cls_MyTree::NodeTag(child)));
    }
    return items;
}

bool ReadBackCheck::frameReadsBack(const QTreeWidgetItem *frameNode,
                                   const SettingFrame &frame) const
{
    const QString text = frame.compose();
    const SettingFrame parsed = SettingFrame::parse(text);
    if (!(comparable(parsed) == comparable(frame))) {
        return false;
    }
    // Each item's own text too: a frame field that opens an item element gives the same
    // values once, but not the same file after the next save.
    for (qsizetype i = 0; i < frame.items.size(); ++i) {
        if (parsed.items.at(i).source != frame.items.at(i).compose()) {
            return false;
        }
    }
    return frameNode == nullptr ||
           Cls_ValueCheck::FncBln_DocumentReadsBack(document(frameNode, text));
}

bool ReadBackCheck::itemReadsBack(const QTreeWidgetItem *node, const SettingItem &item) const
{
    if (!(readBack(item) == comparable(item))) {
        return false;
    }
    if (node == nullptr) {
        return true;
    }
    const QTreeWidgetItem *frameNode = node->parent();
    SettingFrame frame = SettingFrame::parse(Cls_MyTree::NodeTag(frameNode));
    frame.items = childItems(frameNode, node, item);
    return frameReadsBack(frameNode, frame);
}

bool ReadBackCheck::FncBln_CheckDocument(int *page) const
{
    const Cls_ValueCheck::Document whole = document();
    if (Cls_ValueCheck::FncBln_DocumentReadsBack(whole)) {
        return true;
    }
    const auto sectionCheck =
        [&whole](Cls_ValueCheck::Elements Cls_ValueCheck::Document::*section) {
            return [&whole, section](const QStringList &values) {
                Cls_ValueCheck::Document tried = whole;
                for (qsizetype k = 0; k < values.size(); ++k) {
                    (tried.*section)[k].second = values.at(k);
                }
                return Cls_ValueCheck::FncBln_DocumentReadsBack(tried);
            };
        };
    // The section whose fields, emptied, let the rest come back is the one to blame.
    const auto colors = sectionCheck(&Cls_ValueCheck::Document::colors);
    if (colors(QStringList(whole.colors.size()))) {
        *page = 1;
        return FncBln_CheckFields(m_colors->fields(), colors);
    }
    const auto common = sectionCheck(&Cls_ValueCheck::Document::common);
    if (common(QStringList(whole.common.size()))) {
        *page = 0;
        return FncBln_CheckFields(m_window->fields(), common);
    }
    const QString text = Cls_ValueCheck::FncStr_ComposeDocument(whole);
    Cls_XML reader;
    reader.SetFileItem(text, SettingFormat::DataSetting);
    for (qsizetype i = 0; i < whole.frames.size(); ++i) {
        if (reader.Gets(whole.frames[i].first) != whole.frames[i].second) {
            FncInt_MessageBox(MsgBox::Exclamation,
                              QStringLiteral("カテゴリ「%1」の内容は、保存すると同じ内容で"
                                             "読み込めません。")
                                  .arg(m_tree->topLevelItem(int(i))->text(0)),
                              QStringLiteral("入力内容の確認"));
            return false;
        }
    }
    return true;
}

bool ReadBackCheck::FncBln_CheckEncodable() const
{
    const auto refuse = [](const Cp932Unencodable &failure, const QString &place) {
        const char32_t codePoint = failure.codePoint;
        FncInt_MessageBox(MsgBox::Exclamation,
                          QStringLiteral("設定ファイルに保存できない文字が含まれているため、"
                                         "保存を中止しました。\r\n文字：『%1』(%2)\r\n場所：%3")
                              .arg(QString::fromUcs4(&codePoint, 1),
                                   Cls_ValueCheck::FncStr_CodePoint(codePoint), place),
                          QStringLiteral("保存できません"));
        return false;
    };
    Cp932Unencodable failure;
    for (const PageField &field : m_colors->fields()) {
        if (!Cp932Codec::encode(field.value, &failure)) {
            return refuse(failure, QStringLiteral("色情報の「%1」").arg(field.label));
        }
    }
    for (const PageField &field : m_window->fields()) {
        if (!Cp932Codec::encode(field.value, &failure)) {
            return refuse(failure, QStringLiteral("基本設定の「%1」").arg(field.label));
        }
    }
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *frame = m_tree->topLevelItem(i);
        const QString tag = Cls_MyTree::NodeTag(frame);
        if (Cp932Codec::encode(tag, &failure)) {
            continue;
        }
        QString place = QStringLiteral("カテゴリ「%1」").arg(frame->text(0));
        const QString item = Cls_ValueCheck::FncStr_ItemNameAt(tag, failure.position);
        if (!item.isEmpty()) {
            place += QStringLiteral("の項目「%1」").arg(item);
        }
        return refuse(failure, place);
    }
    return true;
}
