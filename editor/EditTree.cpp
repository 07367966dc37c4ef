#include "EditTree.h"

#include "Cls_MyTree.h"
#include "FocusMoves.h"
#include "platform_wrappers.h"
#include "setting_model.h"
#include "setting_values.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTreeWidget>

namespace {

const QString kRootPrefix = QStringLiteral("Root");

void refuseTooMany(const QString &what)
{
    FncInt_MessageBox(MsgBox::Critical,
                      QStringLiteral("100以上の%1を作成することはできません。").arg(what),
                      QStringLiteral("設定不可"));
}

} // namespace

EditTree::EditTree(QTreeWidget *widget, QObject *parent)
    : QObject(parent)
    , m_widget(widget)
{
    m_widget->installEventFilter(this);
    m_widget->viewport()->installEventFilter(this);
}

EditTree::~EditTree() = default;

bool EditTree::build(Cls_MySettingFile &model)
{
    const QScopedValueRollback<bool> busy(m_busy, true);
    m_tree = std::make_unique<Cls_MyTree>();
    m_tree->Set_Init(m_widget);
    m_tree->Set_ImageListNo(2, 1, 3);
    const QStyle *style = m_widget->style();
    m_tree->ImageList_Prop({style->standardIcon(QStyle::SP_DirClosedIcon),
                            style->standardIcon(QStyle::SP_DirOpenIcon),
                            style->standardIcon(QStyle::SP_FileIcon)});
    m_tree->ControlWithSave_Prop(false);
    m_tree->ExpandWithSort_Prop(false);
    connect(m_tree.get(), &Cls_MyTree::NodeExpanded, this, &EditTree::onExpanded);
    bool ok = true;
    for (int i = 0; i < model.GetCount(); ++i) {
        model.CurrentFrame(i);
        ok = m_tree->AddRootNode(model.GetFrameTitle(), kRootPrefix + QString::number(i),
                                 model.CurrentFrameData()) &&
             ok;
    }
    return ok;
}

void EditTree::onExpanded(QTreeWidgetItem *node)
{
    const QScopedValueRollback<bool> busy(m_busy, true);
    m_widget->setUpdatesEnabled(false);
    // Items loaded before (a store loads a collapsed frame) are not loaded twice. A frame
    // without them is always loaded: shown empty, its next store would drop every item.
    const bool loaded = node->childCount() > 0 && !Cls_MyTree::IsDummyNode(node->child(0));
    if (!loaded) {
        loadFrameItems(node);
    }
    m_widget->setUpdatesEnabled(true);
}

bool EditTree::loadFrameItems(QTreeWidgetItem *frame)
{
    if (frame == nullptr || !m_tree) {
        return false;
    }
    const QScopedValueRollback<bool> busy(m_busy, true);
    const QString frameKey = Cls_MyTree::NodeKey(frame);
    bool ok = true;
    for (const auto &[index, item] : SettingFrame::parse(Cls_MyTree::NodeTag(frame)).namedItems()) {
        ok = m_tree->AddChild(frameKey, item.name, freeKey(frameKey + QString::number(index)),
                              item.compose()) &&
             ok;
    }
    return ok;
}

void EditTree::loadIfUnloaded(QTreeWidgetItem *frame)
{
    if (frame->childCount() > 0 && Cls_MyTree::IsDummyNode(frame->child(0))) {
        loadFrameItems(frame);
        m_tree->RemoveDummyNode(frame);
    }
}

QTreeWidgetItem *EditTree::find(const QString &key) const
{
    return m_tree && !key.isEmpty() ? m_tree->FindNode(key) : nullptr;
}

QTreeWidgetItem *EditTree::selected() const
{
    QTreeWidgetItem *node = m_tree ? m_tree->SelectedNode() : nullptr;
    return node != nullptr && !Cls_MyTree::IsDummyNode(node) ? node : nullptr;
}

QTreeWidgetItem *EditTree::selectedFrame() const
{
    QTreeWidgetItem *node = selected();
    return node != nullptr && node->parent() != nullptr ? node->parent() : node;
}

bool EditTree::isFrameSelected() const
{
    const QTreeWidgetItem *node = selected();
    return node != nullptr && node->parent() == nullptr;
}

void EditTree::select(const QString &key)
{
    const QScopedValueRollback<bool> busy(m_busy, true);
    if (m_tree) {
        m_tree->SelectNode(key);
    }
}

