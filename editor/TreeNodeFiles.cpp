#include "TreeNodeFiles.h"

#include "Cls_MyTree.h"
#include "platform_wrappers.h"
#include "tag_document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QTreeWidget>

namespace {

const QString kItemKey = QStringLiteral("KEY");
const QString kItemText = QStringLiteral("TXT");
const QString kItemTag = QStringLiteral("TAG");
const QString kItemParentKey = QStringLiteral("ParentKEY");
const QString kItemLastIndex = QStringLiteral("Last_IDX");
const QString kNodeFileSuffix = QStringLiteral(".xml");

// A node's text becomes a file or folder name: anything that could leave the save path or
// that the file system cannot hold is refused.
bool isSafeFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
        return false;
    }
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' ||
            c == u'"' || c == u'<' || c == u'>' || c == u'|') {
            return false;
        }
    }
    return !name.endsWith(u' ') && !name.endsWith(u'.');
}

bool safePath(const QTreeWidgetItem *node)
{
    for (const QTreeWidgetItem *p = node; p != nullptr; p = p->parent()) {
        if (!isSafeFileName(p->text(0))) {
            return false;
        }
    }
    return true;
}

} // namespace

TreeNodeFiles::TreeNodeFiles(Cls_MyTree &tree)
    : m_tree(tree)
{
}

bool TreeNodeFiles::save(const QTreeWidgetItem *node, bool overwrite)
{
    if (m_tree.m_tree == nullptr || node == nullptr || node->treeWidget() != m_tree.m_tree ||
        Cls_MyTree::IsDummyNode(node)) {
        return false;
    }
    return write(node, overwrite);
}

bool TreeNodeFiles::loadRoots()
{
    if (m_tree.m_tree == nullptr || !QFileInfo(m_tree.m_savePath).isDir()) {
        return false;
    }
    return loadChildrenFrom(nullptr, m_tree.m_savePath);
}

bool TreeNodeFiles::loadChildren(QTreeWidgetItem *node)
{
    if (m_tree.m_tree == nullptr || node == nullptr || node->treeWidget() != m_tree.m_tree ||
        m_tree.IsChild(node) || Cls_MyTree::IsDummyNode(node) || !safePath(node)) {
        return false;
    }
    const QString folder = QDir(nodePath(node)).filePath(node->text(0));
    if (!m_tree.RemoveDummyNode(node)) {
        return false;
    }
    if (!QFileInfo(folder).isDir()) {
        return true;
    }
    return loadChildrenFrom(node, folder);
}

bool TreeNodeFiles::loadNode(const QString &file, QStringList &values) const
{
    values.clear();
    if (file.isEmpty()) {
        return false;
    }
    const QFileInfo info(QDir(m_tree.m_savePath).filePath(file));
    if (!info.isFile()) {
        return false;
    }
    Cls_XML xml;
    xml.MsgDisplayFlg_Prop(m_tree.m_msgDisplay);
    xml.SaveFilePath_Prop(info.absolutePath());
    if (!xml.ReadFile_bln(info.fileName())) {
        return false;
    }
    const QString key = xml.GetFileItem_str(kItemKey);
    if (key.isEmpty()) {
        return false;
    }
    values = {key, xml.GetFileItem_str(kItemText), xml.GetFileItem_str(kItemTag),
              xml.GetFileItem_str(kItemParentKey), xml.GetFileItem_str(kItemLastIndex)};
    return true;
}

QString TreeNodeFiles::nodePath(const QTreeWidgetItem *node) const
{
    QStringList names;
    if (node != nullptr) {
        for (const QTreeWidgetItem *p = node->parent(); p != nullptr; p = p->parent()) {
            names.prepend(p->text(0));
        }
    }
    QString path = m_tree.m_savePath;
    for (const QString &name : std::as_const(names)) {
        path = QDir(path).filePath(name);
    }
    return path;
}

bool TreeNodeFiles::write(const QTreeWidgetItem *node, bool overwrite)
{
    if (m_tree.m_writeSuspended) {
        return true;
    }
    const QString name = node->text(0);
    if (name.isEmpty()) {
        if (m_tree.m_msgDisplay) {
            FncInt_MessageBox(MsgBox::Exclamation | MsgBox::OkOnly,
                              QStringLiteral("ファイル名が設定されてません。"),
                              QStringLiteral("設定ミス"));
        }
        return false;
    }
    if (!safePath(node)) {
        return false;
    }
    const QString folder = nodePath(node);
    if (!QDir().mkpath(folder)) {
        return false;
    }
    const QString fileName = name + kNodeFileSuffix;
    const QString filePath = QDir(folder).filePath(fileName);
    if (!overwrite && QFileInfo::exists(filePath)) {
        return true;
    }
    const QString key = Cls_MyTree::NodeKey(node);
    const QString tag = Cls_MyTree::NodeTag(node);
    const QString parentKey = Cls_MyTree::NodeKey(node->parent());
    Cls_XML xml;
    xml.MsgDisplayFlg_Prop(m_tree.m_msgDisplay);
    xml.SaveFilePath_Prop(folder);
    // The tag goes last: the reader takes the first matching tag, and a tag text may hold
    // element names of its own.
    xml.AddItem_bln(kItemKey, key);
    xml.AddItem_bln(kItemText, name);
    xml.AddItem_bln(kItemParentKey, parentKey);
    xml.AddItem_bln(kItemLastIndex, QString::number(m_tree.m_keyCounter));
    xml.AddItem_bln(kItemTag, tag);
    if (!xml.SaveFile_bln(fileName)) {
        return false;
    }
    // The format has no escaping: a value that does not read back the same is not kept.
    QStringList values;
    if (!loadNode(filePath, values) || values.mid(0, 4) != QStringList{key, name, tag, parentKey}) {
        QFile::remove(filePath);
        return false;
    }
    // A branch's folder marks it as a branch for loading, even while it has no children.
    return m_tree.IsChild(node) || QDir(folder).mkpath(name);
}

bool TreeNodeFiles::loadChildrenFrom(QTreeWidgetItem *parent, const QString &folder)
{
    const QScopedValueRollback<bool> suspended(m_tree.m_writeSuspended, true);
    const QDir dir(folder);
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*") + kNodeFileSuffix}, QDir::Files, QDir::Name);
    bool ok = true;
    for (const QFileInfo &file : files) {
        QStringList values;
        if (!loadNode(file.absoluteFilePath(), values)) {
            ok = false;
            continue;
        }
        const bool isBranch = QFileInfo(dir.filePath(file.completeBaseName())).isDir();
        QTreeWidgetItem *node =
            m_tree.addNode(parent, isBranch, values.at(1), values.at(0), values.at(2), false);
        if (node == nullptr || (isBranch && !m_tree.addDummy(node))) {
            delete node;
            ok = false;
            continue;
        }
        bool counterOk = false;
        const int lastIndex = values.at(4).toInt(&counterOk);
        if (counterOk && lastIndex > m_tree.m_keyCounter) {
            m_tree.m_keyCounter = lastIndex;
        }
    }
    return ok;
}
