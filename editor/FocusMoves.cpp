#include "FocusMoves.h"

#include <QKeyEvent>
#include <QWidget>

namespace FocusMoves {

bool FncBln_LeavesField(const QFocusEvent &event)
{
    const Qt::FocusReason reason = event.reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
           reason != Qt::MenuBarFocusReason;
}

bool FncBln_MoveOnTab(QWidget *from, const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if ((event.key() != Qt::Key_Tab && event.key() != Qt::Key_Backtab) ||
        (modifiers & ~(Qt::ShiftModifier | Qt::ControlModifier)) != 0) {
        return false;
    }
    const bool forward = event.key() == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier);
    QWidget *next = from;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    } while (next != from && !((next->focusPolicy() & Qt::TabFocus) && next->isVisible() &&
                               next->isEnabled() && next->window() == from->window()));
    if (next != from) {
        next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    }
    return true;
}

} // namespace FocusMoves
