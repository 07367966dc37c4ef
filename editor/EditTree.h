// EditTree: the edit tree of frames and items over Cls_MyTree. Node tags hold the element
// texts of frames and items; keys are "Root" + frame index (+ item index) for what was
// loaded and "Root" + time stamp for what commands create.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class Cls_MyTree;
class Cls_MySettingFile;
class QDateTime;
class QTreeWidget;
class QTreeWidgetItem;

class EditTree final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditTree)

public:
    explicit EditTree(QTreeWidget *widget, QObject *parent = nullptr);
    ~EditTree() override;

    // Step T: one collapsed frame node per frame of the model.
    bool build(Cls_MySettingFile &model);
    // Step E: the named items of the frame's text (at most the first hundred).
    bool loadFrameItems(QTreeWidgetItem *frame);
    // A frame that still holds only its dummy gets its items now.
    void loadIfUnloaded(QTreeWidgetItem *frame);

    Cls_MyTree *tree() const { return m_tree.get(); }
    QTreeWidget *widget() const { return m_widget; }
    QTreeWidgetItem *find(const QString &key) const;
    QTreeWidgetItem *selected() const;
    // The selected frame, or the frame of the selected item.
    QTreeWidgetItem *selectedFrame() const;
    bool isFrameSelected() const;
    // Selects by code: no page switch follows.
    void select(const QString &key);
    // True while the tree changes its nodes itself: the selection events are not the user's.
    bool isBusy() const { return m_busy; }

    // Step N without the selection: adds a frame at the end or an item to the selected
    // frame; returns the new node's key, or an empty text when nothing was added.
    QString addNode(bool isFrame, const QString &text, const QString &tag, int hourOffset);
    // Ctrl+Up/Down: moves the selected node among its siblings.
    bool moveSelected(bool up);
    // The frames' texts in the order on screen.
    QStringList frameTexts() const;
    int itemCount(const QTreeWidgetItem *frame) const;

    // While a refused field keeps the focus, mouse presses in the tree are dropped.
    void setBlocked(bool blocked) { m_blocked = blocked; }

    // "Root" + day, hour, minute and second of now plus the hours, read as a number.
    static QString FncStr_TimeStampKey(const QDateTime &now, int hourOffset);

signals:
    // Any mouse press in the tree.
    void pressed();
    // A left click beside the nodes: a click in the tree all the same.
    void clickedBeside();
    // A right click, the Menu key or Shift+F10, at the point to show the menu.
    void contextMenuRequested(const QPoint &globalPos);
    // Ctrl+Up/Down moved an item among its siblings.
    void itemMoved();
    // The focus came to the tree or left it for another control (not for a menu).
    void focusChanged(bool entered);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPoint popupPosition() const;
    QString freeKey(const QString &key) const;
    void onExpanded(QTreeWidgetItem *node);

    QTreeWidget *m_widget;
    std::unique_ptr<Cls_MyTree> m_tree;
    bool m_busy = false;
    bool m_blocked = false;
};
