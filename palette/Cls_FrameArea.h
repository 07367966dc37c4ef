// A frame area of the palette (Fra_Items_n): its title on an etched border drawn around
// its items, and the items themselves, which it paints and finds under the pointer.
#pragma once

#include <QGroupBox>
#include <QList>

class Cls_ItemButton;

class Cls_FrameArea final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Cls_FrameArea)

public:
    Cls_FrameArea(int areaIndex, QWidget *parent);

    int areaIndex() const { return m_areaIndex; }
    void addItem(Cls_ItemButton *item) { m_items.append(item); }
    const QList<Cls_ItemButton *> &items() const { return m_items; }
    Cls_ItemButton *itemAt(const QPoint &position) const;
    // The window moved: paint again what was off the screen when last painted.
    void showsMore();
    // The title as painted ("&" stands for itself). The group box takes it as its title
    // once the event loop runs: laying a title out loads the font database, which the
    // window's first appearance need not wait for.
    void setCaption(const QString &caption);
    QString caption() const { return m_caption; }

protected:
    void paintEvent(QPaintEvent *event) override;
    // The area has no check box to light: a group box's own hit test would lay out the
    // title on every pointer move.
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    int m_areaIndex = 0;
    QList<Cls_ItemButton *> m_items;
    bool m_unpainted = false;
    QString m_caption;
    bool m_titlePending = false;
};
