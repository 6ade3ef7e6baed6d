#pragma once
// Consistency helpers of the support library: the error routine and the text rules.

#include "ConsisteCore.h"

namespace Consiste {

// Shows `text` as an error. With `abort` true it then ends the running command by raising
// Kav::SilentAbort; with false it returns.
void MensErro(const QString& text, bool abort);

} // namespace Consiste
