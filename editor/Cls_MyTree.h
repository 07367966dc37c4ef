// Cls_MyTree: a keyed node model over a QTreeWidget, with lazily loaded branches.
// Each item carries its key, tag and image number in data roles; a collapsed branch
// without loaded children holds one dummy leaf so that the view draws an expand mark.
#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QTreeWidget;
class QTreeWidgetItem;
class TreeNodeFiles;

class Cls_MyTree final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Cls_MyTree)

public:
    // Item data roles (column 0) under which a node keeps its model values.
    static constexpr int KeyRole = Qt::UserRole + 1;
    static constexpr int TagRole = Qt::UserRole + 2;
    static constexpr int ImageRole = Qt::UserRole + 3;
    static constexpr int SortedRole = Qt::UserRole + 4;

    // Marker in the key (and text) of a dummy child.
    static inline const QString DummyMark = QStringLiteral("XXXXDummyXXXX");
    // Key every node holds for a moment while it is added; never a lasting key.
    static inline const QString PlaceholderKey = QStringLiteral("SettingName");

    explicit Cls_MyTree(QObject *parent = nullptr);
    ~Cls_MyTree() override;

    // Gates the error and configuration messages of the persistence feature.
    void MsgDisplayFlg_Prop(bool value);
    bool MsgDisplayFlg_Prop() const;
    // Root folder of the persistence feature.
    void SaveFilePath_Prop(const QString &value);
    QString SaveFilePath_Prop() const;
    // When true, every node that is added is also written by the persistence feature.
    void ControlWithSave_Prop(bool value);
    bool ControlWithSave_Prop() const;
    // When true, a branch sorts its children by text when it is expanded.
    void ExpandWithSort_Prop(bool value);
    bool ExpandWithSort_Prop() const;
    // Running number of generated keys; incremented after each use.
    void SettingValue_Prop(int value);
    int SettingValue_Prop() const;

    void ImageListNo_OpenNode_Prop(int value);
    int ImageListNo_OpenNode_Prop() const;
    void ImageListNo_CloseNode_Prop(int value);
    int ImageListNo_CloseNode_Prop() const;
    void ImageListNo_Child_Prop(int value);
    int ImageListNo_Child_Prop() const;
    void Set_ImageListNo(int lngA_Open, int lngA_Close, int lngA_Child);

    // Icons of image numbers 1, 2, 3 ...: element 0 is image 1. Nodes whose image number
    // has no icon show none. Existing nodes are repainted.
    void ImageList_Prop(const QList<QIcon> &icons);
    QList<QIcon> ImageList_Prop() const;

    // Binds the control (and its expand, collapse and click events) and empties it.
    void Set_Init(QTreeWidget *tree);
    QTreeWidget *Tree() const;

    // Selected node without any message; nullptr when nothing is selected.
    QTreeWidgetItem *SelectedNode() const;
    // With the no-selection message when nothing is selected.
    bool GetSelectedNode(QTreeWidgetItem *&node) const;

    bool AddRootNode(const QString &strA_Text, const QString &strA_Key, const QString &strA_Tag);
    bool AddNode(const QString &strA_RelativeKey, const QString &strA_Text, const QString &strA_Key,
                 const QString &strA_Tag);
    bool AddNode_Selected(const QString &strA_Text, const QString &strA_Key,
                          const QString &strA_Tag);

    bool MoveRootNodePrevious();
    bool MoveRootNodeNext();
    bool MoveNodePrevious();
    bool MoveNodeNext();

    // An empty parent key adds a top-level leaf. Abln_Overwrite is passed on to SaveNode.
    bool AddChild(const QString &strA_ParentKey, const QString &strA_Text, const QString &strA_Key,
                  const QString &strA_Tag, bool Abln_Overwrite = false);
    bool AddChild_Selected(const QString &strA_Text, const QString &strA_Key,
                           const QString &strA_Tag);

    // Persistence: a node is the file "<text>.xml" in the folder FncStr_NodePath; a branch
    // also owns the folder "<text>" beside that file for its children.
    bool SaveNode(const QTreeWidgetItem *node, bool Abln_Overwrite = true);
    // Adds a top-level node for every node file in the save path (sorted by file name).
    bool LoadRootNodes();
    // Adds the children written below a branch node.
    bool LoadChildNodes(QTreeWidgetItem *node);
    // Reads one node file (path relative to the save path, or absolute) into
    // {KEY, TXT, TAG, ParentKEY}.
    bool LoadNode(const QString &strA_File, QStringList &values) const;

    // Removes the node and its subtree. Abln_CleanUp asks for an extra clean-up step, which
    // this class does not need.
    bool RemoveNode(const QString &strA_Key, bool Abln_CleanUp = false);
    // With the "最後の選択" confirmation unless quiet.
    bool RemoveNode_Selected(bool Abln_Quiet);
    bool RemoveChildNode(QTreeWidgetItem *node, bool Abln_CleanUp = false);
    bool RemoveDummyNode(QTreeWidgetItem *node);

    bool IsNodeSelect(bool Abln_Quiet) const;
    // True for a leaf: its image equals the leaf image.
    bool IsChild(const QTreeWidgetItem *node) const;
    // True when a branch is selected; messages for a leaf or no selection unless quiet.
    bool CheckSelected_isChild(bool Abln_Quiet) const;
    // Folder of a node's file: the save path plus the texts of its ancestors.
    QString FncStr_NodePath(const QTreeWidgetItem *node) const;

    // Node access.
    QTreeWidgetItem *FindNode(const QString &strA_Key) const;
    static QString NodeKey(const QTreeWidgetItem *node);
    static QString NodeTag(const QTreeWidgetItem *node);
    static void SetNodeTag(QTreeWidgetItem *node, const QString &strA_Tag);
    static int NodeImage(const QTreeWidgetItem *node);
    static bool IsDummyNode(const QTreeWidgetItem *node);
    // Selects the node with the key and makes it current; false when there is none.
    bool SelectNode(const QString &strA_Key);
    // Top-level nodes in the order shown.
    QList<QTreeWidgetItem *> RootNodes() const;
    // The collapse handling for a branch whether or not the view shows it expanded (setting
    // an already collapsed item collapsed raises no event): closed image, children dropped,
    // dummy back, NodeCollapsed.
    bool CollapseNode(QTreeWidgetItem *node);

