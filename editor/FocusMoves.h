// FocusMoves: what counts as leaving a field, and Tab moving on from a multi-line box.
#pragma once

class QFocusEvent;
class QKeyEvent;
class QWidget;

namespace FocusMoves {

// A menu, the menu bar or another window taking the focus for a moment is not leaving
// the field.
bool FncBln_LeavesField(const QFocusEvent &event);
// Tab, Ctrl+Tab and their Shift forms move the focus to the next or previous control;
// true when the key was one of them.
bool FncBln_MoveOnTab(QWidget *from, const QKeyEvent &event);

} // namespace FocusMoves
