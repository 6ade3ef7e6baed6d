#include "ReportBand.h"

namespace Qr {

QString bandKindName(BandKind kind)
{
    switch (kind) {
    case BandKind::Title:
        return QStringLiteral("title");
    case BandKind::PageHeader:
        return QStringLiteral("page-header");
    case BandKind::ColumnHeader:
        return QStringLiteral("column-header");
    case BandKind::GroupHeader:
        return QStringLiteral("group-header");
    case BandKind::Detail:
        return QStringLiteral("detail");
    case BandKind::GroupFooter:
        return QStringLiteral("group-footer");
    case BandKind::Summary:
        return QStringLiteral("summary");
    case BandKind::List:
        return QStringLiteral("list");
    case BandKind::PageFooter:
        return QStringLiteral("page-footer");
    }
    return {};
}

} // namespace Qr
