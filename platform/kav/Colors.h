#pragma once
// The colour names stored layouts and scripts use (clInfoBk, clBtnFace, clWindow, clBlue...),
// both ways, and the background colour of a control.

#include <QColor>
#include <QString>

class QWidget;

namespace Kav {

// An invalid colour when the name is unknown. "$00BBGGRR" (how layouts store a colour without a
// name) reads too.
QColor colorFromName(const QString& name);

// The name of a colour, system colours first (white is clWindow); empty when it has none.
QString colorName(const QColor& color);

// Sets the background of a control: an edit box's inside, any other control's window colour,
// the same whether the control is enabled or not.
void setColor(QWidget* control, const QColor& color);
// Throws Kav::Exception for an unknown name.
void setColor(QWidget* control, const QString& name);

// The name of the control's background colour (its #rrggbb form when it has no name).
QString colorOf(const QWidget* control);

} // namespace Kav
