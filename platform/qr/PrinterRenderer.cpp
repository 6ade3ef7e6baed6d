#include "PrinterRenderer.h"

#include "ClientContext.h"
#include "DialogService.h"
#include "KavException.h"
#include "PageModel.h"
#include "PdfRenderer.h"

#include <QPainter>
#include <QPrinter>

namespace Qr {

bool PrinterRenderer::render(const PageModel& model, const RenderTarget& target)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(model.page.pageLayout());
    printer.setFullPage(true);
    printer.setDocName(model.title);
    printer.setFromTo(1, int(model.pages.size()));

    if (!Kav::dialogs().choosePrinter(printer, target.parent, QStringLiteral("Imprimir")))
        return false;
    // The dialog puts the printer's default paper in place of the report's (Letter came out as
    // A4); the pages are laid out for the report's paper and orientation, so those are printed.
    printer.setPageLayout(model.page.pageLayout());

    PageModel chosen = model;
    if (printer.printRange() == QPrinter::PageRange) {
        const int first = std::max(printer.fromPage(), 1) - 1;
        const int last = std::min(printer.toPage(), int(model.pages.size()));
        chosen.pages = model.pages.mid(first, std::max(last - first, 0));
    }
    QPainter painter;
    if (!painter.begin(&printer))
        throw Kav::Exception(
            QStringLiteral("Não foi possível imprimir em %1.")
                .arg(printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName()));
    PdfRenderer::paintPages(chosen, printer, painter, target);
    painter.end();
    return true;
}

} // namespace Qr
