// GridHighlight: the quick-creation grid's pointer look. Over the cell of column c and
// row r, the block of columns 1 to c and rows 0 to r turns light yellow, showing the
// c×(r+1) shape to be created; a pressed cell's font is one point smaller and returns to
// 14 points on release.
#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>

#include <utility>

class QWidget;

class GridHighlight final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GridHighlight)

public:
    static constexpr int Columns = 3;
    static constexpr int Rows = 5;
    static constexpr int ReleasePointSize = 14;
    static QColor litColor() { return QColor(0xFF, 0xFF, 0xC0); }
    static QColor restColor() { return Qt::white; }

    // columns[c - 1][r] is the cell of column c (1 to 3) and row r (0 to 4): Lbl_Box01,
    // Lbl_Box02 and Lbl_Box03.
    explicit GridHighlight(const QList<QList<QWidget *>> &columns, QObject *parent = nullptr);

    // Whether the cell of cellColumn/cellRow is lit with the pointer over column/row.
    static bool isLit(int cellColumn, int cellRow, int column, int row);
    // "1×1" … "3×5".
    static QString caption(int column, int row);

    void highlight(int column, int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Column from 1 and row from 0 of a cell, or {0, -1}.
    std::pair<int, int> cellOf(QObject *watched) const;

    QList<QList<QWidget *>> m_columns;
};
