#include "TreePages.h"

#include "Cls_MyTree.h"
#include "EditTree.h"
#include "EditorState.h"
#include "ExtraPanel.h"
#include "FramePage.h"
#include "ItemPage.h"
#include "ReadBackCheck.h"
#include "WindowPage.h"
#include "platform_wrappers.h"
#include "setting_model.h"
#include "setting_values.h"

#include <QScopedValueRollback>
#include <QTreeWidget>

TreePages::TreePages(EditorState &state, EditTree &tree, const ReadBackCheck &check, Pages pages,
                     AskName askName, PageSwitch pageSwitch)
    : m_state(state)
    , m_tree(tree)
    , m_check(check)
    , m_pages(pages)
    , m_askName(std::move(askName))
    , m_pageSwitch(std::move(pageSwitch))
{
}

QString TreePages::runEditCommand(int index)
{
    switch (index) {
    case 0:
        if (!FncBln_CreateRootNode()) {
            return QStringLiteral("新規カテゴリを追加をやめました。");
        }
        Sub_StoreFramePage(false);
        return QStringLiteral("新規カテゴリを追加しました。");
    case 2:
        if (!FncBln_CreateChildNode()) {
            return QStringLiteral("新規項目を作成しませんでした。");
        }
        Sub_StoreFramePage(false);
        return QStringLiteral("新規項目を作成しました。");
    case 4:
        return FncBln_DeleteSelected() ? QStringLiteral("選択していた個所を削除しました。")
                                       : QStringLiteral("削除しませんでした。");
    case 6:
        return FncBln_CopyNode() ? QStringLiteral("選択していた個所をコピーしました。") : QString();
    case 7:
        if (!FncBln_PasteNode()) {
            return QStringLiteral("キャンセルしました。");
        }
        Sub_StoreFramePage(true);
        return QStringLiteral("コピー内容を登録しました。");
    default:
        return {};
    }
}

void TreePages::forgetCopy()
{
    m_copyKey.clear();
    m_copyFlag = false;
}

// Step F1: the model applies the frame defaults (fonts, one item per line).
void TreePages::Sub_ShowFramePage(QTreeWidgetItem *frame)
{
    if (!m_state.setting) {
        return;
    }
    Cls_MySettingFile &model = *m_state.setting;
    model.SetCurrentFrame(frame != nullptr ? Cls_MyTree::NodeTag(frame) : QString());
    m_pages.frame->showFrame(frame != nullptr ? Cls_MyTree::NodeKey(frame) : QString(),
                             model.GetFrameTitle(), model.GetFont(), model.GetItemFont(),
                             model.GetLineCount());
}

// The page goes back into the frame it was read from, wherever the selection is by now.
bool TreePages::Sub_StoreFramePage(bool loadFirst)
{
    FramePage *page = m_pages.frame;
    QTreeWidgetItem *frameNode = m_tree.find(page->boundKey());
    if (frameNode == nullptr) {
        return false;
    }
    // A frame whose items were never loaded holds only its dummy: gathering the children
    // then would drop every item, so they are loaded first whatever the caller asked.
    Q_UNUSED(loadFirst)
    m_tree.loadIfUnloaded(frameNode);
    SettingFrame frame = page->frame();
    frame.items = ReadBackCheck::childItems(frameNode);
    const PageFields fields = page->fields();
    const auto readsBack = [&](const QStringList &values) {
        SettingFrame tried = frame;
        tried.title = values.at(0);
        tried.font = values.at(1);
        tried.itemFont = values.at(2);
        tried.lineCount = values.at(3);
        return m_check.frameReadsBack(frameNode, tried);
    };
    if (!m_check.FncBln_CheckFields(fields, readsBack)) {
        return false;
    }
    Cls_MyTree::SetNodeTag(frameNode, frame.compose());
    frameNode->setText(0, frame.title);
    return true;
}

void TreePages::Sub_ShowItemPage(QTreeWidgetItem *node)
{
    m_pages.item->showItem(node != nullptr ? Cls_MyTree::NodeKey(node) : QString(),
                           node != nullptr ? SettingItem::parse(Cls_MyTree::NodeTag(node))
                                           : SettingItem());
}

// The page goes back into the item it was read from; with none, it is only checked.
bool TreePages::Sub_StoreItemPage()
{
    ItemPage *page = m_pages.item;
    QTreeWidgetItem *node = m_tree.find(page->boundKey());
    if (node != nullptr && node->parent() == nullptr) {
        node = nullptr;
    }
    const SettingItem item = page->item();
    const PageFields fields = page->fields();
    const auto readsBack = [&](const QStringList &values) {
        SettingItem tried = item;
        tried.name = values.at(0);
        QString *kindValues[2] = {&tried.data, nullptr};
        if (item.kind == SettingItem::Kind::Link) {
            kindValues[0] = &tried.link;
        } else if (item.kind == SettingItem::Kind::Edit) {
            kindValues[0] = &tried.reg;
            kindValues[1] = &tried.replace;
        }
        for (qsizetype k = 1; k < values.size(); ++k) {
            *kindValues[k - 1] = values.at(k);
        }
        return m_check.itemReadsBack(node, tried);
    };
    if (!m_check.FncBln_CheckFields(fields, readsBack)) {
        return false;
    }
    if (node != nullptr) {
        node->setText(0, item.name);
        Cls_MyTree::SetNodeTag(node, item.compose());
    }
    return true;
}

