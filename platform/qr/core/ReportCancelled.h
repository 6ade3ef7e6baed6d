#pragma once
// Raised when the user cancels a long report: the command ends quietly, nothing is printed.

#include "KavException.h"

namespace Qr {

class ReportCancelled : public Kav::SilentAbort
{
public:
    ReportCancelled() : Kav::SilentAbort(QStringLiteral("Relatório cancelado.")) {}
};

} // namespace Qr
