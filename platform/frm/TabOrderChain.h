#pragma once
// A form's Tab chain as its layout states it: each control's tab position within its parent,
// parents before their children, depth first. Tab and Shift+Tab walk it through the controls
// that take the focus from the keyboard: enabled, shown, a tab stop, and of a group of option
// buttons only the checked one.

#include <QList>

class QWidget;

namespace Frm {

// Every control of the layout, in Tab order.
QList<QWidget*> tabChain(QWidget* form);

// The control Tab (forward) or Shift+Tab moves to from `from` (a control of the form or a part
// of one); null when no control takes the focus.
QWidget* nextTabStop(QWidget* form, QWidget* from, bool forward);

} // namespace Frm
