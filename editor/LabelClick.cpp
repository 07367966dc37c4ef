#include "LabelClick.h"

#include <QMouseEvent>
#include <QWidget>

LabelClick *LabelClick::onClick(QWidget *label, std::function<void()> action)
{
    return new LabelClick(label, std::move(action));
}

LabelClick::LabelClick(QWidget *label, std::function<void()> action)
    : QObject(label)
    , m_action(std::move(action))
{
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
}

bool LabelClick::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        m_pressed = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    } else if (event->type() == QEvent::MouseButtonRelease && m_pressed) {
        m_pressed = false;
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const auto *label = static_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            m_action();
        }
    }
    return QObject::eventFilter(watched, event);
}
