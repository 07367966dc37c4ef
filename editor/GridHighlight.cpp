#include "GridHighlight.h"

#include "Cls_Effect.h"

#include <QEvent>
#include <QWidget>

GridHighlight::GridHighlight(const QList<QList<QWidget *>> &columns, QObject *parent)
    : QObject(parent)
    , m_columns(columns)
{
    for (const auto &column : std::as_const(m_columns)) {
        for (QWidget *cell : column) {
            cell->setAutoFillBackground(true);
            cell->installEventFilter(this);
        }
    }
}

bool GridHighlight::isLit(int cellColumn, int cellRow, int column, int row)
{
    return cellColumn >= 1 && cellColumn <= column && cellRow >= 0 && cellRow <= row;
}

QString GridHighlight::caption(int column, int row)
{
    return QStringLiteral("%1×%2").arg(column).arg(row + 1);
}

void GridHighlight::highlight(int column, int row)
{
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        for (qsizetype r = 0; r < m_columns.at(c).size(); ++r) {
            QWidget *cell = m_columns.at(c).at(r);
            QPalette palette = cell->palette();
            palette.setColor(QPalette::Window,
                             isLit(int(c) + 1, int(r), column, row) ? litColor() : restColor());
            cell->setPalette(palette);
        }
    }
}

bool GridHighlight::eventFilter(QObject *watched, QEvent *event)
{
    const auto [column, row] = cellOf(watched);
    if (column > 0) {
        auto *cell = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::Enter:
        case QEvent::MouseMove:
            highlight(column, row);
            break;
        case QEvent::MouseButtonPress:
            Cls_Effect::pressFont(cell);
            break;
        case QEvent::MouseButtonRelease:
            Cls_Effect::releaseFont(cell, ReleasePointSize);
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

std::pair<int, int> GridHighlight::cellOf(QObject *watched) const
{
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        const qsizetype r = m_columns.at(c).indexOf(static_cast<QWidget *>(watched));
        if (r >= 0) {
            return {int(c) + 1, int(r)};
        }
    }
    return {0, -1};
}