void TreePages::Sub_StoreFrameOrder()
{
    Cls_MySettingFile &model = *m_state.setting;
    model.SetCurrentFrame(QString());
    model.DataSet().InitItem_bln();
    for (const QString &frame : m_tree.frameTexts()) {
        model.AddDataSetFrame(frame);
    }
}

bool TreePages::FncBln_AddNode(bool isFrame, const QString &text, const QString &tag, bool select,
                               int hourOffset)
{
    const QString key = m_tree.addNode(isFrame, text, tag, hourOffset);
    if (key.isEmpty()) {
        return false;
    }
    if (select) {
        m_tree.select(key);
        // The pages follow the new selection, so that what is stored next belongs to it.
        m_pageSwitch();
    }
    return true;
}

bool TreePages::FncBln_DeleteSelected()
{
    QTreeWidgetItem *node = m_tree.selected();
    if (node == nullptr) {
        m_tree.tree()->IsNodeSelect(false);
        return false;
    }
    const QString frameKey =
        node->parent() != nullptr ? Cls_MyTree::NodeKey(node->parent()) : QString();
    {
        const QScopedValueRollback<bool> suppress(m_busy, true);
        if (!m_tree.tree()->RemoveNode_Selected(false)) {
            return false;
        }
        m_copyKey.clear();
        m_copyFlag = false;
        // The frame's text still lists a removed item until the frame is stored again.
        if (QTreeWidgetItem *frame = m_tree.find(frameKey)) {
            if (m_pages.frame->boundKey() != frameKey) {
                Sub_ShowFramePage(frame);
            }
            Sub_StoreFramePage(true);
        }
        m_tree.widget()->clearSelection();
        m_tree.widget()->setCurrentItem(nullptr);
    }
    // Nothing is selected now: the pages show, and store into, nothing.
    Sub_ShowFramePage(nullptr);
    Sub_ShowItemPage(nullptr);
    return true;
}

bool TreePages::FncBln_CreateRootNode()
{
    QString name;
    if (!m_askName(name)) {
        return false;
    }
    SettingFrame frame;
    frame.title = name;
    frame.font = m_pages.window->commonFont();
    frame.itemFont = frame.font;
    frame.lineCount = QStringLiteral("1");
    const PageField nameField{nullptr, QStringLiteral("名称"), SettingFormat::Title, name};
    if (!m_check.FncBln_CheckFields({nameField}, [&](const QStringList &values) {
            SettingFrame tried = frame;
            tried.title = values.at(0);
            return m_check.frameReadsBack(nullptr, tried);
        })) {
        return false;
    }
    if (!FncBln_AddNode(true, name, frame.compose(), false, 0)) {
        return false;
    }
    // The frame of the selection, also when an item is selected.
    if (QTreeWidgetItem *selectedFrame = m_tree.selectedFrame()) {
        Sub_ShowFramePage(selectedFrame);
    }
    return true;
}

bool TreePages::FncBln_CreateChildNode()
{
    if (!m_tree.tree() || !m_tree.tree()->IsNodeSelect(false)) {
        return false;
    }
    SettingItem item;
    item.kind = SettingItem::Kind::Data;
    if (!m_askName(item.name)) {
        return false;
    }
    const PageField nameField{nullptr, QStringLiteral("名称"), SettingFormat::Name, item.name};
    if (!m_check.FncBln_CheckFields({nameField}, [&](const QStringList &values) {
            SettingItem tried = item;
            tried.name = values.at(0);
            return m_check.itemReadsBack(nullptr, tried);
        })) {
        return false;
    }
    return FncBln_AddNode(false, item.name, item.compose(), false, 0);
}

bool TreePages::FncBln_CopyNode()
{
    if (!m_tree.tree() || !m_tree.tree()->IsNodeSelect(false)) {
        return false;
    }
    const QTreeWidgetItem *node = m_tree.selected();
    m_copyKey = Cls_MyTree::NodeKey(node);
    // Kept as well: a collapse removes the item node that the key names.
    m_copyText = node->text(0);
    m_copyTag = Cls_MyTree::NodeTag(node);
    m_copyFlag = true;
    return true;
}

