#pragma once
// Writes a report as a PDF file, fonts embedded, one sheet per page.

#include "ReportRenderer.h"

class QPagedPaintDevice;
class QPainter;

namespace Qr {

class PdfRenderer : public ReportRenderer
{
public:
    // Drawing resolution of the PDF.
    static constexpr int Resolution = 600;

    bool render(const PageModel& model, const RenderTarget& target) override;

    // Paints every page on a device already set to the model's paper (new page between pages);
    // shared with the printer.
    static void paintPages(const PageModel& model, QPagedPaintDevice& device, QPainter& painter,
                           const RenderTarget& target);
};

} // namespace Qr
