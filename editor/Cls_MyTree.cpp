#include "Cls_MyTree.h"

#include "TreeNodeFiles.h"
#include "platform_wrappers.h"
#include "tag_document.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QTreeWidgetItemIterator>

#include <limits>
#include <memory>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

void showNoSelection()
{
    FncInt_MessageBox(MsgBox::Exclamation | MsgBox::OkOnly,
                      QStringLiteral("Treeの項目が選択されておりません。") + kCrLf +
                          QStringLiteral("何かしら選択してください。"),
                      QStringLiteral("追加できません。"));
}

// Hides intermediate states of bulk changes. Suspending repaints instead of hiding the
// control keeps the keyboard focus where it is.
class UpdatesSuspended final
{
public:
    explicit UpdatesSuspended(QWidget *widget)
        : m_widget(widget)
        , m_wasEnabled(widget != nullptr && widget->updatesEnabled())
    {
        if (m_widget != nullptr) {
            m_widget->setUpdatesEnabled(false);
        }
    }
    ~UpdatesSuspended()
    {
        if (m_widget != nullptr && m_wasEnabled) {
            m_widget->setUpdatesEnabled(true);
        }
    }
    Q_DISABLE_COPY_MOVE(UpdatesSuspended)

private:
    QPointer<QWidget> m_widget;
    bool m_wasEnabled;
};

class FlagGuard final
{
public:
    explicit FlagGuard(bool &flag)
        : m_flag(flag)
        , m_old(flag)
    {
        m_flag = true;
    }
    ~FlagGuard() { m_flag = m_old; }
    Q_DISABLE_COPY_MOVE(FlagGuard)

private:
    bool &m_flag;
    bool m_old;
};

int levelOf(const QTreeWidgetItem *node)
{
    int level = 1;
    for (const QTreeWidgetItem *p = node->parent(); p != nullptr; p = p->parent()) {
        ++level;
    }
    return level;
}

} // namespace

Cls_MyTree::Cls_MyTree(QObject *parent)
    : QObject(parent)
    , m_files(std::make_unique<TreeNodeFiles>(*this))
    , m_savePath(QCoreApplication::instance() != nullptr ? QCoreApplication::applicationDirPath()
                                                         : QString())
{
}

Cls_MyTree::~Cls_MyTree()
{
    if (m_tree != nullptr) {
        disconnect(m_tree, nullptr, this, nullptr);
    }
}

void Cls_MyTree::MsgDisplayFlg_Prop(bool value)
{
    m_msgDisplay = value;
}
bool Cls_MyTree::MsgDisplayFlg_Prop() const
{
    return m_msgDisplay;
}
void Cls_MyTree::SaveFilePath_Prop(const QString &value)
{
    m_savePath = value;
}
QString Cls_MyTree::SaveFilePath_Prop() const
{
    return m_savePath;
}
void Cls_MyTree::ControlWithSave_Prop(bool value)
{
    m_controlWithSave = value;
}
bool Cls_MyTree::ControlWithSave_Prop() const
{
    return m_controlWithSave;
}
void Cls_MyTree::ExpandWithSort_Prop(bool value)
{
    m_expandWithSort = value;
}
bool Cls_MyTree::ExpandWithSort_Prop() const
{
    return m_expandWithSort;
}
void Cls_MyTree::SettingValue_Prop(int value)
{
    m_keyCounter = value;
}
int Cls_MyTree::SettingValue_Prop() const
{
    return m_keyCounter;
}
void Cls_MyTree::ImageListNo_OpenNode_Prop(int value)
{
    m_imageOpen = value;
}
int Cls_MyTree::ImageListNo_OpenNode_Prop() const
{
    return m_imageOpen;
}
void Cls_MyTree::ImageListNo_CloseNode_Prop(int value)
{
    m_imageClose = value;
}
int Cls_MyTree::ImageListNo_CloseNode_Prop() const
{
    return m_imageClose;
}
void Cls_MyTree::ImageListNo_Child_Prop(int value)
{
    m_imageChild = value;
}
int Cls_MyTree::ImageListNo_Child_Prop() const
{
    return m_imageChild;
}

void Cls_MyTree::Set_ImageListNo(int lngA_Open, int lngA_Close, int lngA_Child)
{
    m_imageOpen = lngA_Open;
    m_imageClose = lngA_Close;
    m_imageChild = lngA_Child;
}

