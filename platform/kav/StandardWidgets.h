#pragma once
// Registers the standard controls (TLabel, TEdit, TMaskEdit, TGroupBox...) under their layout
// class names, with the layout properties every control shares.

namespace Kav {

void registerStandardWidgets();

} // namespace Kav
