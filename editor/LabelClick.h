// LabelClick: makes a label clickable. The action runs when the left button is released
// over the label it was pressed on, as a button's click does.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

class LabelClick final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LabelClick)

public:
    // The watcher lives as long as the label.
    static LabelClick *onClick(QWidget *label, std::function<void()> action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    LabelClick(QWidget *label, std::function<void()> action);

    std::function<void()> m_action;
    bool m_pressed = false;
};
