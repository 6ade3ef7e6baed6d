#pragma once
// Builds a form's Tab chain from the tab positions its layout gave each control within its
// parent: parents in their own order, each followed by its children in theirs.

class QWidget;

namespace Frm {

void applyTabOrder(QWidget* form);

} // namespace Frm
