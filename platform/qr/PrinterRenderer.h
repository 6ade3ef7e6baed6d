#pragma once
// Prints a report: the print dialog (through the dialog service, so automation answers it: a
// file path prints to that PDF, "cancel" prints nothing), then the pages on the chosen printer.

#include "ReportRenderer.h"

namespace Qr {

class PrinterRenderer : public ReportRenderer
{
public:
    bool render(const PageModel& model, const RenderTarget& target) override;
};

} // namespace Qr
