#pragma once
// The layout properties every control shares, which need the visual library: position and
// size, enabled and visible state, hint, tab order and tab stop, colour, font, alignment and
// anchors, popup menu; and colour names for any declared QColor property.

#include <QString>

class QWidget;

namespace Kav {

// Adds them to Kav::LayoutLoader; called once by registerStandardWidgets.
void registerWidgetPropertyKinds();

// The tab position a layout gave a control within its parent; -1 when it gave none.
int layoutTabOrder(const QWidget* control);

// False when the layout took the control out of the Tab chain (TabStop = False).
bool layoutTabStop(const QWidget* control);

// "alTop"... as the layout gave it; empty when none.
QString layoutAlign(const QWidget* control);

} // namespace Kav
