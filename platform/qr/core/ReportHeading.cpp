#include "ReportHeading.h"

#include "PageLines.h"

namespace Qr {

namespace {

bool isHeading(BandKind kind)
{
    return kind == BandKind::Title || kind == BandKind::PageHeader;
}

} // namespace

ReportHeading ReportHeading::of(const PageModel& model)
{
    ReportHeading heading;
    heading.title = model.title;
    if (model.pages.isEmpty())
        return heading;
    for (const PageLine& line : PageLines::of(model.pages.constFirst()))
        for (const PageItem* item : line.items)
            if (isHeading(line.bandKind) && item->kind == PageItem::Kind::Text &&
                !item->text.trimmed().isEmpty())
                heading.lines.append(item->text.trimmed());
    // A note is a sentence alone on its line; totals and charts of the summary are data.
    for (const Page& page : model.pages)
        for (const PageLine& line : PageLines::of(page))
            if (line.bandKind == BandKind::Summary && line.items.size() == 1 &&
                line.items.constFirst()->kind == PageItem::Kind::Text &&
                line.items.constFirst()->text.trimmed().contains(QLatin1Char(' ')))
                heading.notes.append(line.items.constFirst()->text.trimmed());
    return heading;
}

} // namespace Qr
