// The palette's message line (Lbl_Msg): the text wraps in the lines the area has room for,
// stops short of the labels beside it, and the last line ends in "…" when the text is
// longer; the whole text stays in text() and in the tooltip.
#pragma once

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QStringList>

class Cls_MessageLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Cls_MessageLabel)

public:
    explicit Cls_MessageLabel(QWidget *parent);

    // Siblings the text must not run under while they are visible.
    void setObstacles(const QList<QWidget *> &obstacles);
    // The lines as painted.
    QStringList displayedLines() const;
    // The room each line has: the label's rectangle for line number n, in its coordinates.
    QRect lineRect(int line) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QPointer<QWidget>> m_obstacles;
};