signals:
    // After the class's own expand handling (open image, dummy removed): the owner fills
    // the children here. Nodes added from this signal are not written by persistence.
    void NodeExpanded(QTreeWidgetItem *node);
    // After the children were dropped and the dummy put back.
    void NodeCollapsed(QTreeWidgetItem *node);
    void NodeClicked(QTreeWidgetItem *node);

private:
    void onItemExpanded(QTreeWidgetItem *item);
    void onItemCollapsed(QTreeWidgetItem *item);
    void collapseHandling(QTreeWidgetItem *item);
    void onItemClicked(QTreeWidgetItem *item, int column);

    QTreeWidgetItem *addNode(QTreeWidgetItem *parent, bool isBranch, const QString &text,
                             const QString &key, const QString &tag, bool overwrite);
    bool addDummy(QTreeWidgetItem *node);
    bool keyAvailable(const QString &key) const;
    bool moveSelected(bool up, bool rootOnly);
    void reAddAtEnd(QTreeWidgetItem *node);
    void setImage(QTreeWidgetItem *node, int image) const;
    // The persistence feature works on the nodes and the flags here.
    friend class TreeNodeFiles;

    QPointer<QTreeWidget> m_tree;
    std::unique_ptr<TreeNodeFiles> m_files;
    QList<QIcon> m_images;
    int m_imageOpen = 1;
    int m_imageClose = 2;
    int m_imageChild = 3;
    int m_keyCounter = 0;
    QString m_savePath;
    bool m_msgDisplay = true;
    bool m_controlWithSave = true;
    bool m_expandWithSort = true;
    bool m_writeSuspended = false;
    bool m_expanding = false;
    bool m_internalChange = false;
};
