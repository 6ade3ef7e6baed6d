#pragma once
// A horizontal strip of a report printed at one moment of the run (the title once, a page header
// on each page, the detail once per row...), with its elements.

#include "Expression.h"
#include "ReportElement.h"

#include <QList>

namespace Qr {

enum class BandKind {
    Title,
    PageHeader,
    ColumnHeader,
    GroupHeader,
    Detail,
    GroupFooter,
    Summary,
    List,
    PageFooter
};

// "title", "page-header", "column-header", "group-header", "detail", "group-footer", "summary",
// "list", "page-footer".
QString bandKindName(BandKind kind);

struct ReportBand
{
    BandKind kind = BandKind::Detail;
    double height = 0; // mm
    Qr::Expression printWhen;
    QList<ReportElement> elements;
};

} // namespace Qr
