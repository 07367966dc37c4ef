// TreeNodeFiles: the persistence feature of Cls_MyTree. A node is the file "<text>.xml" in
// the folder of its ancestors' texts below the save path; a branch also owns the folder
// "<text>" beside that file for its children. The editor switches the feature off.
#pragma once

#include <QString>
#include <QStringList>

class Cls_MyTree;
class QTreeWidgetItem;

class TreeNodeFiles final
{
public:
    explicit TreeNodeFiles(Cls_MyTree &tree);
    Q_DISABLE_COPY_MOVE(TreeNodeFiles)

    bool save(const QTreeWidgetItem *node, bool overwrite);
    bool loadRoots();
    bool loadChildren(QTreeWidgetItem *node);
    bool loadNode(const QString &file, QStringList &values) const;
    QString nodePath(const QTreeWidgetItem *node) const;
    // Writes the node unless writing is suspended; a value that does not read back is not
    // kept.
    bool write(const QTreeWidgetItem *node, bool overwrite);

private:
    bool loadChildrenFrom(QTreeWidgetItem *parent, const QString &folder);

    Cls_MyTree &m_tree;
};