void Cls_MyTree::ImageList_Prop(const QList<QIcon> &icons)
{
    m_images = icons;
    if (m_tree == nullptr) {
        return;
    }
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it) {
        setImage(*it, NodeImage(*it));
    }
}

QList<QIcon> Cls_MyTree::ImageList_Prop() const
{
    return m_images;
}

void Cls_MyTree::Set_Init(QTreeWidget *tree)
{
    if (m_tree != nullptr) {
        disconnect(m_tree, nullptr, this, nullptr);
    }
    m_tree = tree;
    if (m_tree == nullptr) {
        return;
    }
    connect(m_tree, &QTreeWidget::itemExpanded, this, &Cls_MyTree::onItemExpanded);
    connect(m_tree, &QTreeWidget::itemCollapsed, this, &Cls_MyTree::onItemCollapsed);
    connect(m_tree, &QTreeWidget::itemClicked, this, &Cls_MyTree::onItemClicked);
    const FlagGuard internal(m_internalChange);
    for (int i = m_tree->topLevelItemCount() - 1; i >= 0; --i) {
        delete m_tree->takeTopLevelItem(i);
    }
}

QTreeWidget *Cls_MyTree::Tree() const
{
    return m_tree;
}

QTreeWidgetItem *Cls_MyTree::SelectedNode() const
{
    if (m_tree == nullptr) {
        return nullptr;
    }
    QTreeWidgetItem *current = m_tree->currentItem();
    if (current != nullptr && current->isSelected()) {
        return current;
    }
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

bool Cls_MyTree::GetSelectedNode(QTreeWidgetItem *&node) const
{
    node = IsNodeSelect(false) ? SelectedNode() : nullptr;
    return node != nullptr;
}

bool Cls_MyTree::AddRootNode(const QString &strA_Text, const QString &strA_Key,
                             const QString &strA_Tag)
{
    QTreeWidgetItem *node = addNode(nullptr, true, strA_Text, strA_Key, strA_Tag, false);
    if (node == nullptr) {
        return false;
    }
    if (!addDummy(node)) {
        delete node;
        return false;
    }
    return true;
}

bool Cls_MyTree::AddNode(const QString &strA_RelativeKey, const QString &strA_Text,
                         const QString &strA_Key, const QString &strA_Tag)
{
    QTreeWidgetItem *relative = FindNode(strA_RelativeKey);
    if (relative == nullptr) {
        return false;
    }
    QTreeWidgetItem *node = addNode(relative, true, strA_Text, strA_Key, strA_Tag, false);
    if (node == nullptr) {
        return false;
    }
    // The relative's dummy goes only once the new node stands, so that a refused key does not
    // leave a collapsed branch without its expand mark.
    if (!RemoveDummyNode(relative) || !addDummy(node)) {
        delete node;
        return false;
    }
    return true;
}

bool Cls_MyTree::AddNode_Selected(const QString &strA_Text, const QString &strA_Key,
                                  const QString &strA_Tag)
{
    QTreeWidgetItem *selected = nullptr;
    if (!GetSelectedNode(selected)) {
        return false;
    }
    return AddNode(NodeKey(selected), strA_Text, strA_Key, strA_Tag);
}

bool Cls_MyTree::MoveRootNodePrevious()
{
    return moveSelected(true, true);
}

bool Cls_MyTree::MoveRootNodeNext()
{
    return moveSelected(false, true);
}

bool Cls_MyTree::MoveNodePrevious()
{
    return moveSelected(true, false);
}

bool Cls_MyTree::MoveNodeNext()
{
    return moveSelected(false, false);
}

bool Cls_MyTree::AddChild(const QString &strA_ParentKey, const QString &strA_Text,
                          const QString &strA_Key, const QString &strA_Tag, bool Abln_Overwrite)
{
    QTreeWidgetItem *parent = nullptr;
    if (!strA_ParentKey.isEmpty()) {
        parent = FindNode(strA_ParentKey);
        if (parent == nullptr) {
            return false;
        }
    }
    return addNode(parent, false, strA_Text, strA_Key, strA_Tag, Abln_Overwrite) != nullptr;
}

bool Cls_MyTree::AddChild_Selected(const QString &strA_Text, const QString &strA_Key,
                                   const QString &strA_Tag)
{
    QTreeWidgetItem *selected = nullptr;
    if (!GetSelectedNode(selected)) {
        return false;
    }
    const QString parentKey = NodeKey(selected);
    if (parentKey.isEmpty()) {
        // An empty key would add a top-level node instead of a child of the selection.
        return false;
    }
    return AddChild(parentKey, strA_Text, strA_Key, strA_Tag, false);
}

bool Cls_MyTree::RemoveNode(const QString &strA_Key, bool Abln_CleanUp)
{
    Q_UNUSED(Abln_CleanUp)
    QTreeWidgetItem *node = FindNode(strA_Key);
    if (node == nullptr) {
        return false;
    }
    const FlagGuard internal(m_internalChange);
    delete node;
    return true;
}

bool Cls_MyTree::RemoveNode_Selected(bool Abln_Quiet)
{
    if (!IsNodeSelect(Abln_Quiet)) {
        return false;
    }
    if (!Abln_Quiet &&
        !FncBln_MessageBoxYesNo(MsgBox::Question | MsgBox::OkCancel,
                                QStringLiteral("削除すると復元できません。") + kCrLf +
                                    QStringLiteral("削除してもよろしいですか？"),
                                QStringLiteral("最後の選択"))) {
        return false;
    }
    QTreeWidgetItem *node = SelectedNode();
    if (node == nullptr) {
        return false;
    }
    // By the node itself, not its key: a node the owner added without a key goes as well.
    const FlagGuard internal(m_internalChange);
    delete node;
    return true;
}

bool Cls_MyTree::RemoveChildNode(QTreeWidgetItem *node, bool Abln_CleanUp)
{
    Q_UNUSED(Abln_CleanUp)
    if (m_tree == nullptr || node == nullptr || node->treeWidget() != m_tree) {
        return false;
    }
    const FlagGuard internal(m_internalChange);
    while (node->childCount() > 0) {
        delete node->child(0);
    }
    return node->childCount() == 0;
}

bool Cls_MyTree::RemoveDummyNode(QTreeWidgetItem *node)
{
    if (m_tree == nullptr || node == nullptr || node->treeWidget() != m_tree) {
        return false;
    }
    if (node->childCount() == 0 || !IsDummyNode(node->child(0))) {
        return true;
    }
    const FlagGuard internal(m_internalChange);
    delete node->child(0);
    return true;
}

bool Cls_MyTree::IsNodeSelect(bool Abln_Quiet) const
{
    if (SelectedNode() != nullptr) {
        return true;
    }
    if (!Abln_Quiet) {
        showNoSelection();
    }
    return false;
}

bool Cls_MyTree::IsChild(const QTreeWidgetItem *node) const
{
    return node != nullptr && NodeImage(node) == m_imageChild;
}

bool Cls_MyTree::CheckSelected_isChild(bool Abln_Quiet) const
{
    if (!IsNodeSelect(Abln_Quiet)) {
        return false;
    }
    if (!IsChild(SelectedNode())) {
        return true;
    }
    if (!Abln_Quiet) {
        FncInt_MessageBox(MsgBox::Exclamation | MsgBox::OkOnly,
                          QStringLiteral("末端の子ノードが選択されています。") + kCrLf +
                              QStringLiteral("この処理を継続できません。"),
                          QStringLiteral("処理中止"));
    }
    return false;
}

QTreeWidgetItem *Cls_MyTree::FindNode(const QString &strA_Key) const
{
    if (m_tree == nullptr || strA_Key.isEmpty()) {
        return nullptr;
    }
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it) {
        if (NodeKey(*it) == strA_Key) {
            return *it;
        }
    }
    return nullptr;
}

