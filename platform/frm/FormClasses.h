#pragma once
// Registers every class stored layouts may name, from every library, before a form loads.

namespace Frm {

// Idempotent.
void registerAllClasses();

} // namespace Frm
