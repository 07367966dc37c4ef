#include "Cls_MyTree.h"

#include "platform_wrappers.h"
#include "tag_document.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QTreeWidgetItemIterator>

namespace {

const QString kItemKey = QStringLiteral("KEY");
const QString kItemText = QStringLiteral("TXT");
const QString kItemTag = QStringLiteral("TAG");
const QString kItemParentKey = QStringLiteral("ParentKEY");
const QString kItemLastIndex = QStringLiteral("Last_IDX");
const QString kNodeFileSuffix = QStringLiteral(".xml");

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
