#include "PdfRenderer.h"

#include "KavException.h"
#include "PageModel.h"
#include "PagePainter.h"
#include "SystemFailure.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>

namespace Qr {

namespace {
constexpr double kPdfMmPerInch = 25.4;
}

void PdfRenderer::paintPages(const PageModel& model, QPagedPaintDevice& device, QPainter& painter,
                             const RenderTarget& target)
{
    PagePainter pagePainter(model);
    const double pixelsPerMm = device.logicalDpiX() / kPdfMmPerInch;
    const int total = int(model.pages.size());
    for (int i = 0; i < total; ++i) {
        pageDone(target, i, total);
        if (i > 0)
            device.newPage();
        pagePainter.paint(painter, model.pages[i], pixelsPerMm);
    }
    pageDone(target, total, total);
}

bool PdfRenderer::render(const PageModel& model, const RenderTarget& target)
{
    {
        QFile probe(target.fileName);
        if (!probe.open(QIODevice::WriteOnly))
            throw Kav::Exception(Kav::cannotWrite(probe));
    }
    QPdfWriter writer(target.fileName);
    writer.setResolution(Resolution);
    writer.setPageLayout(model.page.pageLayout());
    writer.setTitle(model.title);
    writer.setCreator(QStringLiteral("Nutrientes do Cardápio"));
    QPainter painter;
    if (!painter.begin(&writer))
        throw Kav::Exception(QStringLiteral("Não foi possível gravar %1.").arg(target.fileName));
    try {
        paintPages(model, writer, painter, target);
    } catch (...) {
        painter.end();
        QFile::remove(target.fileName);
        throw;
    }
    painter.end();
    return true;
}

} // namespace Qr
