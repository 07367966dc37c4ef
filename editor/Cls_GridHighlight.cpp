#include "Cls_GridHighlight.h"

#include "Cls_Effect.h"

#include <QEvent>
#include <QWidget>

Cls_GridHighlight::Cls_GridHighlight(const QList<QList<QWidget *>> &columns, QObject *parent)
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

bool Cls_GridHighlight::FncBln_IsLit(int cellColumn, int cellRow, int column, int row)
{
    return cellColumn >= 1 && cellColumn <= column && cellRow >= 0 && cellRow <= row;
}

QString Cls_GridHighlight::FncStr_Caption(int column, int row)
{
    return QStringLiteral("%1×%2").arg(column).arg(row + 1);
}

void Cls_GridHighlight::Sub_Highlight(int column, int row)
{
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        for (qsizetype r = 0; r < m_columns.at(c).size(); ++r) {
            QWidget *cell = m_columns.at(c).at(r);
            QPalette palette = cell->palette();
            palette.setColor(QPalette::Window, FncBln_IsLit(int(c) + 1, int(r), column, row)
                                                   ? litColor()
                                                   : restColor());
            cell->setPalette(palette);
        }
    }
}

bool Cls_GridHighlight::eventFilter(QObject *watched, QEvent *event)
{
    const auto [column, row] = cellOf(watched);
    if (column > 0) {
        auto *cell = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::Enter:
        case QEvent::MouseMove:
            Sub_Highlight(column, row);
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

std::pair<int, int> Cls_GridHighlight::cellOf(QObject *watched) const
{
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        const qsizetype r = m_columns.at(c).indexOf(static_cast<QWidget *>(watched));
        if (r >= 0) {
            return {int(c) + 1, int(r)};
        }
    }
    return {0, -1};
}