bool TreePages::FncBln_PasteNode()
{
    if (!m_tree.tree() || !m_tree.tree()->IsNodeSelect(false) || !m_copyFlag) {
        return false;
    }
    QString name = m_copyText;
    QString tag = m_copyTag;
    if (const QTreeWidgetItem *copied = m_tree.find(m_copyKey)) {
        name = copied->text(0);
        tag = Cls_MyTree::NodeTag(copied);
    }
    if (!m_askName(name)) {
        return false;
    }
    // Always an item, also when a frame was copied: its values, every one of them.
    SettingItem item = SettingItem::parse(tag);
    item.source.clear();
    item.name = name;
    const PageField nameField{nullptr, QStringLiteral("名称"), SettingFormat::Name, name};
    if (!m_check.FncBln_CheckFields({nameField}, [&](const QStringList &values) {
            SettingItem tried = item;
            tried.name = values.at(0);
            return m_check.itemReadsBack(nullptr, tried);
        })) {
        return false;
    }
    return FncBln_AddNode(false, name, item.compose(), false, 0);
}

bool TreePages::FncBln_CreateSettingGrid()
{
    const qint64 cols = m_pages.extra->columns().trimmed().toInt();
    const qint64 rows = m_pages.extra->rows().trimmed().toInt();
    const qint64 count = cols * rows;
    if (count - 1 >= SettingFormat::MaxItems) {
        FncInt_MessageBox(MsgBox::Critical,
                          QStringLiteral("100以上の設定を作成することはできません。"),
                          QStringLiteral("設定不可"));
        return false;
    }
    if (count <= 0) {
        return false;
    }
    m_pages.extra->setVisible(!m_pages.extra->isVisible());
    if (!FncBln_AddNode(true, QStringLiteral("New Item"), QString(), true, 0)) {
        return false;
    }
    QTreeWidgetItem *frame = m_tree.selectedFrame();
    FramePage *framePage = m_pages.frame;
    framePage->setTitle(QStringLiteral("New Item"));
    framePage->setLineCount(m_pages.extra->columns());
    if (!Sub_StoreFramePage(true)) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("Item%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        SettingItem item;
        item.name = name;
        item.kind = SettingItem::Kind::Data;
        if (!FncBln_AddNode(false, name, item.compose(), true, i)) {
            return false;
        }
    }
    const QString frameKey = Cls_MyTree::NodeKey(frame);
    m_tree.select(frameKey);
    m_pageSwitch();
    framePage->setFont(QStringLiteral("Times New Roman"));
    framePage->setLineCount(m_pages.extra->columns());
    Sub_StoreFramePage(true);
    frame->setExpanded(true);
    return true;
}

bool TreePages::runItemTest(const QString &sample, QString &output, RegExpError &error)
{
    QTreeWidgetItem *node = m_tree.selected();
    if (!m_state.setting || node == nullptr || node->parent() == nullptr) {
        return false;
    }
    // What was just typed is what gets tested.
    if (!Sub_StoreItemPage()) {
        return false;
    }
    node = m_tree.selected();
    if (node == nullptr) {
        return false;
    }
    Cls_MySettingFile &model = *m_state.setting;
    model.Tmp().InitItem_bln();
    model.Tmp().SetFileItem(Cls_MyTree::NodeTag(node), QString());
    output = model.RegExpExecute(0, sample, true);
    error = model.LastPatternError();
    return true;
}

bool TreePages::insertCatalog(const QList<SettingFrame> &frames)
{
    const QScopedValueRollback<bool> suppress(m_busy, true);
    QTreeWidget *tree = m_tree.widget();
    // Hidden while the nodes go in, so that it is not redrawn for each of them.
    tree->hide();
    bool allAdded = true;
    for (int f = 0; f < frames.size(); ++f) {
        const SettingFrame &catalogFrame = frames[f];
        if (!FncBln_AddNode(true, catalogFrame.title, QString(), true, f)) {
            allAdded = false;
            continue;
        }
        QTreeWidgetItem *frame = m_tree.selectedFrame();
        const QString frameKey = Cls_MyTree::NodeKey(frame);
        FramePage *framePage = m_pages.frame;
        framePage->setTitle(catalogFrame.title);
        framePage->setLineCount(catalogFrame.lineCount);
        framePage->setFont(catalogFrame.font);
        if (!Sub_StoreFramePage(true)) {
            allAdded = false;
            continue;
        }
        frame->setExpanded(true);
        const auto named = catalogFrame.namedItems();
        for (int i = 0; i < named.size(); ++i) {
            const SettingItem &item = named[i].second;
            if (!FncBln_AddNode(false, item.name, item.compose(), true, i)) {
                allAdded = false;
                break;
            }
        }
        m_tree.select(frameKey);
        m_pageSwitch();
        Sub_StoreFramePage(true);
    }
    tree->show();
    return allAdded;
}
