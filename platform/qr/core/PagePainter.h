#pragma once
// Draws one laid-out page with a QPainter at a given scale: what the PDF writer, the printer and
// the preview window share.

#include "PageModel.h"

#include <QFont>
#include <QHash>

class QPainter;

namespace Qr {

class PagePainter
{
public:
    explicit PagePainter(const PageModel& model);

    // `pixelsPerMm`: device pixels for one millimetre of paper; the sheet's top left corner is the
    // painter's origin.
    void paint(QPainter& painter, const Page& page, double pixelsPerMm);

private:
    const QFont& font(const ElementStyle& style, double pointScale);
    void paintText(QPainter& painter, const PageItem& item, const QRectF& rect, double pointScale);
    void paintChart(QPainter& painter, const PageItem& item, double pixelsPerMm, double pointScale);

    const PageModel& m_model;
    QHash<QString, QFont> m_fonts;
};

} // namespace Qr
