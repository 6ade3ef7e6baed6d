#pragma once
// Registers the non-visual classes of the core library under their layout class names.

namespace Kav {

void registerDataClasses(); // data sets, fields, data sources, queries, client data sets
void registerNetClasses();  // the application-server connection

} // namespace Kav
