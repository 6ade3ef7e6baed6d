#pragma once
// The colour names stored layouts and scripts use (clInfoBk, clBtnFace, clWindow, clBlue...),
// both ways.

#include <QColor>
#include <QString>

namespace Kav {

// An invalid colour when the name is unknown.
QColor colorFromName(const QString& name);

// The name of a colour, system colours first (white is clWindow); empty when it has none.
QString colorName(const QColor& color);

} // namespace Kav