QString Cls_MyTree::NodeKey(const QTreeWidgetItem *node)
{
    return node != nullptr ? node->data(0, KeyRole).toString() : QString();
}

QString Cls_MyTree::NodeTag(const QTreeWidgetItem *node)
{
    return node != nullptr ? node->data(0, TagRole).toString() : QString();
}

void Cls_MyTree::SetNodeTag(QTreeWidgetItem *node, const QString &strA_Tag)
{
    if (node != nullptr) {
        node->setData(0, TagRole, strA_Tag);
    }
}

int Cls_MyTree::NodeImage(const QTreeWidgetItem *node)
{
    return node != nullptr ? node->data(0, ImageRole).toInt() : 0;
}

bool Cls_MyTree::IsDummyNode(const QTreeWidgetItem *node)
{
    return NodeKey(node).contains(DummyMark);
}

bool Cls_MyTree::SelectNode(const QString &strA_Key)
{
    QTreeWidgetItem *node = FindNode(strA_Key);
    if (node == nullptr) {
        return false;
    }
    m_tree->setCurrentItem(node);
    node->setSelected(true);
    return true;
}

void Cls_MyTree::onItemExpanded(QTreeWidgetItem *item)
{
    if (m_internalChange || item == nullptr || IsChild(item) || IsDummyNode(item)) {
        return;
    }
    const UpdatesSuspended suspended(m_tree);
    const FlagGuard expanding(m_expanding);
    setImage(item, m_imageOpen);
    RemoveDummyNode(item);
    const QString key = NodeKey(item);
    emit NodeExpanded(item);
    // The owner's handler may have removed the node.
    if (m_expandWithSort && !key.isEmpty() && FindNode(key) == item) {
        item->setData(0, SortedRole, true);
        item->sortChildren(0, Qt::AscendingOrder);
    }
}

