#pragma once
// Registers the support library's own widgets (lookup button, date edit, flat button...)
// under their layout class names.

namespace Kav {

void registerSupportWidgets();

} // namespace Kav