QString EditTree::FncStr_TimeStampKey(const QDateTime &now, int hourOffset)
{
    const QDateTime stamp = now.addSecs(qint64(hourOffset) * 3600);
    return kRootPrefix + QString::number(stamp.toString(QStringLiteral("ddhhmmss")).toLongLong());
}

QString EditTree::freeKey(const QString &key) const
{
    // Keys made by concatenation can meet ("Root1" + "0" and "Root10"), and two commands
    // in the same second make the same time stamp: the later node gets a suffix.
    if (m_tree->FindNode(key) == nullptr) {
        return key;
    }
    for (int n = 2;; ++n) {
        const QString candidate = key + QStringLiteral("_%1").arg(n);
        if (m_tree->FindNode(candidate) == nullptr) {
            return candidate;
        }
    }
}

int EditTree::itemCount(const QTreeWidgetItem *frame) const
{
    int items = 0;
    for (int i = 0; i < frame->childCount(); ++i) {
        items += Cls_MyTree::IsDummyNode(frame->child(i)) ? 0 : 1;
    }
    return items;
}

QString EditTree::addNode(bool isFrame, const QString &text, const QString &tag, int hourOffset)
{
    if (!m_tree) {
        return {};
    }
    const QScopedValueRollback<bool> busy(m_busy, true);
    QString key = FncStr_TimeStampKey(QDateTime::currentDateTime(), hourOffset);
    if (!isFrame) {
        QTreeWidgetItem *frame = selectedFrame();
        if (frame == nullptr) {
            m_tree->IsNodeSelect(false);
            return {};
        }
        frame->setExpanded(true);
        // Beyond the last item number the programs read nothing: the item would be lost on
        // the next load.
        if (itemCount(frame) >= SettingFormat::MaxItems) {
            refuseTooMany(QStringLiteral("設定"));
            return {};
        }
        key = freeKey(key + QStringLiteral("C"));
        return m_tree->AddChild(Cls_MyTree::NodeKey(frame), text, key, tag) ? key : QString();
    }
    if (m_widget->topLevelItemCount() >= SettingFormat::MaxFrames) {
        refuseTooMany(QStringLiteral("カテゴリ"));
        return {};
    }
    key = freeKey(key + text);
    if (!m_tree->AddRootNode(text, key, tag)) {
        return {};
    }
    m_tree->RemoveDummyNode(m_tree->FindNode(key));
    return key;
}

bool EditTree::moveSelected(bool up)
{
    if (!m_tree) {
        return false;
    }
    const QScopedValueRollback<bool> busy(m_busy, true);
    if (isFrameSelected()) {
        return up ? m_tree->MoveRootNodePrevious() : m_tree->MoveRootNodeNext();
    }
    return up ? m_tree->MoveNodePrevious() : m_tree->MoveNodeNext();
}

QStringList EditTree::frameTexts() const
{
    QStringList texts;
    for (int i = 0; i < m_widget->topLevelItemCount(); ++i) {
        texts.append(Cls_MyTree::NodeTag(m_widget->topLevelItem(i)));
    }
    return texts;
}

// Under the current node, or at the tree's corner when there is none.
QPoint EditTree::popupPosition() const
{
    QTreeWidgetItem *current = m_widget->currentItem();
    const QRect rect = current != nullptr ? m_widget->visualItemRect(current) : QRect();
    return m_widget->viewport()->mapToGlobal(rect.isValid() ? rect.bottomLeft() : QPoint(0, 0));
}

bool EditTree::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == m_widget->viewport() && type == QEvent::MouseButtonPress) {
        if (m_blocked) {
            return true;
        }
        emit pressed();
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            emit contextMenuRequested(mouse->globalPosition().toPoint());
            return true;
        }
    } else if (watched == m_widget->viewport() && type == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_blocked && mouse->button() == Qt::LeftButton &&
            m_widget->itemAt(mouse->position().toPoint()) == nullptr) {
            emit clickedBeside();
        }
    } else if (watched == m_widget && type == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Menu ||
            (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
            emit contextMenuRequested(popupPosition());
            return true;
        }
        if (key->modifiers() == Qt::ControlModifier &&
            (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            const bool frame = isFrameSelected();
            if (moveSelected(key->key() == Qt::Key_Up) && !frame) {
                emit itemMoved();
            }
            return true;
        }
    } else if (watched == m_widget && (type == QEvent::FocusIn || type == QEvent::FocusOut)) {
        if (FocusMoves::FncBln_LeavesField(*static_cast<QFocusEvent *>(event))) {
            emit focusChanged(type == QEvent::FocusIn);
        }
    }
    return QObject::eventFilter(watched, event);
}