QList<QTreeWidgetItem *> Cls_MyTree::RootNodes() const
{
    QList<QTreeWidgetItem *> nodes;
    for (int i = 0; m_tree != nullptr && i < m_tree->topLevelItemCount(); ++i) {
        nodes.append(m_tree->topLevelItem(i));
    }
    return nodes;
}

bool Cls_MyTree::CollapseNode(QTreeWidgetItem *node)
{
    if (m_tree == nullptr || node == nullptr || node->treeWidget() != m_tree || IsChild(node) ||
        IsDummyNode(node)) {
        return false;
    }
    {
        const FlagGuard internal(m_internalChange);
        node->setExpanded(false);
    }
    collapseHandling(node);
    return true;
}

void Cls_MyTree::onItemCollapsed(QTreeWidgetItem *item)
{
    if (m_internalChange || item == nullptr || IsChild(item) || IsDummyNode(item)) {
        return;
    }
    collapseHandling(item);
}

void Cls_MyTree::collapseHandling(QTreeWidgetItem *item)
{
    {
        const UpdatesSuspended suspended(m_tree);
        setImage(item, m_imageClose);
        RemoveChildNode(item);
        addDummy(item);
    }
    emit NodeCollapsed(item);
}

void Cls_MyTree::onItemClicked(QTreeWidgetItem *item, int column)
{
    Q_UNUSED(column)
    emit NodeClicked(item);
}

QTreeWidgetItem *Cls_MyTree::addNode(QTreeWidgetItem *parent, bool isBranch, const QString &text,
                                     const QString &key, const QString &tag, bool overwrite)
{
    if (m_tree == nullptr) {
        return nullptr;
    }
    QString nodeKey = key;
    if (nodeKey.isEmpty()) {
        const int level = parent != nullptr ? levelOf(parent) + 1 : 1;
        nodeKey = QStringLiteral("LV%1_IDX%2_").arg(level).arg(m_keyCounter) + text;
        // The counter is used before it is advanced; at its end no key can be generated.
        if (m_keyCounter == std::numeric_limits<int>::max()) {
            return nullptr;
        }
        ++m_keyCounter;
    }
    if (!keyAvailable(nodeKey)) {
        return nullptr;
    }
    auto node = std::make_unique<QTreeWidgetItem>();
    node->setText(0, text);
    node->setData(0, KeyRole, nodeKey);
    node->setData(0, TagRole, tag);
    setImage(node.get(), isBranch ? m_imageClose : m_imageChild);
    QTreeWidgetItem *added = node.get();
    {
        const FlagGuard internal(m_internalChange);
        if (parent != nullptr) {
            parent->addChild(node.release());
            if (parent->data(0, SortedRole).toBool()) {
                parent->sortChildren(0, Qt::AscendingOrder);
            }
        } else {
            m_tree->addTopLevelItem(node.release());
        }
    }
    if (!m_expanding && m_controlWithSave) {
        // A node that cannot be written still stands in the tree.
        m_files->write(added, overwrite);
    }
    return added;
}

bool Cls_MyTree::addDummy(QTreeWidgetItem *node)
{
    if (node == nullptr || node->childCount() > 0) {
        return node != nullptr;
    }
    const QString dummyKey = DummyMark + NodeKey(node);
    if (FindNode(dummyKey) != nullptr) {
        return false;
    }
    auto dummy = std::make_unique<QTreeWidgetItem>();
    dummy->setText(0, dummyKey);
    dummy->setData(0, KeyRole, dummyKey);
    dummy->setData(0, TagRole, QString());
    setImage(dummy.get(), m_imageChild);
    const FlagGuard internal(m_internalChange);
    node->addChild(dummy.release());
    return true;
}

bool Cls_MyTree::keyAvailable(const QString &key) const
{
    // The placeholder and the dummy mark are reserved: a lasting node with either would
    // block every later add or be taken for a dummy.
    return !key.isEmpty() && key != PlaceholderKey && !key.contains(DummyMark) &&
           FindNode(key) == nullptr;
}

bool Cls_MyTree::moveSelected(bool up, bool rootOnly)
{
    if (!IsNodeSelect(false)) {
        return false;
    }
    QTreeWidgetItem *selected = SelectedNode();
    QTreeWidgetItem *parent = selected->parent();
    if (IsDummyNode(selected) || (rootOnly && parent != nullptr)) {
        return false;
    }
    const auto count = [&] {
        return parent != nullptr ? parent->childCount() : m_tree->topLevelItemCount();
    };
    const auto at = [&](int index) {
        return parent != nullptr ? parent->child(index) : m_tree->topLevelItem(index);
    };
    const auto indexOf = [&](QTreeWidgetItem *node) {
        return parent != nullptr ? parent->indexOfChild(node) : m_tree->indexOfTopLevelItem(node);
    };

    // The neighbour is checked first: rotating towards a missing one would re-create the
    // selected node at the end and report a failure after changing the tree.
    const int index = indexOf(selected);
    const QString selectedKey = NodeKey(selected);
    {
        const UpdatesSuspended suspended(m_tree);
        if (up) {
            if (index <= 0) {
                return false;
            }
            QTreeWidgetItem *previous = at(index - 1);
            reAddAtEnd(previous);
            for (int guard = count(); guard > 0; --guard) {
                QTreeWidgetItem *after = at(indexOf(selected) + 1);
                if (after == nullptr || after == previous) {
                    break;
                }
                reAddAtEnd(after);
            }
        } else {
            if (index < 0 || index >= count() - 1) {
                return false;
            }
            QTreeWidgetItem *next = at(index + 1);
            reAddAtEnd(selected);
            for (int guard = count(); guard > 0; --guard) {
                QTreeWidgetItem *after = at(indexOf(next) + 1);
                if (after == nullptr || after == selected) {
                    break;
                }
                reAddAtEnd(after);
            }
        }
    }
    m_tree->clearSelection();
    if (!selectedKey.isEmpty()) {
        SelectNode(selectedKey);
    } else {
        m_tree->setCurrentItem(selected);
    }
    return true;
}

// A re-added sibling keeps its key, text and tag; a branch comes back collapsed with its
// dummy, exactly as a freshly added one.
void Cls_MyTree::reAddAtEnd(QTreeWidgetItem *node)
{
    QTreeWidgetItem *parent = node->parent();
    {
        const FlagGuard internal(m_internalChange);
        if (parent != nullptr) {
            parent->takeChild(parent->indexOfChild(node));
        } else {
            m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(node));
        }
        if (!IsChild(node) && !IsDummyNode(node)) {
            qDeleteAll(node->takeChildren());
            setImage(node, m_imageClose);
            addDummy(node);
        }
        if (parent != nullptr) {
            parent->addChild(node);
        } else {
            m_tree->addTopLevelItem(node);
        }
        node->setExpanded(false);
    }
    if (!m_expanding && m_controlWithSave && !IsDummyNode(node)) {
        m_files->write(node, true);
    }
}

void Cls_MyTree::setImage(QTreeWidgetItem *node, int image) const
{
    node->setData(0, ImageRole, image);
    node->setIcon(0, image >= 1 && image <= m_images.size() ? m_images.at(image - 1) : QIcon());
}

bool Cls_MyTree::SaveNode(const QTreeWidgetItem *node, bool Abln_Overwrite)
{
    return m_files->save(node, Abln_Overwrite);
}

bool Cls_MyTree::LoadRootNodes()
{
    return m_files->loadRoots();
}

bool Cls_MyTree::LoadChildNodes(QTreeWidgetItem *node)
{
    return m_files->loadChildren(node);
}

bool Cls_MyTree::LoadNode(const QString &strA_File, QStringList &values) const
{
    return m_files->loadNode(strA_File, values);
}

QString Cls_MyTree::FncStr_NodePath(const QTreeWidgetItem *node) const
{
    return m_files->nodePath(node);
}
